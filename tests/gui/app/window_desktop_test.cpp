// How the window lives on a Linux desktop: it fits 1280 x 720 in both languages and can be
// resized; ports say what they are and keep their selection; the port doctor's message on a
// busy port; settings that fall back to the config folder, and settings that cannot be written
// at all (no restart for a language that was not stored); the complete log file; check boxes
// that follow their state; the shortcuts.
#include "SimWindowFixture.h"

#include "HolderProcess.h"

#include "LanguageBundle.h"
#include "LanguageIndex.h"
#include "LogFile.h"
#include "RemoteDialog.h"
#include "Texts.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>


namespace {
// Every shown control of the window lies inside it and has room for its caption.
QStringList CutOrOutside(QWidget& window) {
    QStringList problems;
    const QRect inside = window.rect();
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || w->isWindow()) continue;
        const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
        const QString name = QString("%1 \"%2\"").arg(w->metaObject()->className(), w->objectName());
        if (!inside.contains(r)) problems << name + " outside the window";
        QString caption;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) caption = b->text();
        if (auto* l = qobject_cast<QLabel*>(w); l && l->objectName() != "logFileLabel") caption = l->text();
        if (!caption.isEmpty() && w->width() < w->minimumSizeHint().width())
            problems << name + " cuts \"" + caption + "\"";
    }
    for (QTreeWidget* list : window.findChildren<QTreeWidget*>()) {
        if (!list->isVisibleTo(&window)) continue;
        QHeaderView* header = list->header();
        for (int i = 0; i < header->count(); ++i)
            if (header->sectionSize(i) < header->sectionSizeHint(i))
                problems << "header \"" + list->headerItem()->text(i) + "\" cut";
    }
    return problems;
}

// Answers the prompts that open one after the other (nested ones too) with the given answers
// in order, and records their texts.
class CPromptSequence : public QObject {
  public:
    explicit CPromptSequence(QList<int> answerList) : answers(std::move(answerList)) {
        connect(&poll, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<CMessageBoxCustom*>(QApplication::activeModalWidget());
            if (!box || box == last || answers.isEmpty()) return;
            last = box;
            texts << box->MessageText();
            const int answer = answers.takeFirst();
            QPushButton* button = answer == MB_RESULT_YES ? box->YesButton() : box->NoButton();
            QTimer::singleShot(0, button, [button] { button->click(); });
        });
        poll.start(5);
    }
    QStringList texts;

  private:
    QList<int> answers;
    QPointer<CMessageBoxCustom> last;
    QTimer poll;
};
} // namespace

class DesktopWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        config = qgetenv("XDG_CONFIG_HOME");
        state = qgetenv("XDG_STATE_HOME");
    }
    void cleanup() {
        SetTextTable({});
        SetCaptionTable({});
        SetProcessLanguageIndex(LANG_ENGLISH);
        qputenv("XDG_CONFIG_HOME", config);
        qputenv("XDG_STATE_HOME", state);
    }
    void fitsA1280By720Screen_data();
    void fitsA1280By720Screen();
    void portsSayWhatTheyAreAndKeepTheSelection();
    void busyPortNamesItsHolder();
    void settingsFallBackToTheConfigFolder();
    void settingsThatCannotBeWrittenAreTold();
    void everyLogLineGoesToTheFile();
    void checkBoxesFollowTheirState();
    void shortcutsPressTheButtons();

  private:
    QByteArray config, state;
};

void DesktopWindowTest::fitsA1280By720Screen_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("English") << int(LANG_ENGLISH);
    QTest::newRow("Chinese") << int(LANG_CHINESE);
}

