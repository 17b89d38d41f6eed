// The command console page with the window against the simulator: commands as text or hex bytes
// and their raw replies in the log, and the firmware download through Upgrade: complete, aborted,
// cut off by a hang-up; an image that cannot go whole and a second request during a transfer
// are refused.
#include "EngineTestAccess.h"
#include "SimWindowFixture.h"

#include "E2eWait.h"

#include "CmdConfigDialog.h"
#include "ConfigFile.h"
#include "ParamCatalogue.h"
#include "WaitDialog.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>

#include <algorithm>
#include <random>

namespace {
constexpr int kMaxBlocks = 3743; // the boot loader's area: 239,552 bytes
constexpr int kBlockBytes = 64;

// Sets a check box of the page by a click (its clicked handler runs), when it differs.
void SetBox(QCheckBox* box, bool on) {
    if (box->isChecked() != on) box->click();
}

// Sends text through the console page (Send button) with the given modes.
void ConsoleSend(CCmdConfigDialog* page, const QString& text, bool hex, bool newLine) {
    SetBox(page->HexBox(), hex);
    SetBox(page->NewLineBox(), newLine);
    page->CommandEdit()->setText(text);
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
}

// Opens the simulator's port with the console page shown and the packet display as asked.
bool OpenOnConsole(CSimWindowFixture& f, bool displayPacket) {
    CCalyraDlg& w = f.Window();
    w.Log()->SetDisplayPacket(displayPacket);
    w.Log()->SetHexShow(false);
    w.ConfigTabs()->setCurrentWidget(w.ConsolePage());
    return f.OpenSimPort();
}

// An image file of random bytes in the fixture's working folder.
std::vector<uint8_t> WriteImage(const QString& path, int size) {
    std::vector<uint8_t> image(size);
    std::mt19937 rng(size);
    for (uint8_t& b : image)
        b = static_cast<uint8_t>(rng());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(reinterpret_cast<const char*>(image.data()), size);
    return image;
}

// Chooses the image on the console page and presses Upgrade.
void StartUpgrade(CCalyraDlg& w, const QString& path, bool restart) {
    CCmdConfigDialog* page = w.ConsolePage();
    page->ChooseImage(path);
    SetBox(page->RestartBox(), restart);
    QTest::mouseClick(page->UpgradeButton(), Qt::LeftButton);
}

// Nothing of a job is left: no progress, every control usable again.
bool Unlocked(CCalyraDlg& w) {
    return !w.IsProgressShown() && !w.Progress()->isVisible() && w.Comm()->OpenButton()->isEnabled() &&
           w.LoadButton()->isEnabled() && w.ConfigTabs()->tabBar()->isEnabled() &&
           w.ConsolePage()->UpgradeButton()->isEnabled();
}
} // namespace

class E2eConsoleTest : public QObject {
    Q_OBJECT
  private slots:
    void commandsReachTheModuleAndRepliesAreLogged_data();
    void commandsReachTheModuleAndRepliesAreLogged();
    void firmwareDownloadFillsTheBootLoader_data();
    void firmwareDownloadFillsTheBootLoader();
    void interruptedDownloadEndsCleanly_data();
    void interruptedDownloadEndsCleanly();
    void imageThatCannotGoWholeIsRefused_data();
    void imageThatCannotGoWholeIsRefused();
    void secondUpgradeRequestLeavesTheTransfer();
    void consoleSendsNothingWhileADownloadRuns();
    void startCommandIsSentAsTheHexBoxSays_data();
    void startCommandIsSentAsTheHexBoxSays();
};

void E2eConsoleTest::commandsReachTheModuleAndRepliesAreLogged_data() {
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("shown");    // the log's "Send:" line
    QTest::addColumn<QString>("received"); // the line the module took
    QTest::addColumn<QString>("reply");
    QTest::newRow("text with New Line") << false << "AT+PID?"
                                        << "Send:AT+PID?\n"
                                        << "AT+PID?"
                                        << "]\n[Recv COM Data,Size(15)]+PID:4660\nOK\n";
    QTest::newRow("hex with blanks") << true << "41 54 2B 43 48 41 3F 0D 0A"
                                     << "Send:41542B4348413F0D0A\n"
                                     << "AT+CHA?"
                                     << "]\n[Recv COM Data,Size(13)]+CHA:15\nOK\n";
}

