// The main window against the module simulator: open and close, load, save, the retry prompt,
// a vanished port, the packet display and a window thread that never blocks.
#include "SimWindowFixture.h"

#include "BaseConfigDialog.h"
#include "LimitEdit.h"
#include "ParamCatalogue.h"
#include "TextUtil.h"
#include "WaitDialog.h"

#include <QElapsedTimer>
#include <QtTest>

#include <algorithm>

namespace {
// Opens the simulator's port with packet display off (so the log holds the status lines only) and loads.
bool OpenAndLoad(CSimWindowFixture& f) {
    CCalyraDlg& w = f.Window();
    w.Log()->SetDisplayPacket(false);
    if (!f.OpenSimPort()) return false;
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    return f.WaitJobEnd();
}
} // namespace

class SimWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void openAndCloseShowTheState();
    void loadFillsThePagesAndLogsEveryRead();
    void saveSendsOnlyTheChangedValueThenSave();
    void saveWithNothingChangedSendsNothing();
    void failedReadsArePromptedAndReread_data();
    void failedReadsArePromptedAndReread();
    void vanishedPortIsNoticedAtOnce_data();
    void vanishedPortIsNoticedAtOnce();
    void packetsAreShownAsTextOrHex_data();
    void packetsAreShownAsTextOrHex();
    void windowThreadNeverBlocks();
};

void SimWindowTest::openAndCloseShowTheState() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    QVERIFY(f.OpenSimPort());
    QCOMPARE(w.Comm()->OpenButton()->text(), QString("Close Com"));
    for (QComboBox* list : {w.Comm()->PortList(), w.Comm()->ConfigModeList(), w.Comm()->BaudList()})
        QVERIFY(!list->isEnabled());
    QVERIFY(f.LogText().contains("]\nOpen COM Success!\n"));
    // The operator can tell which Linux device the port is.
    QVERIFY2(f.LogText().contains("]\n" + CSimWindowFixture::AliasName() + " is " +
                                  QString::fromStdString(f.Sim().SlavePath())),
             qPrintable(f.LogText()));
    QTest::mouseClick(w.Comm()->OpenButton(), Qt::LeftButton);
    QVERIFY(!w.Engine().IsOpen());
    QCOMPARE(w.Comm()->OpenButton()->text(), QString("Open Com"));
    QVERIFY(w.Comm()->PortList()->isEnabled() && w.Comm()->ConfigModeList()->isEnabled());
    QVERIFY(f.LogText().endsWith("]\nClose COM Success!\n"));
}

void SimWindowTest::loadFillsThePagesAndLogsEveryRead() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetLocalParam(PT_PID, "4660");
    f.Sim().SetLocalParam(PT_CHA, "15");
    f.Sim().SetLocalParam(PT_ITV, "250");
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenAndLoad(f));

    // The network page shows the module's values (of the parameters it delivers for the module's
    // node type).
    for (int code = PT_IPR; code <= PT_ITV; ++code) {
        const SParamInfo* info = FindParam(code);
        if (info->page != PG_NETWORK || !info->writePrefix || f.PageValue(code).empty()) continue;
        QVERIFY2(EqualsNoCase(f.PageValue(code), f.Sim().LocalParam(code)),
                 qPrintable(
                     QString("%1: page %2, module %3")
                         .arg(info->mnemonic, f.PageValue(code).c_str(), f.Sim().LocalParam(code).c_str())));
    }
    QCOMPARE(f.PageValue(PT_PID), std::string("4660"));
    QCOMPARE(f.PageValue(PT_ITV), std::string("250"));

    // One status line per read, in sending order, and nothing failed.
    const QString log = f.LogText();
    int at = 0;
    for (int code : LocalLoadOrder()) {
        const QString line = "*Read " + QString::fromStdString(ParamCaption(code)) + " Success!";
        const int found = log.indexOf(line, at);
        QVERIFY2(found >= 0, qPrintable(line));
        at = found;
    }
    QVERIFY(!log.contains("Failed!"));
    QVERIFY(!w.Progress()->isVisible());
    QVERIFY(w.LoadButton()->isEnabled() && w.DeviceTabs()->tabBar()->isEnabled());
}