void DesktopWindowTest::fitsA1280By720Screen() {
    QFETCH(int, language);
    SetProcessLanguageIndex(language);
    InstallLanguage(language);
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    QVERIFY2(w.width() <= CCalyraDlg::kStartWidth && w.height() <= CCalyraDlg::kStartHeight,
             qPrintable(QString("starts at %1 x %2").arg(w.width()).arg(w.height())));
    QVERIFY(w.minimumWidth() < w.maximumWidth() && w.minimumHeight() < w.maximumHeight());
    w.resize(CCalyraDlg::kStartWidth, CCalyraDlg::kStartHeight);
    // Every page of both tab controls in turn.
    for (QTabWidget* tabs : {w.DeviceTabs(), w.ConfigTabs()}) {
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QCoreApplication::processEvents();
            const QStringList problems = CutOrOutside(w);
            QVERIFY2(problems.isEmpty(), qPrintable(tabs->tabText(i) + ": " + problems.join("; ")));
        }
    }
    // Extra room goes to the log, the node list and the pages.
    const QSize log = w.Log()->size(), nodes = w.RemotePage()->size(), pages = w.ConfigTabs()->size();
    w.resize(2200, 1000);
    QCoreApplication::processEvents();
    QVERIFY(w.Log()->width() > log.width() && w.Log()->height() > log.height());
    QVERIFY(w.RemotePage()->height() > nodes.height());
    QVERIFY(w.ConfigTabs()->width() > pages.width());
}

void DesktopWindowTest::portsSayWhatTheyAreAndKeepTheSelection() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    const QString slave = QString::fromStdString(f.Sim().SlavePath());
    QVERIFY(f.AddAlias(3, slave));
    CCalyraDlg& w = f.Start();
    QVERIFY(f.SelectPort(CSimWindowFixture::AliasName()));
    QComboBox* list = w.Comm()->PortList();
    // The entry's text stays the COM name; its label names the adapter kind and the device.
    const int at = list->currentIndex();
    QCOMPARE(list->itemText(at), CSimWindowFixture::AliasName());
    QVERIFY2(list->itemData(at, CCommSettings::ROLE_LABEL).toString().endsWith("[" + slave + "]"),
             qPrintable(list->itemData(at, CCommSettings::ROLE_LABEL).toString()));
    QVERIFY(list->toolTip().contains(slave));
    // A new port renumbers the list: the selected adapter stays selected.
    QVERIFY(f.AddAlias(1, slave));
    QTRY_VERIFY(list->findText("COM1") >= 0);
    QCOMPARE(list->currentText(), CSimWindowFixture::AliasName());
    // A pseudo-terminal has no by-id name: pinning it is refused with the reason.
    int asked = 0;
    w.SetPinNumberChooser([&](const QString&, int current) {
        ++asked;
        return current;
    });
    CPromptAnswerer notice(MB_RESULT_NO);
    w.Comm()->PinButton()->click();
    QCOMPARE(asked, 1);
    QVERIFY(notice.Answered());
    QVERIFY2(notice.Text().contains("has no name in /dev/serial/by-id"), qPrintable(notice.Text()));
}

void DesktopWindowTest::busyPortNamesItsHolder() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    SHolderProcess holder(f.Sim().SlavePath());
    QTest::qWait(100); // the child has the port
    CCalyraDlg& w = f.Start();
    QVERIFY(f.SelectPort(CSimWindowFixture::AliasName()));
    CPromptAnswerer notice(MB_RESULT_NO);
    QTest::mouseClick(w.Comm()->OpenButton(), Qt::LeftButton);
    QVERIFY(notice.Answered());
    const QString expected = QString("held by PID %1 (sleep 30)").arg(holder.pid);
    QVERIFY2(notice.Text().contains(expected), qPrintable(notice.Text()));
    QVERIFY2(notice.Text().contains(QString("kill %1").arg(holder.pid)), qPrintable(notice.Text()));
    QVERIFY(f.LogText().contains(expected));
    QVERIFY(!w.Engine().IsOpen());
}

void DesktopWindowTest::settingsFallBackToTheConfigFolder() {
    CWindowFixture f;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    // A folder in place of ParamCfg.ini: nobody, root included, can write the file there.
    QVERIFY(QDir(f.WorkDir()).mkdir("ParamCfg.ini"));
    CCalyraDlg& w = f.Start();
    const QString fallback = config.path() + "/calyra/ParamCfg.ini";
    QCOMPARE(QString::fromStdString(w.Settings().Path()), fallback);
    QVERIFY2(f.LogText().contains("The working folder " + f.WorkDir() + " cannot be written"), qPrintable(f.LogText()));
    QVERIFY(f.LogText().contains("the settings are kept in " + fallback));
    QVERIFY(w.Log()->NoteLabel()->text().contains(fallback));
    w.close();
    QFile ini(fallback);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(ini.readAll().contains("DisPlayPacket=1"));
}

