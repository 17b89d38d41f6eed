// Takes the documentation's screenshots of the main window: the module simulator on a pseudo-
// terminal behind a COM alias, the window in the chosen language, the port opened and the
// parameters loaded, then the window grabbed into a PNG file at 1280 x 720. Scenes:
//   main          the window after the local load (default)
//   remote-load   after a search and a node's load: the pages hold the node's values
//   save-question the question a local Save asks while the pages hold a node's values
//   marks         three values of the network page changed after the load: the marks of pending
//                 changes, the count beside Save Params and one mark's tooltip
// Usage: calyra_screenshot FILE [LANGUAGE [SCENE]]   (LANGUAGE: 0 Chinese, 1 English; default 1)
// Run it under a display server, e.g. xvfb-run -a build/bin/calyra_screenshot docs/main-window.png
#include "AppSettings.h"
#include "BaseConfigDialog.h"
#include "CalyraDlg.h"
#include "CommSettings.h"
#include "LimitEdit.h"
#include "LanguageBundle.h"
#include "LocalDialog.h"
#include "MessageBoxCustom.h"
#include "RemoteDialog.h"
#include "Simulator.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QToolTip>

#include <cstdio>
#include <cstring>

namespace {
bool JobEnded(CCalyraDlg& window) {
    return QTest::qWaitFor(
        [&] { return !window.IsProgressShown() && window.Comm()->OpenButton()->isEnabled(); }, 20000);
}

// A search, then the load of the first node listed through its row's menu.
bool LoadFirstNode(CCalyraDlg& window) {
    CRemoteDialog* page = window.RemotePage();
    window.DeviceTabs()->setCurrentWidget(page);
    page->SearchButton()->click();
    if (!QTest::qWaitFor([&] { return page->NodeList()->topLevelItemCount() >= 3; }, 5000)) return false;
    page->EndSearch();
    page->NodeList()->setCurrentItem(page->NodeList()->topLevelItem(0));
    page->RunMenuCommand(CRemoteDialog::IDM_LOAD);
    return JobEnded(window);
}

// The screen under the window, with the question a local Save asks on top of it.
bool GrabSaveQuestion(CCalyraDlg& window, const QString& output) {
    window.DeviceTabs()->setCurrentWidget(window.LocalPage());
    bool saved = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<CMessageBoxCustom*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll.stop();
        QTest::qWait(200);
        const QRect area = window.frameGeometry().united(box->frameGeometry());
        saved = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(output);
        box->NoButton()->click();
    });
    poll.start(20);
    window.SaveButton()->click();
    return saved;
}

// Changes three values of the network page as an operator would.
void ChangeThreeValues(CCalyraDlg& window) {
    CBaseConfigDialog* page = window.NetworkPage();
    QComboBox* channel = page->ChannelList();
    channel->setCurrentIndex(channel->findText("20"));
    page->PanIdModeList()->setCurrentIndex(1);
    emit page->PanIdModeList()->activated(1);
    page->PanIdField()->setText("4660");
    page->DataIntervalField()->setText("250");
}

// The window with the tooltip of one control painted where it shows (a tooltip is a window of
// its own, so grabbing the main window alone leaves it out).
QPixmap GrabWithToolTip(CCalyraDlg& window, QWidget* control) {
    QToolTip::showText(control->mapToGlobal(QPoint(8, control->height())), control->toolTip(), control);
    QTest::qWait(300);
    QPixmap shot = window.grab();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() || std::strcmp(top->metaObject()->className(), "QTipLabel") != 0) continue;
        QPainter painter(&shot);
        painter.drawPixmap(window.mapFromGlobal(top->pos()), top->grab());
    }
    return shot;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [LANGUAGE [main|remote-load|save-question]]\n", argv[0]);
        return 2;
    }
    const QString output = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    const int language = argc > 2 ? std::atoi(argv[2]) : 1;
    const char* scene = argc > 3 ? argv[3] : "main";
    if (std::strcmp(scene, "main") != 0 && std::strcmp(scene, "remote-load") != 0 &&
        std::strcmp(scene, "save-question") != 0 && std::strcmp(scene, "marks") != 0) {
        std::fprintf(stderr, "%s: unknown scene %s\n", argv[0], scene);
        return 2;
    }
    const bool marks = std::strcmp(scene, "marks") == 0;

    QTemporaryDir workDir, portsDir;
    QDir::setCurrent(workDir.path());
    qputenv("CALYRA_PORTS_DIR", portsDir.path().toUtf8());
    qputenv("XDG_STATE_HOME", workDir.path().toUtf8()); // the log file goes with the folder
    CAppSettings settings;
    settings.SaveLanguage(language);
    StartLanguage(settings);

    constexpr int kAlias = 1;
    CSimulator sim;
    SSimOptions options;
    options.portsDir = portsDir.path().toStdString();
    options.aliasNumber = kAlias;
    std::string error;
    if (!sim.Start(options, &error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }

    int code = 1;
    {
        CCalyraDlg window;
        window.move(0, 0);
        // The size of a 1280 x 720 screen, which every control must fit.
        window.resize(1280, 720);
        window.show();
        QComboBox* ports = window.Comm()->PortList();
        const QString name = QString("COM%1").arg(kAlias);
        if (QTest::qWaitFor([&] { return ports->findText(name) >= 0; }, 5000)) {
            ports->setCurrentIndex(ports->findText(name));
            window.Comm()->OpenButton()->click();
            window.LoadButton()->click();
            bool ready = JobEnded(window);
            if (ready && !marks && std::strcmp(scene, "main") != 0) ready = LoadFirstNode(window);
            QTest::qWait(200);
            if (ready && std::strcmp(scene, "save-question") == 0) {
                code = GrabSaveQuestion(window, output) ? 0 : 1;
            } else if (ready && marks) {
                ChangeThreeValues(window);
                QTest::qWait(200);
                if (GrabWithToolTip(window, window.NetworkPage()->ChannelList()).save(output)) code = 0;
            } else if (ready && window.grab().save(output)) {
                code = 0;
            }
        }
        if (code != 0) std::fprintf(stderr, "could not take the scene %s into %s\n", scene, argv[1]);
    }
    sim.Stop();
    return code;
}