void SimWindowTest::saveSendsOnlyTheChangedValueThenSave() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenAndLoad(f));
    const int savesBefore = f.Sim().SaveCount();
    f.Sim().ClearReceived();
    const std::string changed = f.Sim().LocalParam(PT_ITV) == "300" ? "400" : "300";
    w.NetworkPage()->DataIntervalField()->setText(QString::fromStdString(changed));
    QTest::mouseClick(w.SaveButton(), Qt::LeftButton);
    QVERIFY(w.IsProgressShown() || f.WaitJobEnd(0));
    QVERIFY(f.WaitJobEnd());
    QCOMPARE(f.Commands(), (std::vector<std::string>{"AT+ITV=" + changed, "AT+SAV"}));
    QCOMPARE(f.Sim().LocalParam(PT_ITV), changed);
    QCOMPARE(f.Sim().SaveCount(), savesBefore + 1);
    QVERIFY(f.LogText().contains("*Write Data Interval Success!"));
    QVERIFY(f.LogText().contains("Save Parameter Success,Please Restart Device to Enable the Parameters!"));

    // The written value now counts as read: a second save sends nothing.
    f.Sim().ClearReceived();
    QTest::mouseClick(w.SaveButton(), Qt::LeftButton);
    QTest::qWait(50);
    QVERIFY(f.Sim().ReceivedCommands().empty());
}

void SimWindowTest::saveWithNothingChangedSendsNothing() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenAndLoad(f));
    f.Sim().ClearReceived();
    const QString logBefore = f.LogText();
    QTest::mouseClick(w.SaveButton(), Qt::LeftButton);
    QVERIFY(!w.Progress()->isVisible());
    QVERIFY(w.LoadButton()->isEnabled());
    QTest::qWait(100); // longer than an escape attempt with the fast timings
    QVERIFY(f.Sim().ReceivedCommands().empty());
    QCOMPARE(f.LogText(), logBefore);
}

void SimWindowTest::failedReadsArePromptedAndReread_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes reads them again") << int(MB_RESULT_YES);
    QTest::newRow("No ends the job") << int(MB_RESULT_NO);
}

void SimWindowTest::failedReadsArePromptedAndReread() {
    QFETCH(int, answer);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    const int failing[] = {PT_PID, PT_CHA, PT_ITV};
    for (int code : failing)
        f.Sim().FailReads(code, true);
    f.Sim().SetLocalParam(PT_PID, "4660");
    CCalyraDlg& w = f.Start();
    w.Log()->SetDisplayPacket(false);
    QVERIFY(f.OpenSimPort());

    // The module answers again by the time the operator says Yes.
    CPromptAnswerer prompt(answer, [&] {
        for (int code : failing)
            f.Sim().FailReads(code, false);
        f.Sim().ClearReceived();
    });
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(prompt.Answered(), 5000);
    QCOMPARE(prompt.Text(), QString("Some parameters failed to load, whether to re-load these parameters?"));
    QVERIFY(f.WaitJobEnd());
    for (const char* caption : {"PID", "Physical Channel", "Data Interval"})
        QVERIFY(f.LogText().contains(QString("*Read %1 Failed!").arg(caption)));
    QCOMPARE(f.LogText().count(" Failed!"), 3);

    if (answer == MB_RESULT_YES) {
        QCOMPARE(f.Commands(), (std::vector<std::string>{"AT+PID?", "AT+CHA?", "AT+ITV?"}));
        QCOMPARE(f.PageValue(PT_PID), std::string("4660"));
        QVERIFY(f.LogText().contains("*Read PID Success!"));
    } else {
        QVERIFY(f.Commands().empty());
        QCOMPARE(f.PageValue(PT_PID), std::string());
    }
    QVERIFY(!w.Progress()->isVisible());
    QVERIFY(w.LoadButton()->isEnabled() && w.Comm()->OpenButton()->isEnabled());
}