void DesktopWindowTest::settingsThatCannotBeWrittenAreTold() {
    CWindowFixture f;
    QTemporaryDir config;
    // Neither the working folder nor the config folder (under a plain file) can take the file.
    QFile plain(config.path() + "/file");
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("XDG_CONFIG_HOME", (config.path() + "/file").toUtf8());
    QVERIFY(QDir(f.WorkDir()).mkdir("ParamCfg.ini"));
    CCalyraDlg& w = f.Start();
    int restarts = 0;
    w.SetRestartHandler([&] { ++restarts; });
    const QString path = QString::fromStdString(w.Settings().Path());

    // The language change: asked, not stored, told, no restart, the old language selected.
    CPromptSequence prompts({MB_RESULT_YES, MB_RESULT_NO});
    QTimer::singleShot(0, [&] {
        w.LanguageList()->setCurrentIndex(LANG_CHINESE);
        emit w.LanguageList()->activated(LANG_CHINESE);
    });
    QTRY_COMPARE(prompts.texts.size(), 2);
    const QString told = prompts.texts[1];
    QVERIFY2(told.startsWith("The language could not be stored in " + path + ": "), qPrintable(told));
    QVERIFY(told.endsWith("The program is not restarted."));
    QTRY_COMPARE(w.LanguageList()->currentIndex(), int(LANG_ENGLISH));
    QCOMPARE(restarts, 0);
    QVERIFY(w.isVisible());

    // The close-time settings: told with the path and the reason, then the window closes.
    CPromptAnswerer closing(MB_RESULT_NO);
    QVERIFY(w.close());
    QVERIFY(closing.Answered());
    QVERIFY2(closing.Text().startsWith("The settings could not be saved to " + path + ": "),
             qPrintable(closing.Text()));
}

void DesktopWindowTest::everyLogLineGoesToTheFile() {
    // The fixture gives every window a state folder of its own (backups, the log file).
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    const QString path = qEnvironmentVariable("XDG_STATE_HOME") + "/calyra/calyra.log";
    QVERIFY2(w.Log()->NoteLabel()->text().contains(path), qPrintable(w.Log()->NoteLabel()->text()));
    // More than the pane keeps: the pane starts again, the file has every line.
    for (int i = 0; i < 200; ++i)
        w.AppendLog(QString("line %1").arg(i));
    QVERIFY(!f.LogText().contains("]\nline 0\n"));
    f.CloseWindow();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.contains("]\nline 0\n") && text.contains("]\nline 199\n"));
}

void DesktopWindowTest::checkBoxesFollowTheirState() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    QCheckBox* packets = w.Log()->DisplayPacketBox();
    QVERIFY(packets->isChecked() && w.Engine().DisplayPacket());
    // Toggled through the accessibility interface, as a screen reader does: no mouse click.
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(packets);
    QVERIFY(box && box->actionInterface());
    box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(!packets->isChecked());
    QVERIFY(!w.Engine().DisplayPacket());
    QVERIFY(!w.Log()->HexShowBox()->isEnabled());
    // By keyboard.
    packets->setFocus();
    QTest::keyClick(packets, Qt::Key_Space);
    QVERIFY(packets->isChecked() && w.Engine().DisplayPacket());
}

void DesktopWindowTest::shortcutsPressTheButtons() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    QVERIFY(f.SelectPort(CSimWindowFixture::AliasName()));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QTRY_VERIFY(w.Engine().IsOpen());
    QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);
    QTRY_VERIFY(f.LogText().contains("*Read "));
    QVERIFY(f.WaitJobEnd());
}

QTEST_MAIN(DesktopWindowTest)
#include "window_desktop_test.moc"
