// The main window's batches against the module simulator, seen as the operator sees them: a load
// fills all five pages, a save writes one edited field of each page, Factory reloads the factory
// values, Abort ends a load at once, Restart leaves the configuration state.
#include "E2eWait.h"
#include "EngineTestAccess.h"
#include "SimWindowFixture.h"

#include "AdvConfigDialog.h"
#include "BaseConfigDialog.h"
#include "EncryptConfigDialog.h"
#include "IOConfigDialog.h"
#include "LimitEdit.h"
#include "LocalDialog.h"
#include "ParamCatalogue.h"
#include "TextUtil.h"
#include "WaitDialog.h"

#include <QtTest>

#include <algorithm>
#include <map>

namespace {
using ValueMap = std::map<int, std::string>;

// Opens the simulator's port with packet display off (the log then holds status lines only).
bool OpenQuiet(CSimWindowFixture& f) {
    f.Window().Log()->SetDisplayPacket(false);
    return f.OpenSimPort();
}

// The job ended: the progress dialog is hidden and the controls are unlocked. Waits in a real event
// loop, so the worker is paced by the module, not by the test's sleeps.
bool WaitJobEnd(CSimWindowFixture& f) {
    CCalyraDlg& w = f.Window();
    return RunEventLoopUntil([&] { return !w.IsProgressShown() && w.Comm()->OpenButton()->isEnabled(); },
                             5000);
}

bool Load(CSimWindowFixture& f) {
    QTest::mouseClick(f.Window().LoadButton(), Qt::LeftButton);
    return WaitJobEnd(f);
}

// The commands of a complete local load, in sending order.
std::vector<std::string> LoadCommands() {
    std::vector<std::string> out;
    for (int code : LocalLoadOrder())
        out.push_back(FindParam(code)->readCmd);
    return out;
}

// The text of a control that the page rules may leave out of GetParamList (a coordinator's node
// address, sleep times outside Timer Sleep, the interval of a pin mode without one), or that no
// save writes (the MAC address); nullptr for the other codes.
const QLineEdit* OptionalControl(const CCalyraDlg& w, int code) {
    if (code == PT_MID) return w.NetworkPage()->MacAddressField();
    if (code == PT_NID) return w.NetworkPage()->NodeAddressField();
    if (code == PT_STC) return w.AdvancedPage()->SleepTimeField();
    if (code == PT_WTC) return w.AdvancedPage()->WakeupTimeField();
    if (code >= PT_DT0 && code < PT_DT0 + int(CIOConfigDialog::kPinCount))
        return w.IoPage()->IntervalField(code - PT_DT0);
    return nullptr;
}

// Every parameter of a local load whose page value differs from the module's: the value the pages
// deliver (as a save takes it), else the control's text where the page rules may leave the value
// out. With allDelivered, a value the pages leave out counts as a difference too. The versions are
// compared on their own.
QStringList PageDifferences(CSimWindowFixture& f, bool allDelivered = false) {
    std::vector<SCmdItem> delivered;
    f.Window().CollectParamList(delivered);
    QStringList out;
    for (int code : LocalLoadOrder()) {
        if (code == PT_SOFT_VERSION || code == PT_BOOT_VERSION) continue;
        const std::string module = f.Sim().LocalParam(code);
        std::string shown;
        bool found = false;
        for (const SCmdItem& r : delivered)
            if (r.type == code && !found) {
                shown = r.Text();
                found = true;
            }
        const QLineEdit* control = OptionalControl(f.Window(), code);
        if (!found && control && (code == PT_MID || !allDelivered)) {
            shown = control->text().toStdString();
            found = true;
        }
        if (!found || !EqualsNoCase(shown, module))
            out << QString("%1: page '%2', module '%3'")
                       .arg(FindParam(code)->mnemonic, found ? shown.c_str() : "(none)", module.c_str());
    }
    return out;
}

// The local page's text for the module's two versions.
QString VersionText(const std::string& soft, const std::string& boot) {
    return QString("Soft Version:\r\n%1\r\n\r\nBoot Version:\r\n%2\r\n")
        .arg(QString::fromStdString(soft), QString::fromStdString(boot));
}

// The first log entry without its time stamp.
QString FirstLogEntry(const QString& log) {
    const int start = log.indexOf("]\n");
    if (start < 0) return {};
    const int end = log.indexOf('\n', start + 2);
    return log.mid(start + 2, end < 0 ? -1 : end - start - 2);
}

// The controls a running job locks, all enabled.
bool Unlocked(const CCalyraDlg& w) {
    return w.LoadButton()->isEnabled() && w.SaveButton()->isEnabled() && w.FactoryButton()->isEnabled() &&
           w.Comm()->OpenButton()->isEnabled() && w.ConfigTabs()->isEnabled() &&
           w.DeviceTabs()->isEnabled() && w.LanguageList()->isEnabled();
}

// A module with every page control in use: an end device with assigned addresses, Timer Sleep,
// every pin in a mode with an interval, encryption on, echo on; no value is a factory value.
ValueMap EveryControlInUse() {
    // clang-format off
    return {{PT_IPR, "7"}, {PT_PAR, "2"}, {PT_STO, "1"}, {PT_UFC, "1"}, {PT_DBL, "2"}, {PT_ECH, "1"},
            {PT_AST, "0"}, {PT_CHA, "23"}, {PT_TID, "1234"}, {PT_PID, "4660"}, {PT_TYP, "2"},
            {PT_NID, "4321"}, {PT_ITV, "250"},
            {PT_MOD, "2"}, {PT_SLE, "1"}, {PT_STC, "300"}, {PT_WTC, "30"}, {PT_ENP, "8"}, {PT_PRD, "1025"},
            {PT_CDA, "77"},
            {PT_DM0, "1"}, {PT_DM0 + 1, "2"}, {PT_DM0 + 2, "1"}, {PT_DM0 + 3, "5"}, {PT_DM0 + 4, "2"},
            {PT_DT0, "11"}, {PT_DT0 + 1, "22"}, {PT_DT0 + 2, "33"}, {PT_DT0 + 3, "44"}, {PT_DT0 + 4, "55"},
            {PT_SEC, "1"}, {PT_KEY, "00112233445566778899AABBCCDDEEFF"},
            {PT_TLK, "FFEEDDCCBBAA99887766554433221100"},
            {PT_SOFT_VERSION, "R7730 V3.2.1"}, {PT_BOOT_VERSION, "BL 1.7"}};
    // clang-format on
}

void SetModule(CSimulator& sim, const ValueMap& values) {
    for (const auto& [code, value] : values)
        sim.SetLocalParam(code, value);
}
} // namespace

