// The main window without a module: start state, keys, tabs and locks, collapse, open failures,
// the close request and the language selector.
#include "WindowFixture.h"

#include "LocalDialog.h"
#include "WaitDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void startState();
    void enterAndEscapeNeverActOnTheWindow_data();
    void enterAndEscapeNeverActOnTheWindow();
    void remoteTabLocksActionButtons();
    void jobRunningLocksTabsPortAndLanguage_data();
    void jobRunningLocksTabsPortAndLanguage();
    void collapseHidesTheLogColumn();
    void openFailureSaysWhy_data();
    void openFailureSaysWhy();
    void actionsWithClosedPortOnlyLog();
    void closeIsRefusedWhileAJobShowsProgress();
    void choosingTheActiveLanguageDoesNotPrompt();
    void answeringNoRestoresTheLanguage();
};

void MainWindowTest::startState() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    QCOMPARE(w.windowTitle(), QString("Calyra"));
    QCOMPARE(w.Comm()->OpenButton()->text(), QString("Open COM"));
    QCOMPARE(w.DeviceTabs()->count(), 2);
    QCOMPARE(w.DeviceTabs()->tabText(0), QString("Local Device"));
    QCOMPARE(w.DeviceTabs()->tabText(1), QString("Remote Device"));
    const QStringList configTabs = {"Calyra", "Advanced Config", "IO Settings", "Encryption",
                                    "Cmd / Upgrade"};
    QCOMPARE(w.ConfigTabs()->count(), configTabs.size());
    for (int i = 0; i < configTabs.size(); ++i)
        QCOMPARE(w.ConfigTabs()->tabText(i), configTabs[i]);
    QCOMPARE(w.ConfigTabs()->currentIndex(), 0);
    QCOMPARE(w.DeviceTabs()->currentIndex(), 0);
    QCOMPARE(w.LanguageList()->itemText(0), QString("Chinese"));
    QCOMPARE(w.LanguageList()->itemText(1), QString("English"));
    QCOMPARE(w.LanguageList()->currentIndex(), 1);
    QVERIFY(w.Log()->DisplayPacket() && w.Log()->HexShow() && w.Log()->HexShowBox()->isEnabled());
    QCOMPARE(w.Engine().DisplayPacket(), true);
    QCOMPARE(w.Engine().HexShow(), true);
    QCOMPARE(w.CollapseButton()->text(), QString("<<"));
    QVERIFY(!w.Progress()->isVisible());
    QCOMPARE(w.Log()->Text(), QString());
    QCOMPARE(GetMainDlg(), static_cast<IMainDlg*>(&w));
}

void MainWindowTest::enterAndEscapeNeverActOnTheWindow_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("key");
    for (const char* target : {"window", "loadButton", "comList", "consoleCommand"}) {
        QTest::newRow(qPrintable(QString("%1 Enter").arg(target))) << QString(target) << int(Qt::Key_Return);
        QTest::newRow(qPrintable(QString("%1 Escape").arg(target))) << QString(target) << int(Qt::Key_Escape);
    }
}

void MainWindowTest::enterAndEscapeNeverActOnTheWindow() {
    QFETCH(QString, target);
    QFETCH(int, key);
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    QWidget* widget = &w;
    if (target == "loadButton") widget = w.LoadButton();
    if (target == "comList") widget = w.Comm()->PortList();
    if (target == "consoleCommand") {
        w.ConfigTabs()->setCurrentIndex(4);
        widget = w.ConfigTabs()->currentWidget()->findChild<QLineEdit*>();
    }
    QVERIFY(widget);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key(key));
    QTest::qWait(20);
    QVERIFY(w.isVisible());
    // A pressed Load Params would have logged "Open Com Failed!" (the port is closed).
    QVERIFY(!f.LogText().contains("Open Com Failed!"));
    QVERIFY(!w.Progress()->isVisible());
}

void MainWindowTest::remoteTabLocksActionButtons() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    const QList<QPushButton*> actions = {w.LoadButton(),    w.SaveButton(),   w.RestartButton(),
                                         w.FactoryButton(), w.ImportButton(), w.ExportButton()};
    w.DeviceTabs()->setCurrentIndex(1);
    for (QPushButton* b : actions)
        QVERIFY(!b->isEnabled());
    w.DeviceTabs()->setCurrentIndex(0);
    for (QPushButton* b : actions)
        QVERIFY(b->isEnabled());
}

void MainWindowTest::jobRunningLocksTabsPortAndLanguage_data() {
    QTest::addColumn<int>("deviceTab");
    QTest::newRow("local device") << 0;
    QTest::newRow("remote device") << 1;
}

