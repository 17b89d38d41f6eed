// The command console page: what a command puts on the line (text, New Line, hex), the bounds of the
// send buffer, the hex toggle, the send timer, the image choice, the upgrade request and the settings.
#include "CmdConfigDialog.h"
#include "CommandPayload.h"
#include "ConsoleLink.h"
#include "SettingsStore.h"
#include "StandInMainDlg.h"
#include "Texts.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <map>
#include <utility>
#include <vector>

namespace {
// Records what the page asks of the engine.
class CRecordingLink : public IConsoleLink {
  public:
    bool SendData(const uint8_t* bytes, int count) override {
        sent << QByteArray(reinterpret_cast<const char*>(bytes), count);
        return sendSucceeds;
    }
    bool DisplayPacket() const override { return displayPacket; }
    void SetAbortEntry() override { abortEntry = 1; }
    int RawMode() const override { return rawMode; }
    void SetRawMode(int value) override { rawMode = value; }
    void UpgradeRequest(const std::string& text) override { upgrades << QString::fromStdString(text); }

    QList<QByteArray> sent;
    QStringList upgrades;
    bool sendSucceeds = true;
    bool displayPacket = true;
    int abortEntry = 0;
    int rawMode = 0;
};

class CMapStore : public ISettingsStore {
  public:
    int GetInt(const std::string& key, int def) override {
        auto it = values.find(key);
        return it == values.end() ? def : std::stoi(it->second);
    }
    std::string GetText(const std::string& key, const std::string& def) override {
        auto it = values.find(key);
        return it == values.end() ? def : it->second;
    }
    void WriteText(const std::string& key, const std::string& value) override {
        writes.emplace_back(key, value);
    }

    std::map<std::string, std::string> values;
    std::vector<std::pair<std::string, std::string>> writes;
};

// A page with a recording link, its boxes set as given.
struct SConsole {
    SConsole(const QString& command, bool hex, bool newLine) {
        page.SetLink(&link);
        page.HexBox()->setChecked(hex);
        page.NewLineBox()->setChecked(newLine);
        page.CommandEdit()->setText(command);
    }
    CStandInMainDlg main;
    CRecordingLink link;
    CCmdConfigDialog page;
};

QString TooLong(int limit) {
    return QString::fromStdString(Text(TXT_COMMAND_TOO_LONG)).replace("%d", QString::number(limit));
}
QString HexInvalid() {
    return QString::fromStdString(Text(TXT_HEX_INVALID));
}
QString Digits(int n) {
    return QString("A5").repeated(n / 2) + (n % 2 ? "A" : "");
}
} // namespace

class CmdConfigTest : public QObject {
    Q_OBJECT
  private slots:
    void firstStartState();
    void send_data();
    void send();
    void hugeCommandsRefusedByTheBuilder();
    void failedSendLogsNothing();
    void enterInCommandFieldSends();
    void timerSendsWhatSendSends_data();
    void timerSendsWhatSendSends();
    void timerStopsOnRefusedCommand();
    void sendPeriod_data();
    void sendPeriod();
    void sendTimerBox();
    void hexToggle_data();
    void hexToggle();
    void hexFilterFollowsTheBox();
    void imagePath_data();
    void imagePath();
    void refusedImageKeepsChoice();
    void browseFilter();
    void upgradeRequest();
    void loadSettings();
    void saveSettingsOrder();
};

void CmdConfigTest::firstStartState() {
    CCmdConfigDialog page;
    CMapStore empty;
    page.LoadSettings(empty);
    QVERIFY(page.HexBox()->isChecked() && page.NewLineBox()->isChecked() && page.RestartBox()->isChecked());
    QCOMPARE(page.PeriodEdit()->text(), QString("1000"));
    // The escape in the form the ticked Hex box asks for, with its filter; the timer box shows
    // that no timer runs.
    QCOMPARE(page.CommandEdit()->text(), QString("2B 2B 2B"));
    QTest::keyClicks(page.CommandEdit(), "g");
    QCOMPARE(page.CommandEdit()->text(), QString("2B 2B 2B"));
    QVERIFY(!page.SendTimerBox()->isChecked());
    QVERIFY(!page.IsSendTimerActive());
    QVERIFY(page.FileEdit()->isReadOnly());
}