Q_DECLARE_METATYPE(ValueMap)

class WindowBatchesTest : public QObject {
    Q_OBJECT
  private slots:
    void loadFillsAllFivePages_data();
    void loadFillsAllFivePages();
    void saveWritesOneFieldOfEachPage();
    void factoryResetReloadsTheFactoryValues();
    void abortEndsALoadAtOnce_data();
    void abortEndsALoadAtOnce();
    void restartLeavesTheConfigurationState();
};

void WindowBatchesTest::loadFillsAllFivePages_data() {
    QTest::addColumn<ValueMap>("module");
    QTest::addColumn<bool>("allDelivered"); // every page value goes into a save
    QTest::newRow("every control in use, echo on") << EveryControlInUse() << true;
    // The simulator's own module: a coordinator (fixed node address, no sleep) with its pins off.
    QTest::newRow("coordinator with factory values") << ValueMap{} << false;
}

void WindowBatchesTest::loadFillsAllFivePages() {
    QFETCH(ValueMap, module);
    QFETCH(bool, allDelivered);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    SetModule(f.Sim(), module);
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenQuiet(f));
    QVERIFY(Load(f));

    const QStringList differences = PageDifferences(f, allDelivered);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join('\n')));
    QCOMPARE(w.LocalPage()->VersionText(),
             VersionText(f.Sim().LocalParam(PT_SOFT_VERSION), f.Sim().LocalParam(PT_BOOT_VERSION)));
    QVERIFY2(!f.LogText().contains("Failed!") && !f.LogText().contains("Invalid"), qPrintable(f.LogText()));
}