void SimWindowTest::vanishedPortIsNoticedAtOnce_data() {
    QTest::addColumn<bool>("hangUp"); // else the alias is removed
    QTest::addColumn<bool>("duringLoad");
    QTest::newRow("hang-up, idle") << true << false;
    QTest::newRow("hang-up during a load") << true << true;
    QTest::newRow("alias removed, idle") << false << false;
    QTest::newRow("alias removed during a load") << false << true;
}

void SimWindowTest::vanishedPortIsNoticedAtOnce() {
    QFETCH(bool, hangUp);
    QFETCH(bool, duringLoad);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    w.Log()->SetDisplayPacket(false);
    QVERIFY(f.OpenSimPort());
    if (duringLoad) {
        f.Sim().SetLatency(20);
        QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
        QTRY_VERIFY(f.LogText().contains("*Read Soft Version Success!"));
        QVERIFY(w.IsProgressShown());
    }
    QElapsedTimer clock;
    clock.start();
    if (hangUp)
        f.Sim().HangUp();
    else
        QVERIFY(f.RemoveAlias(CSimWindowFixture::kAlias));
    QVERIFY(QTest::qWaitFor([&] { return !w.Engine().IsOpen(); }, 1000));
    const qint64 noticed = clock.elapsed();
    qInfo("vanished port noticed after %lld ms", noticed);
    QVERIFY2(noticed < 100, qPrintable(QString::number(noticed))); // a few 20 ms ticks at most
    QCOMPARE(w.Comm()->OpenButton()->text(), QString("Open Com"));
    QVERIFY(w.Comm()->PortList()->isEnabled());
    QVERIFY(f.LogText().contains("has vanished."));
    QVERIFY(f.LogText().endsWith("]\nClose COM Success!\n"));
    // The job ended with the port: no progress, nothing locked.
    QVERIFY(!w.Progress()->isVisible());
    QVERIFY(w.LoadButton()->isEnabled() && w.Comm()->OpenButton()->isEnabled());
    // The vanished entry leaves the COM list with the next refresh.
    QTRY_VERIFY(w.Comm()->PortList()->findText(CSimWindowFixture::AliasName()) < 0);
}

void SimWindowTest::packetsAreShownAsTextOrHex_data() {
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("received");
    QTest::newRow("text") << false << "]\nSend:AT+SRS\n"
                          << "[Recv COM Data,Size(4)]OK\n";
    QTest::newRow("hex") << true << "]\nSend:41542B5352530D0A\n"
                         << "[Recv COM Data,Size(4)]4F4B0D0A\n";
}

void SimWindowTest::packetsAreShownAsTextOrHex() {
    QFETCH(bool, hex);
    QFETCH(QString, sent);
    QFETCH(QString, received);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    w.Log()->SetDisplayPacket(true);
    w.Log()->SetHexShow(hex);
    QVERIFY(f.OpenSimPort());
    QTest::mouseClick(w.RestartButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f.LogText().contains("Restart Success!"), 3000);
    const QString log = f.LogText();
    QVERIFY2(log.contains(sent), qPrintable(log));
    QVERIFY2(log.contains(received), qPrintable(log));
    QVERIFY(log.contains("]\n+++\n"));
}

void SimWindowTest::windowThreadNeverBlocks() {
    // The event loop keeps turning while a load runs against a slow module and while the port
    // is closed in the middle of it.
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetLatency(15);
    CCalyraDlg& w = f.Start();
    QVERIFY(f.OpenSimPort());
    QElapsedTimer since;
    qint64 longest = 0;
    QTimer beat;
    connect(&beat, &QTimer::timeout, [&] { longest = std::max(longest, since.restart()); });
    since.start();
    beat.start(5);
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f.LogText().contains("*Read PID "), 5000);
    since.restart();
    QTest::mouseClick(w.Progress()->AbortButton(), Qt::LeftButton);
    QTest::mouseClick(w.Comm()->OpenButton(), Qt::LeftButton);
    QVERIFY(!w.Engine().IsOpen());
    QTest::qWait(50);
    qInfo("longest pause of the event loop: %lld ms", longest);
    QVERIFY2(longest < 150, qPrintable(QString::number(longest)));
}

QTEST_MAIN(SimWindowTest)
#include "window_sim_test.moc"