void CmdConfigTest::send_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("newLine");
    QTest::addColumn<bool>("displayPacket");
    QTest::addColumn<QByteArray>("bytes"); // empty and no log: refused
    QTest::addColumn<QString>("log");
    QTest::newRow("text with New Line")
        << "AT+VER?" << false << true << true << QByteArray("AT+VER?\r\n") << "Send:AT+VER?";
    QTest::newRow("text without New Line")
        << "+++" << false << false << true << QByteArray("+++") << "Send:+++";
    QTest::newRow("display packet off") << "AT" << false << true << false << QByteArray("AT\r\n") << "";
    QTest::newRow("hex with blanks, New Line ignored")
        << "2B 2B 2B" << true << true << true << QByteArray("+++") << "Send:2B2B2B";
    QTest::newRow("hex odd digit count") << "414" << true << false << true << QByteArray("A") << "Send:414";
    QTest::newRow("hex lower case") << "fe 0a" << true << false << true << QByteArray("\xfe\x0a", 2)
                                    << "Send:fe0a";
    QTest::newRow("hex invalid refused") << "+++" << true << false << true << QByteArray() << HexInvalid();
    QTest::newRow("hex tab refused") << "41\t42" << true << false << true << QByteArray() << HexInvalid();
    QTest::newRow("text 255 fits") << QString(255, 'x') << false << false << false << QByteArray(255, 'x')
                                   << "";
    QTest::newRow("text 256 refused")
        << QString(256, 'x') << false << false << true << QByteArray() << TooLong(255);
    QTest::newRow("text 253 with New Line fits")
        << QString(253, 'x') << false << true << false << QByteArray(253, 'x') + "\r\n"
        << "";
    QTest::newRow("text 254 with New Line refused")
        << QString(254, 'x') << false << true << true << QByteArray() << TooLong(253);
    QTest::newRow("long multibyte text refused") // 130 characters, 260 bytes
        << QString::fromUtf8("é").repeated(130) << false << false << true << QByteArray() << TooLong(255);
    QTest::newRow("hex 510 digits fit")
        << Digits(510) << true << false << false << QByteArray(255, '\xa5') << "";
    QTest::newRow("hex blanks do not count")
        << Digits(510).replace("A5", "A5 ") << true << false << false << QByteArray(255, '\xa5') << "";
    QTest::newRow("hex 511 digits refused")
        << Digits(511) << true << false << true << QByteArray() << TooLong(510);
    QTest::newRow("hex 4000 digits refused")
        << Digits(4000) << true << false << true << QByteArray() << TooLong(510);
}

void CmdConfigTest::send() {
    QFETCH(QString, command);
    QFETCH(bool, hex);
    QFETCH(bool, newLine);
    QFETCH(bool, displayPacket);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, log);
    SConsole c(command, hex, newLine);
    c.link.displayPacket = displayPacket;
    c.page.CommandEdit()->setMaxLength(32767);
    c.page.CommandEdit()->setText(command);
    QTest::mouseClick(c.page.SendButton(), Qt::LeftButton);
    const bool refused = bytes.isEmpty();
    QCOMPARE(c.link.sent.size(), refused ? 0 : 1);
    if (!refused) QCOMPARE(c.link.sent[0], bytes);
    QCOMPARE(c.main.log, log.isEmpty() ? QStringList{} : QStringList{log});
    QCOMPARE(c.link.rawMode, refused ? 0 : 1);
    QCOMPARE(c.link.abortEntry, refused ? 0 : 1);
}

// Commands far beyond the buffer are refused before anything is copied into it.
void CmdConfigTest::hugeCommandsRefusedByTheBuilder() {
    const SCommandPayload p = BuildCommandPayload(std::string(100000, 'x'), false, true);
    QCOMPARE(int(p.status), int(SCommandPayload::PAYLOAD_TOO_LONG));
    QCOMPARE(p.count, 0);
    const SCommandPayload h = BuildCommandPayload(std::string(100000, 'a'), true, false);
    QCOMPARE(int(h.status), int(SCommandPayload::PAYLOAD_TOO_LONG));
    QCOMPARE(h.count, 0);
}

void CmdConfigTest::failedSendLogsNothing() {
    SConsole c("AT", false, false);
    c.link.sendSucceeds = false; // the engine logs why (port closed)
    c.page.OnSend();
    c.page.OnSendTimer();
    QCOMPARE(c.link.sent.size(), 2);
    QVERIFY(c.main.log.isEmpty());
}

void CmdConfigTest::enterInCommandFieldSends() {
    SConsole c("AT", false, true);
    QTest::keyClick(c.page.CommandEdit(), Qt::Key_Return);
    QCOMPARE(c.link.sent, QList<QByteArray>{"AT\r\n"});
    QTest::keyClick(c.page.PeriodEdit(), Qt::Key_Return); // Enter elsewhere does nothing
    QCOMPARE(c.link.sent.size(), 1);
}

void CmdConfigTest::timerSendsWhatSendSends_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("newLine");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("log");
    QTest::newRow("text with New Line, CR LF in the line")
        << "AT" << false << true << QByteArray("AT\r\n") << "Send:AT\r\n";
    QTest::newRow("hex sends bytes, not digits")
        << "2B 2B 2B" << true << true << QByteArray("+++") << "Send:2B2B2B";
}