void WindowBatchesTest::saveWritesOneFieldOfEachPage() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenQuiet(f));
    QVERIFY(Load(f));
    QCOMPARE(f.Sim().LocalParam(PT_DM0 + 4), std::string("0")); // pin D4 starts without an interval
    const int savesBefore = f.Sim().SaveCount();
    f.Sim().ClearReceived();

    // One field on each page, as the operator edits them.
    QComboBox* channel = w.NetworkPage()->ChannelList();
    channel->setCurrentIndex(channel->findText("20"));
    emit channel->activated(channel->currentIndex());
    w.AdvancedPage()->EndpointField()->setText("9");
    // Pulse counting shows pin D4's interval, which keeps its loaded value and is not written.
    QComboBox* d4 = w.IoPage()->WorkModeList(4);
    d4->setCurrentIndex(d4->findData(CIOConfigDialog::WM_PULSE_COUNT));
    emit d4->activated(d4->currentIndex());
    QVERIFY(w.IoPage()->IntervalField(4)->isVisibleTo(w.IoPage()));
    const std::string key = "0123456789abcdef0123456789abcdef"; // the module keeps it in upper case
    w.EncryptPage()->NetworkKeyField()->setText(QString::fromStdString(key));

    QTest::mouseClick(w.SaveButton(), Qt::LeftButton);
    QCOMPARE(w.Progress()->ProgressText(), QString("Saving...."));
    QVERIFY(WaitJobEnd(f));
    QCOMPARE(f.Commands(),
             (std::vector<std::string>{"AT+CHA=20", "AT+ENP=9", "AT+DM4=5", "AT+KEY=" + key, "AT+SAV"}));
    QCOMPARE(f.Sim().LocalParam(PT_CHA), std::string("20"));
    QCOMPARE(f.Sim().LocalParam(PT_ENP), std::string("9"));
    QCOMPARE(f.Sim().LocalParam(PT_DM0 + 4), std::string("5"));
    QVERIFY(EqualsNoCase(f.Sim().LocalParam(PT_KEY), key));
    QCOMPARE(f.Sim().SaveCount(), savesBefore + 1);
    for (int code : {int(PT_CHA), int(PT_ENP), PT_DM0 + 4, int(PT_KEY)})
        QVERIFY(f.LogText().contains("*Write " + QString::fromStdString(ParamCaption(code)) + " Success!"));
    QVERIFY(!f.LogText().contains("Failed!"));
    QVERIFY(Unlocked(w));
}

void WindowBatchesTest::factoryResetReloadsTheFactoryValues() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    SetModule(f.Sim(), EveryControlInUse());
    CCalyraDlg& w = f.Start();
    // Packet lines of the reset itself come before the reload and must be gone with the old log.
    w.Log()->SetDisplayPacket(true);
    QVERIFY(f.OpenSimPort());
    QVERIFY(Load(f));
    QCOMPARE(f.PageValue(PT_PID), std::string("4660"));
    f.Sim().ClearReceived();
    f.Sim().SetLatency(5); // the reload lasts long enough to see its progress dialog

    QTest::mouseClick(w.FactoryButton(), Qt::LeftButton);
    QVERIFY(!w.IsProgressShown()); // the reset itself shows none
    QVERIFY(RunEventLoopUntil([&] { return w.IsProgressShown(); }, 2000));
    QCOMPARE(w.Progress()->ProgressText(), QString("Loading...."));
    QVERIFY(!w.LoadButton()->isEnabled());
    QVERIFY(WaitJobEnd(f));

    QCOMPARE(FirstLogEntry(f.LogText()), QString("Restore factory set up, parameters are reloaded...."));
    std::vector<std::string> expected{"AT+FAC"};
    for (const std::string& c : LoadCommands())
        expected.push_back(c);
    QCOMPARE(f.Commands(), expected);
    QCOMPARE(f.Sim().LocalParam(PT_PID), std::string("65535"));
    const QStringList differences = PageDifferences(f);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join('\n')));
    QCOMPARE(w.NetworkPage()->PanIdModeList()->currentIndex(), 0); // PAN ID random again
    QVERIFY(!f.LogText().contains("Failed!"));
    QVERIFY(Unlocked(w));
}