void MainWindowTest::jobRunningLocksTabsPortAndLanguage() {
    QFETCH(int, deviceTab);
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    w.DeviceTabs()->setCurrentIndex(deviceTab);
    w.SetJobRunning(true);
    QVERIFY(!w.DeviceTabs()->tabBar()->isEnabled());
    QVERIFY(!w.ConfigTabs()->tabBar()->isEnabled());
    QVERIFY(!w.Comm()->OpenButton()->isEnabled());
    QVERIFY(!w.LanguageList()->isEnabled());
    QVERIFY(!w.LoadButton()->isEnabled());
    // Not even Ctrl+Tab inside a page changes the tab.
    QTest::keyClick(w.ConfigTabs()->currentWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(w.ConfigTabs()->currentIndex(), 0);
    // The pages, the log controls and the collapse button stay usable.
    QVERIFY(w.ConfigTabs()->currentWidget()->isEnabled());
    QVERIFY(w.DeviceTabs()->currentWidget()->isEnabled());
    QVERIFY(w.Log()->ClearButton()->isEnabled() && w.Log()->DisplayPacketBox()->isEnabled());
    QVERIFY(w.CollapseButton()->isEnabled());
    w.SetJobRunning(false);
    QVERIFY(w.DeviceTabs()->tabBar()->isEnabled() && w.ConfigTabs()->tabBar()->isEnabled());
    QVERIFY(w.Comm()->OpenButton()->isEnabled() && w.LanguageList()->isEnabled());
    QVERIFY(w.ConfigTabs()->isTabEnabled(4) && w.DeviceTabs()->isTabEnabled(1 - deviceTab));
    // On the remote tab the action buttons stay locked by the tab.
    QCOMPARE(w.LoadButton()->isEnabled(), deviceTab == 0);
}

void MainWindowTest::collapseHidesTheLogColumn() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    QTRY_VERIFY(w.width() > 0);
    // Away from the corner, so that a resize that moved the window would show.
    const QPoint where(137, 91);
    w.move(where);
    QTRY_COMPARE(w.pos(), where);
    const QSize full = w.size();
    QTest::mouseClick(w.CollapseButton(), Qt::LeftButton);
    QCOMPARE(w.CollapseButton()->text(), QString(">>"));
    QTRY_VERIFY(w.width() < full.width());
    QVERIFY(!w.Log()->isVisible());
    QCOMPARE(w.pos(), where);
    QTest::mouseClick(w.CollapseButton(), Qt::LeftButton);
    QCOMPARE(w.CollapseButton()->text(), QString("<<"));
    QTRY_COMPARE(w.size(), full);
    QVERIFY(w.Log()->isVisible());
    QCOMPARE(w.pos(), where);
}

void MainWindowTest::openFailureSaysWhy_data() {
    QTest::addColumn<QString>("alias");  // target of COM5 in the ports folder; empty: a file that
                                         // is gone by the time the port is opened
    QTest::addColumn<QString>("reason"); // part of the reason after "Open COM Failed!"
    QTest::newRow("device gone since the list was made") << ""
                                                         << "No such device";
    QTest::newRow("not a serial port") << "/dev/null"
                                       << "";
}

void MainWindowTest::openFailureSaysWhy() {
    QFETCH(QString, alias);
    QFETCH(QString, reason);
    CWindowFixture f;
    const QString target = alias.isEmpty() ? f.WorkDir() + "/ttyGone" : alias;
    if (alias.isEmpty()) QVERIFY(QFile(target).open(QIODevice::WriteOnly));
    QVERIFY(f.AddAlias(5, target));
    CCalyraDlg& w = f.Start();
    QVERIFY(f.SelectPort("COM5"));
    if (alias.isEmpty()) QVERIFY(QFile::remove(target));
    QTest::mouseClick(w.Comm()->OpenButton(), Qt::LeftButton);
    QVERIFY(!w.Engine().IsOpen());
    const QString log = f.LogText();
    QVERIFY2(log.contains("]\nOpen COM Failed! "), qPrintable(log));
    QVERIFY2(log.contains(reason), qPrintable(log));
    QCOMPARE(w.Comm()->OpenButton()->text(), QString("Open COM"));
    QVERIFY(w.Comm()->PortList()->isEnabled() && w.Comm()->ConfigModeList()->isEnabled());
}

void MainWindowTest::actionsWithClosedPortOnlyLog() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    for (QPushButton* b : {w.LoadButton(), w.SaveButton(), w.RestartButton(), w.FactoryButton()}) {
        w.Log()->Clear();
        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY2(f.LogText().endsWith("]\nOpen Com Failed!\n"), qPrintable(b->objectName()));
        QVERIFY(!w.Progress()->isVisible());
        QVERIFY(w.Comm()->OpenButton()->isEnabled());
    }
}

void MainWindowTest::closeIsRefusedWhileAJobShowsProgress() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    w.ShowProgress(5);
    {
        CPromptAnswerer ok(MB_RESULT_NO);
        QVERIFY(!w.close());
        QVERIFY(ok.Answered());
        QCOMPARE(ok.Text(), QString("There are tasks to perform, after the abort, then quit!"));
    }
    QVERIFY(w.isVisible());
    QTest::mouseClick(w.Progress()->AbortButton(), Qt::LeftButton);
    QVERIFY(!w.IsProgressShown());
    QVERIFY(w.close());
}

void MainWindowTest::choosingTheActiveLanguageDoesNotPrompt() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    CPromptAnswerer none(MB_RESULT_NO);
    w.OnLanguageSelected(1);
    QTest::qWait(30);
    QVERIFY(!none.Answered());
    QVERIFY(w.isVisible());
}

void MainWindowTest::answeringNoRestoresTheLanguage() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    w.LanguageList()->setCurrentIndex(0);
    CPromptAnswerer no(MB_RESULT_NO);
    w.OnLanguageSelected(0);
    QVERIFY(no.Answered());
    QCOMPARE(no.Text(),
             QString("After you change the language, you need to restart the program, whether to restart?"));
    QCOMPARE(w.LanguageList()->currentIndex(), 1);
    QVERIFY(w.isVisible());
    QVERIFY(!QFile::exists(f.WorkDir() + "/ParamCfg.ini"));
}

QTEST_MAIN(MainWindowTest)
#include "window_main_test.moc"