void E2eConsoleTest::commandsReachTheModuleAndRepliesAreLogged() {
    QFETCH(bool, hex);
    QFETCH(QString, command);
    QFETCH(QString, shown);
    QFETCH(QString, received);
    QFETCH(QString, reply);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetLocalParam(PT_PID, "4660");
    f.Sim().SetLocalParam(PT_CHA, "15");
    CCalyraDlg& w = f.Start();
    CCmdConfigDialog* page = w.ConsolePage();
    QVERIFY(OpenOnConsole(f, true));

    // The escape without a line end takes the module into its configuration state.
    ConsoleSend(page, "+++", false, false);
    QTRY_VERIFY(f.Sim().InConfigState());
    QTRY_VERIFY(f.LogText().contains("]\n[Recv COM Data,Size(4)]OK\n"));
    QVERIFY(f.LogText().contains("]\nSend:+++\n"));

    ConsoleSend(page, command, hex, true);
    QVERIFY(f.LogText().contains("]\n" + shown));
    QTRY_VERIFY(f.LogText().contains(reply));
    QCOMPARE(f.Commands(), std::vector<std::string>{received.toStdString()});
    // Raw mode: the reply is only logged, never applied to the pages or counted as a result.
    QCOMPARE(w.Engine().RawMode(), 1);
    std::vector<SCmdItem> values;
    w.CollectParamList(values);
    QVERIFY(std::none_of(values.begin(), values.end(),
                         [](const SCmdItem& r) { return r.type == PT_PID || r.type == PT_CHA; }));
    QVERIFY(!f.LogText().contains("*Read"));

    // Each tick of the send timer sends the same command again and always logs it. (A send purges
    // what the port has not passed on yet, so every tick waits for the one before.)
    const int sends = f.LogText().count("Send:");
    for (size_t n : {2, 3}) {
        page->OnSendTimer();
        QTRY_COMPARE(f.Commands().size(), n);
        QCOMPARE(f.Commands().back(), received.toStdString());
    }
    QCOMPARE(f.LogText().count("Send:"), sends + 2);
}

void E2eConsoleTest::firmwareDownloadFillsTheBootLoader_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("restart");
    const int full = kMaxBlocks * kBlockBytes;
    QTest::newRow("full image, restart first") << full << true;
    QTest::newRow("last block padded, no restart") << full - 20 << false;
}