void WindowBatchesTest::abortEndsALoadAtOnce_data() {
    QTest::addColumn<bool>("mute"); // else every reply is slow
    QTest::newRow("module silent on one read") << true;
    QTest::newRow("slow module") << false;
}

void WindowBatchesTest::abortEndsALoadAtOnce() {
    QFETCH(bool, mute);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetLocalParam(PT_PID, "4660");
    if (mute)
        f.Sim().MuteCommands("AT+PID", true);
    else
        f.Sim().SetLatency(20);
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenQuiet(f));
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    const auto pidSent = [&] {
        const std::vector<std::string> c = f.Commands();
        return std::find(c.begin(), c.end(), "AT+PID?") != c.end();
    };
    QVERIFY(RunEventLoopUntil(pidSent, 3000));
    QVERIFY(w.IsProgressShown() && !Unlocked(w));

    QTest::mouseClick(w.Progress()->AbortButton(), Qt::LeftButton);
    const size_t sentAtAbort = f.Commands().size();
    // At once, before any further event: dialog closed, controls unlocked.
    QVERIFY(!w.IsProgressShown());
    QVERIFY(!w.Progress()->isVisible());
    QVERIFY(Unlocked(w));
    // The rest of the load is dropped: at most a read the worker had already taken goes out.
    QTest::qWait(100);
    const std::vector<std::string> sent = f.Commands();
    QVERIFY2(sent.size() <= sentAtAbort + 1 && sent.size() < LoadCommands().size(),
             qPrintable(QString("%1 reads sent, %2 at the abort").arg(sent.size()).arg(sentAtAbort)));
    if (mute) QCOMPARE(sent.back(), std::string("AT+PID?")); // still waiting for its reply

    // A following load runs completely.
    f.Sim().MuteCommands("AT+PID", false);
    f.Sim().SetLatency(0);
    f.Sim().ClearReceived();
    QVERIFY(Load(f));
    QCOMPARE(f.Commands(), LoadCommands());
    QCOMPARE(f.PageValue(PT_PID), std::string("4660"));
    const QStringList differences = PageDifferences(f);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join('\n')));
    QVERIFY2(!f.LogText().contains("Failed!"), qPrintable(f.LogText()));
}

void WindowBatchesTest::restartLeavesTheConfigurationState() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenQuiet(f));
    QVERIFY(Load(f));
    QVERIFY(f.Sim().InConfigState());
    f.Sim().ClearReceived();

    QTest::mouseClick(w.RestartButton(), Qt::LeftButton);
    QVERIFY(!w.IsProgressShown() && Unlocked(w)); // no progress, nothing locked
    QVERIFY(RunEventLoopUntil([&] { return f.LogText().contains("Restart Success!"); }, 2000));
    QCOMPARE(f.Commands(), std::vector<std::string>{"AT+SRS"});
    QVERIFY(!f.Sim().InConfigState());
    QCOMPARE(CEngineTestAccess(w.Engine()).linkMode.load(), int(LM_IDLE));

    // The next load enters the configuration state again before its first read.
    f.Sim().ClearReceived();
    QVERIFY(Load(f));
    const std::vector<std::string> received = f.Sim().ReceivedCommands();
    QVERIFY(!received.empty());
    QCOMPARE(received.front(), std::string("+++"));
    QCOMPARE(f.Commands(), LoadCommands());
    QVERIFY(f.Sim().InConfigState());
    const QStringList differences = PageDifferences(f);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join('\n')));
}

QTEST_MAIN(WindowBatchesTest)
#include "window_batches_test.moc"