// The timer line is written whatever the display switch says; raw mode and entry abort are left.
void CmdConfigTest::timerSendsWhatSendSends() {
    QFETCH(QString, command);
    QFETCH(bool, hex);
    QFETCH(bool, newLine);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, log);
    SConsole c(command, hex, newLine);
    c.link.displayPacket = false;
    c.page.OnSendTimer();
    QCOMPARE(c.link.sent, QList<QByteArray>{bytes});
    QCOMPARE(c.main.log, QStringList{log});
    QCOMPARE(c.link.rawMode, 0);
    QCOMPARE(c.link.abortEntry, 0);

    c.page.PeriodEdit()->setText("0");
    c.page.SendTimerBox()->setChecked(false);
    c.page.SendTimerBox()->click(); // on: the real timer, 100 ms
    QVERIFY(c.page.SendTimerBox()->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(c.link.sent.size() >= 2, 2000);
    QCOMPARE(c.link.sent.last(), bytes);
    c.page.SendTimerBox()->click();
    QVERIFY(!c.page.IsSendTimerActive());
}

void CmdConfigTest::timerStopsOnRefusedCommand() {
    SConsole c("+++", true, false); // not hex
    c.page.SendTimerBox()->setChecked(false);
    c.page.SendTimerBox()->click();
    QVERIFY(c.page.IsSendTimerActive());
    c.page.OnSendTimer();
    QVERIFY(!c.page.IsSendTimerActive());
    QVERIFY(!c.page.SendTimerBox()->isChecked());
    QVERIFY(c.link.sent.isEmpty());
    QCOMPARE(c.main.log, QStringList{HexInvalid()});
}

void CmdConfigTest::sendPeriod_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("period");
    QTest::newRow("below floor") << "20" << 100;
    QTest::newRow("zero") << "0" << 100;
    QTest::newRow("empty") << "" << 100;
    QTest::newRow("floor") << "100" << 100;
    QTest::newRow("above floor") << "250" << 250;
    QTest::newRow("beyond int range") << "99999999999999999999" << INT_MAX;
}

void CmdConfigTest::sendPeriod() {
    QFETCH(QString, text);
    QFETCH(int, period);
    QCOMPARE(CCmdConfigDialog::SendPeriod(text), period);
}

void CmdConfigTest::sendTimerBox() {
    SConsole c("AT", false, false);
    c.page.SendTimerBox()->setChecked(false);
    c.page.PeriodEdit()->setText("20");
    c.page.SendTimerBox()->click();
    QVERIFY(c.page.IsSendTimerActive());
    QCOMPARE(c.page.SendTimerInterval(), 100);
    c.page.PeriodEdit()->setText("5000"); // takes effect at the next click only
    QCOMPARE(c.page.SendTimerInterval(), 100);
    c.page.SendTimerBox()->click();
    QVERIFY(!c.page.IsSendTimerActive());
    c.page.SendTimerBox()->click();
    QCOMPARE(c.page.SendTimerInterval(), 5000);
}

void CmdConfigTest::hexToggle_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hexText");
    QTest::addColumn<QString>("typedHex"); // the field's text when Hex is cleared
    QTest::addColumn<QString>("back");
    QTest::newRow("AT round trip") << "AT"
                                   << "41 54"
                                   << "41 54"
                                   << "AT";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("multibyte round trip") << QString::fromUtf8("é+") << "C3 A9 2B"
                                          << "C3 A9 2B" << QString::fromUtf8("é+");
    QTest::newRow("odd digit dropped") << "A"
                                       << "41"
                                       << "414"
                                       << "A";
    QTest::newRow("zero byte ends the text") << "A"
                                             << "41"
                                             << "41 00 42"
                                             << "A";
}

void CmdConfigTest::hexToggle() {
    QFETCH(QString, text);
    QFETCH(QString, hexText);
    QFETCH(QString, typedHex);
    QFETCH(QString, back);
    SConsole c(text, false, false);
    c.page.HexBox()->click();
    QCOMPARE(c.page.CommandEdit()->text(), hexText);
    c.page.CommandEdit()->setText(typedHex);
    c.page.HexBox()->click();
    QCOMPARE(c.page.CommandEdit()->text(), back);
}

// The filter follows the Hex box: on from the start while it is ticked, off once it is cleared.
void CmdConfigTest::hexFilterFollowsTheBox() {
    SConsole c("", true, false);
    QTest::keyClicks(c.page.CommandEdit(), "4g1 zF");
    QCOMPARE(c.page.CommandEdit()->text(), QString("41 F"));
    c.page.HexBox()->click(); // cleared: filter off
    c.page.CommandEdit()->clear();
    QTest::keyClicks(c.page.CommandEdit(), "g+");
    QCOMPARE(c.page.CommandEdit()->text(), QString("g+"));
    c.page.HexBox()->click(); // checked: filter on again
    c.page.CommandEdit()->clear();
    QTest::keyClicks(c.page.CommandEdit(), "g7");
    QCOMPARE(c.page.CommandEdit()->text(), QString("7"));
}