void E2eConsoleTest::firmwareDownloadFillsTheBootLoader() {
    QFETCH(int, size);
    QFETCH(bool, restart);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetLocalParam(PT_PID, "4660");
    // The backup's entry gives up after three escape attempts: room for them on a busy machine.
    STimings timings = STimings::Fast();
    timings.escapeMs = 300;
    CCalyraDlg& w = f.Start(timings);
    QVERIFY(OpenOnConsole(f, false));
    const QString path = f.WorkDir() + "/firmware.bin";
    const std::vector<uint8_t> image = WriteImage(path, size);
    QCOMPARE(int(image.size()), size);

    QElapsedTimer clock;
    clock.start();
    StartUpgrade(w, path, restart);
    // The transfer shows its progress over the blocks and the enable record, the controls locked.
    QVERIFY2(RunEventLoopUntil([&] { return w.Progress()->ProgressText().startsWith("Upgrading...."); }, 3000),
             qPrintable(f.LogText()));
    QCOMPARE(w.GetProgressMax(), kMaxBlocks + 1);
    QVERIFY(w.Progress()->isVisible() && !w.Comm()->OpenButton()->isEnabled());
    QVERIFY2(RunEventLoopWhileAdvancing([&] { return f.LogText().contains("The upgrade process is complete!"); },
                                        [&] { return long(f.Sim().BlocksReceived()); }, 5000),
             qPrintable(f.LogText().right(3000)));
    // Then the check of the new application: its version and parameters are read.
    QVERIFY(RunEventLoopUntil([&] { return Unlocked(w); }, 5000));
    const qint64 took = clock.elapsed();
    qInfo("download of %d bytes: %lld ms", size, took);

    // The boot loader holds the image byte for byte up to the area's end, the last block filled
    // up with 0xFF, and was told to enable it.
    QCOMPARE(f.Sim().BlocksReceived(), kMaxBlocks);
    QVERIFY(f.Sim().ImageEnabled());
    std::vector<uint8_t> expected(image.begin(), image.begin() + std::min(size, kMaxBlocks * kBlockBytes));
    expected.resize(size_t(kMaxBlocks) * kBlockBytes, 0xFF);
    QVERIFY(f.Sim().FlashImage() == expected);

    const std::vector<std::string> commands = f.Commands();
    if (restart) {
        // The backup's reads, then API mode, the restart request and the handshake.
        QCOMPARE(commands.at(0), std::string("AT+VER"));
        const auto api = std::find(commands.begin(), commands.end(), "AT+API");
        QVERIFY(api != commands.end() && api + 1 != commands.end());
        QCOMPARE(*(api + 1), std::string("API restart 02"));
        QVERIFY(f.LogText().contains("Restart Success!"));
        // The backup file, written with the parameter set writer, holds the module's values.
        const QStringList backups =
            QDir(f.WorkDir() + "/state/calyra/backups").entryList({"*.ini"}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY(backups[0].startsWith(QString::fromStdString(f.Sim().LocalParam(PT_MID)) + "-"));
        const std::string file = (f.WorkDir() + "/state/calyra/backups/" + backups[0]).toStdString();
        QVERIFY(f.LogText().contains(QString::fromStdString("Parameters backed up to " + file)));
        const std::vector<SCmdResult> kept = ReadConfigFile(file);
        // Every value the pages give for an export (the link key is never read back from a file).
        std::vector<SCmdItem> pageValues;
        w.CollectParamList(pageValues);
        QCOMPARE(kept.size(), size_t(std::count_if(pageValues.begin(), pageValues.end(),
                                                   [](const SCmdItem& r) { return r.type != PT_TLK; })));
        for (const SCmdResult& r : kept)
            QCOMPARE(r.values.at(0), f.Sim().LocalParam(r.type));
        QVERIFY(std::any_of(kept.begin(), kept.end(),
                            [](const SCmdResult& r) { return r.type == PT_PID && r.values[0] == "4660"; }));
    } else {
        // The first bytes on the line are the handshake's.
        QVERIFY(f.Sim().ReceivedCommands().at(0) == "BOOT handshake");
    }
    QCOMPARE(std::count(commands.begin(), commands.end(), "BOOT enable"), 1L);
    const auto enable = std::find(commands.begin(), commands.end(), "BOOT enable");
    QVERIFY(std::none_of(enable + 1, commands.end(), [](const std::string& c) { return c.rfind("BOOT", 0) == 0; }));
    QVERIFY(std::find(enable, commands.end(), "AT+VER") != commands.end()); // the check's reads
    const QString log = f.LogText();
    QVERIFY2(log.contains(QString("Transfer totals: %1 bytes in ").arg(std::min(size, kMaxBlocks * kBlockBytes))),
             qPrintable(log.right(1500)));
    QVERIFY(log.contains(QString::fromStdString("The module runs its new firmware: " +
                                                f.Sim().LocalParam(PT_SOFT_VERSION))));
    QVERIFY(log.contains("Handshake succeeds, start the download program, please wait ...."));
    QVERIFY(!log.contains("failed") && !log.contains("Handshake fails"));
    QVERIFY(w.Engine().IsOpen());
}

void E2eConsoleTest::interruptedDownloadEndsCleanly_data() {
    QTest::addColumn<bool>("hangUp"); // else Abort
    QTest::newRow("Abort of the progress dialog") << false;
    QTest::newRow("hang-up of the module") << true;
}

void E2eConsoleTest::interruptedDownloadEndsCleanly() {
    QFETCH(bool, hangUp);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenOnConsole(f, false));
    const QString path = f.WorkDir() + "/firmware.bin";
    const std::vector<uint8_t> image = WriteImage(path, 400 * kBlockBytes);
    f.Sim().SetLatency(2);
    StartUpgrade(w, path, false);
    QVERIFY(RunEventLoopUntil([&] { return f.Sim().BlocksReceived() > 20; }, 5000));

    // The window thread keeps turning while the transfer ends.
    QElapsedTimer since;
    qint64 longest = 0;
    QTimer beat;
    connect(&beat, &QTimer::timeout, [&] { longest = std::max(longest, since.restart()); });
    since.start();
    beat.start(5);
    if (hangUp)
        f.Sim().HangUp();
    else
        QTest::mouseClick(w.Progress()->AbortButton(), Qt::LeftButton);
    QVERIFY(RunEventLoopUntil([&] { return Unlocked(w); }, 2000));
    QVERIFY(CEngineTestAccess(w.Engine()).pendingQueue.IsEmpty());
    const int blocks = f.Sim().BlocksReceived();
    QTest::qWait(50);
    QVERIFY(f.Sim().BlocksReceived() <= blocks + 1); // at most the block in flight
    QVERIFY(!f.Sim().ImageEnabled());
    qInfo("longest pause of the event loop: %lld ms", longest);
    QVERIFY2(longest < 300, qPrintable(QString::number(longest)));

    if (hangUp) {
        QTRY_VERIFY_WITH_TIMEOUT(!w.Engine().IsOpen(), 1000);
        QCOMPARE(w.Comm()->OpenButton()->text(), QString("Open Com"));
        QVERIFY(w.Comm()->PortList()->isEnabled());
        QVERIFY(f.LogText().contains("has vanished."));
        QVERIFY(!f.LogText().contains("The upgrade process is complete!"));
        return;
    }
    // After an abort the port stays open and a new download runs through.
    QVERIFY(w.Engine().IsOpen());
    f.Sim().SetLatency(0);
    StartUpgrade(w, path, false);
    QVERIFY(
        RunEventLoopUntil([&] { return f.LogText().contains("The upgrade process is complete!"); }, 5000));
    QVERIFY(RunEventLoopUntil([&] { return Unlocked(w); }, 1000));
    QCOMPARE(f.Sim().BlocksReceived(), 400);
    QVERIFY(f.Sim().FlashImage() == image);
    QVERIFY(f.Sim().ImageEnabled());
}

