// Page controls of the window against the module simulator: the node type's effect on the sleep
// settings (the page action), and a button click that sets off a range message.
#include "E2eWait.h"
#include "SimWindowFixture.h"

#include "AdvConfigDialog.h"
#include "BaseConfigDialog.h"
#include "LimitEdit.h"
#include "ParamCatalogue.h"

#include <QtTest>

namespace {
// Load Params, and the job's end (progress hidden, controls unlocked) in a real event loop.
bool Load(CCalyraDlg& w) {
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    return RunEventLoopUntil([&] { return !w.IsProgressShown() && w.Comm()->OpenButton()->isEnabled(); },
                             5000);
}

bool LoadFrom(CSimWindowFixture& f) {
    f.Window().Log()->SetDisplayPacket(false);
    return f.OpenSimPort() && Load(f.Window());
}

bool SleepSettingsEnabled(const CAdvConfigDialog* page) {
    return page->SleepModeList()->isEnabled() && page->SleepTimeField()->isEnabled() &&
           page->WakeupTimeField()->isEnabled();
}

bool SleepSettingsDisabled(const CAdvConfigDialog* page) {
    return !page->SleepModeList()->isEnabled() && !page->SleepTimeField()->isEnabled() &&
           !page->WakeupTimeField()->isEnabled();
}
} // namespace

class WindowPageActionsTest : public QObject {
    Q_OBJECT
  private slots:
    void nodeTypeSetsTheSleepSettings();
    void clickThatSetsOffARangeMessageIsNotLost();
};

void WindowPageActionsTest::nodeTypeSetsTheSleepSettings() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetLocalParam(PT_TYP, "0"); // a coordinator does not sleep
    CCalyraDlg& w = f.Start();
    QVERIFY(LoadFrom(f));
    QComboBox* nodeType = w.NetworkPage()->NodeTypeList();
    const CAdvConfigDialog* advanced = w.AdvancedPage();
    QCOMPARE(nodeType->currentIndex(), 0);
    QVERIFY(SleepSettingsDisabled(advanced));

    // The operator's choice on the network page reaches the advanced page through the window:
    // router and end device sleep, a coordinator does not.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    nodeType->setFocus();
    const struct {
        Qt::Key key;
        int index;
        bool sleeps;
    } steps[] = {
        {Qt::Key_Down, 1, true}, {Qt::Key_Down, 2, true}, {Qt::Key_Home, 0, false}, {Qt::Key_End, 2, true}};
    for (const auto& step : steps) {
        QTest::keyClick(nodeType, step.key);
        QCOMPARE(nodeType->currentIndex(), step.index);
        QVERIFY2(step.sleeps ? SleepSettingsEnabled(advanced) : SleepSettingsDisabled(advanced),
                 qPrintable(QString::number(step.index)));
    }
    // A new load of the coordinator locks them again.
    QVERIFY(Load(w));
    QCOMPARE(nodeType->currentIndex(), 0);
    QVERIFY(SleepSettingsDisabled(advanced));
}

void WindowPageActionsTest::clickThatSetsOffARangeMessageIsNotLost() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetLocalParam(PT_ITV, "20");
    CCalyraDlg& w = f.Start();
    QVERIFY(LoadFrom(f));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    CLimitEdit* interval = w.NetworkPage()->DataIntervalField();
    interval->setFocus();
    interval->selectAll();
    QTest::keyClicks(interval, "5000");
    f.Sim().ClearReceived();

    // The press on Save Params takes the focus: the range message opens, and the operator lets
    // go of the button while it is up (the release goes to the message, as on a real desktop).
    QPushButton* save = w.SaveButton();
    {
        CPromptAnswerer ok(MB_RESULT_NO, [save] { QTest::mouseRelease(save, Qt::LeftButton); });
        QTest::mousePress(save, Qt::LeftButton);
        QVERIFY(ok.Answered());
        QCOMPARE(ok.Text(), QString("Enter an integer in[6 - 1980]!"));
    }
    QTest::qWait(20);
    // The correction as documented; the button is not left pressed, and the log says the click
    // did nothing.
    QCOMPARE(interval->text(), QString("6"));
    QVERIFY(!save->isDown());
    QVERIFY(f.LogText().contains(
        "The value was out of range and was corrected to 6; \"Save Params\" was not run: check the value and "
        "click it again."));
    QVERIFY(!w.IsProgressShown());
    QVERIFY(f.Sim().ReceivedCommands().empty());

    // The next click saves the corrected value.
    QTest::mouseClick(save, Qt::LeftButton);
    QVERIFY(
        RunEventLoopUntil([&] { return !w.IsProgressShown() && w.Comm()->OpenButton()->isEnabled(); }, 5000));
    QCOMPARE(f.Sim().LocalParam(PT_ITV), std::string("6"));
}

QTEST_MAIN(WindowPageActionsTest)
#include "window_page_actions_test.moc"