void CmdConfigTest::imagePath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("lower") << "/home/op/image.bin" << true;
    QTest::newRow("upper") << "/home/op/image.BIN" << true;
    QTest::newRow("mixed case refused") << "/home/op/image.Bin" << false;
    QTest::newRow("anywhere in the path") << "/home/op/a.bin.txt" << true;
    QTest::newRow("no extension") << "/home/op/firmware" << false;
}

void CmdConfigTest::imagePath() {
    QFETCH(QString, path);
    QFETCH(bool, accepted);
    QCOMPARE(CCmdConfigDialog::IsImagePath(path), accepted);
    SConsole c("", false, false);
    QSignalSpy notices(&c.page, &CCmdConfigDialog::noticeRequested);
    c.page.ChooseImage(path);
    QCOMPARE(c.page.FileEdit()->text(), accepted ? path : QString());
    QCOMPARE(notices.count(), accepted ? 0 : 1);
    if (!accepted) {
        QCOMPARE(notices[0][0].toString(), QString("File Format Error"));
        QCOMPARE(notices[0][1].toString(), QString());
        QCOMPARE(notices[0][2].toInt(), 0);
    }
}

void CmdConfigTest::refusedImageKeepsChoice() {
    SConsole c("", false, false);
    c.page.ChooseImage("/fw/good.bin");
    c.page.ChooseImage("/fw/notes.txt");
    QCOMPARE(c.page.ImagePath(), QString("/fw/good.bin"));
    QCOMPARE(c.page.FileEdit()->text(), QString("/fw/good.bin"));
    QTest::mouseClick(c.page.UpgradeButton(), Qt::LeftButton);
    QCOMPARE(c.link.upgrades, QStringList{"/fw/good.bin,1"});
}

void CmdConfigTest::browseFilter() {
    const QStringList filters = CCmdConfigDialog::BrowseFilter().split(";;");
    QCOMPARE(filters.size(), 2);
    QVERIFY(filters[0].startsWith("Bin Files"));
    QVERIFY(filters[0].contains("*.bin") && filters[0].contains("*.BIN"));
    QVERIFY(filters[1].startsWith("All Files"));
}

void CmdConfigTest::upgradeRequest() {
    SConsole c("", false, false);
    QTest::mouseClick(c.page.UpgradeButton(), Qt::LeftButton); // nothing chosen: the engine reports it
    c.page.ChooseImage("/fw/a,b.bin");
    c.page.RestartBox()->setChecked(false);
    QTest::mouseClick(c.page.UpgradeButton(), Qt::LeftButton);
    QCOMPARE(c.link.upgrades, (QStringList{",1", "/fw/a,b.bin,0"}));
}

void CmdConfigTest::loadSettings() {
    CCmdConfigDialog page;
    CMapStore store;
    store.values = {{"RestartDevice", "0"},
                    {"CmdHex", "0"},
                    {"SendNewLine", "1"},
                    {"SendTimerState", "1"},
                    {"SendTimer", std::string(2000, '7')}};
    page.LoadSettings(store);
    QVERIFY(!page.RestartBox()->isChecked());
    QVERIFY(!page.HexBox()->isChecked());
    QVERIFY(page.NewLineBox()->isChecked());
    // A stored state starts no timer, and the box shows that none runs.
    QVERIFY(!page.SendTimerBox()->isChecked());
    QVERIFY(!page.IsSendTimerActive());
    QCOMPARE(page.CommandEdit()->text(), QString("+++")); // text mode: the escape as typed
    QCOMPARE(page.PeriodEdit()->text().size(), CCmdConfigDialog::kMaxPeriodText);
}

void CmdConfigTest::saveSettingsOrder() {
    CCmdConfigDialog page;
    page.RestartBox()->setChecked(false);
    page.NewLineBox()->setChecked(false);
    page.PeriodEdit()->setText("250");
    CMapStore store;
    page.SaveSettings(store);
    using KV = std::pair<std::string, std::string>;
    const std::vector<KV> expected{{"RestartDevice", "0"},
                                   {"CmdHex", "1"},
                                   {"SendTimer", "250"},
                                   {"SendTimerState", "0"},
                                   {"SendNewLine", "0"}};
    QVERIFY(store.writes == expected);
}

QTEST_MAIN(CmdConfigTest)
#include "cmd_config_test.moc"