void E2eConsoleTest::imageThatCannotGoWholeIsRefused_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("message");
    const int full = kMaxBlocks * kBlockBytes;
    QTest::newRow("one byte over the area")
        << full + 1 << "has 239553 bytes, more than the 239552 bytes the module takes: nothing was sent.";
    QTest::newRow("far over the area") << full + 1000 << "has 240552 bytes";
    QTest::newRow("empty image") << 0 << "is empty: nothing was sent.";
}

void E2eConsoleTest::imageThatCannotGoWholeIsRefused() {
    QFETCH(int, size);
    QFETCH(QString, message);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenOnConsole(f, false));
    const QString path = f.WorkDir() + "/firmware.bin";
    QCOMPARE(int(WriteImage(path, size).size()), size);

    // With the restart box ticked as well: neither the restart nor a handshake goes out.
    StartUpgrade(w, path, true);
    QVERIFY(Unlocked(w));
    RunEventLoopUntil([] { return false; }, 100);
    QVERIFY(f.Sim().ReceivedCommands().empty());
    QCOMPARE(f.Sim().BlocksReceived(), 0);
    QVERIFY(f.LogText().contains(path + " " + message));

    // The refusal leaves nothing behind: a sound image goes through next.
    const std::vector<uint8_t> image = WriteImage(path, 20 * kBlockBytes);
    StartUpgrade(w, path, false);
    QVERIFY(
        RunEventLoopUntil([&] { return f.LogText().contains("The upgrade process is complete!"); }, 5000));
    QCOMPARE(f.Sim().BlocksReceived(), 20);
}

void E2eConsoleTest::secondUpgradeRequestLeavesTheTransfer() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenOnConsole(f, false));
    const QString path = f.WorkDir() + "/firmware.bin";
    const std::vector<uint8_t> image = WriteImage(path, 200 * kBlockBytes);
    // Late, split replies, as on a real line.
    f.Sim().SetLatency(2);
    f.Sim().SetChunking(5);
    StartUpgrade(w, path, false);
    QVERIFY(RunEventLoopUntil([&] { return f.Sim().BlocksReceived() > 20; }, 5000));

    // The page's request again, as a second Upgrade click makes it (with or without the button).
    w.ConsolePage()->OnUpgrade();
    QVERIFY2(RunEventLoopWhileAdvancing([&] { return f.LogText().contains("The upgrade process is complete!"); },
                                        [&] { return long(f.Sim().BlocksReceived()); }, 5000),
             qPrintable(f.LogText().right(3000)));
    QVERIFY(RunEventLoopUntil([&] { return Unlocked(w); }, 1000));
    // Every block once, from block 0 to the end, and one handshake answered.
    QCOMPARE(f.Sim().BlocksReceived(), 200);
    QVERIFY(f.Sim().FlashImage() == image);
    QCOMPARE(f.LogText().count("Handshake succeeds"), 1);
    QVERIFY(!f.LogText().contains("failed"));
    QVERIFY(f.LogText().contains("An upgrade is in progress: the new request was refused."));

    // Once the download is over, a new request is taken: its handshake is answered.
    QVERIFY(!w.Engine().UpgradeInProgress());
    StartUpgrade(w, path, false);
    QVERIFY(RunEventLoopUntil([&] { return f.LogText().count("Handshake succeeds") == 2; }, 5000));
    QCOMPARE(f.LogText().count("An upgrade is in progress"), 1);
    QTest::mouseClick(w.Progress()->AbortButton(), Qt::LeftButton);
    QVERIFY(RunEventLoopUntil([&] { return Unlocked(w); }, 2000));
}

void E2eConsoleTest::consoleSendsNothingWhileADownloadRuns() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    CCmdConfigDialog* page = w.ConsolePage();
    QVERIFY(OpenOnConsole(f, false));
    const QString path = f.WorkDir() + "/firmware.bin";
    const std::vector<uint8_t> image = WriteImage(path, 200 * kBlockBytes);
    f.Sim().SetLatency(2);
    f.Sim().SetChunking(5);
    StartUpgrade(w, path, false);
    QVERIFY(RunEventLoopUntil([&] { return f.Sim().BlocksReceived() > 20; }, 5000));

    // The page stays shown, but every control that sends is locked like the action buttons...
    QVERIFY(page->isVisible());
    for (QWidget* control :
         std::initializer_list<QWidget*>{page->SendButton(), page->ClearButton(), page->SendTimerBox(),
                                         page->BrowseButton(), page->UpgradeButton()})
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    // ... and the ways around the buttons send nothing: Enter in the command field, a click on the
    // locked Send, a tick of a send timer started before the job.
    SetBox(page->HexBox(), false);
    page->CommandEdit()->setText("+++");
    QTest::keyClick(page->CommandEdit(), Qt::Key_Return);
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    page->OnSendTimer();
    QCOMPARE(w.Engine().RawMode(), 0);

    QVERIFY2(RunEventLoopWhileAdvancing([&] { return f.LogText().contains("The upgrade process is complete!"); },
                                        [&] { return long(f.Sim().BlocksReceived()); }, 5000),
             qPrintable(f.LogText().right(3000)));
    QVERIFY(RunEventLoopUntil([&] { return Unlocked(w); }, 5000)); // after the check's reads
    QCOMPARE(f.Sim().BlocksReceived(), 200);
    QVERIFY(f.Sim().FlashImage() == image);
    const std::vector<std::string> received = f.Sim().ReceivedCommands();
    // Nothing of the console's reached the module during the transfer (the check's entry follows it).
    const auto enabled = std::find(received.begin(), received.end(), "BOOT enable");
    QCOMPARE(std::count(received.begin(), enabled, "+++"), 0L);
    QVERIFY(!f.LogText().contains("failed!"));

    // After the job the console sends again.
    QVERIFY(page->SendButton()->isEnabled() && page->SendTimerBox()->isEnabled());
    QTest::keyClick(page->CommandEdit(), Qt::Key_Return);
    QCOMPARE(w.Engine().RawMode(), 1);
    QTRY_VERIFY(f.Sim().ReceivedCommands().back() == "+++");
}

void E2eConsoleTest::startCommandIsSentAsTheHexBoxSays_data() {
    QTest::addColumn<QString>("settings"); // ParamCfg.ini, "" for none
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("shown");
    QTest::newRow("first start") << "" << true << "2B 2B 2B";
    QTest::newRow("stored text mode, timer state on")
        << "[CONFIG]\nCmdHex=0\nSendTimerState=1\nSendNewLine=0\n"
        << false << "+++";
}

void E2eConsoleTest::startCommandIsSentAsTheHexBoxSays() {
    QFETCH(QString, settings);
    QFETCH(bool, hex);
    QFETCH(QString, shown);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    if (!settings.isEmpty()) {
        QFile file(f.WorkDir() + "/ParamCfg.ini");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(settings.toUtf8());
    }
    CCalyraDlg& w = f.Start();
    CCmdConfigDialog* page = w.ConsolePage();
    QCOMPARE(page->HexBox()->isChecked(), hex);
    QCOMPARE(page->CommandEdit()->text(), shown);
    // No timer runs at start, and the box says so.
    QVERIFY(!page->SendTimerBox()->isChecked());
    QVERIFY(!page->IsSendTimerActive());

    // Send as it stands takes the module into its configuration state.
    QVERIFY(OpenOnConsole(f, true));
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    QTRY_VERIFY(f.Sim().InConfigState());
    QTRY_VERIFY(f.LogText().contains("[Recv COM Data,Size(4)]OK"));
    QVERIFY(!f.LogText().contains("Hex command may hold only"));
    // In hex mode the field takes hex digits only.
    if (hex) {
        QTest::keyClicks(page->CommandEdit(), "G+");
        QCOMPARE(page->CommandEdit()->text(), shown);
    }
}

QTEST_MAIN(E2eConsoleTest)
#include "e2e_console_test.moc"
