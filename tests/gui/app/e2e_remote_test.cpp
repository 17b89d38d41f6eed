// The remote device page with the window against the simulated network: searches (listing, a
// silent module, the countdown), a node's load and save through the pages, failed requests with
// the retry prompt, node address changes at restart, the factory reset's local reload, whose
// values the window shows with the question before a local save of a node's values, and the page
// locked while a node loads.
#include "SimWindowFixture.h"

#include "E2eWait.h"

#include "BaseConfigDialog.h"
#include "EncryptConfigDialog.h"
#include "LimitEdit.h"
#include "LocalDialog.h"
#include "ParamCatalogue.h"
#include "RemoteDialog.h"
#include "TextUtil.h"
#include "WaitDialog.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>

namespace {
// The first value record of a code that the pages deliver, "" when none.
std::string PageValue(CCalyraDlg& w, int code) {
    std::vector<SCmdItem> list;
    w.CollectParamList(list);
    for (const SCmdItem& r : list)
        if (r.type == code) return r.Text();
    return {};
}

// What the simulator received in API frames ("API remote ...", "API restart ...").
std::vector<std::string> FrameCommands(const CSimWindowFixture& f) {
    std::vector<std::string> out;
    for (const std::string& c : f.Commands())
        if (c.rfind("API ", 0) == 0) out.push_back(c);
    return out;
}

std::string Remote(const char* kind, uint16_t node, const std::string& rest) {
    return "API remote " + std::string(kind) + " " + std::to_string(node) + " " + rest;
}

std::vector<uint16_t> ListedAddresses(const CRemoteDialog* page) {
    std::vector<uint16_t> out;
    for (int i = 0; i < page->NodeList()->topLevelItemCount(); ++i)
        out.push_back(static_cast<uint16_t>(
            page->NodeList()->topLevelItem(i)->text(CRemoteDialog::COL_ADDRESS).toUInt()));
    return out;
}

std::vector<uint16_t> Sorted(std::vector<uint16_t> v) {
    std::sort(v.begin(), v.end());
    return v;
}

QTreeWidgetItem* RowOf(const CRemoteDialog* page, uint16_t node) {
    const QList<QTreeWidgetItem*> rows =
        page->NodeList()->findItems(QString::number(node), Qt::MatchExactly, CRemoteDialog::COL_ADDRESS);
    return rows.isEmpty() ? nullptr : rows.first();
}

// Opens the simulator's port (packet display off) and shows the remote device page.
bool OpenOnRemotePage(CSimWindowFixture& f) {
    CCalyraDlg& w = f.Window();
    w.Log()->SetDisplayPacket(false);
    if (!f.OpenSimPort()) return false;
    w.DeviceTabs()->setCurrentWidget(w.RemotePage());
    return true;
}

// The job ended (progress hidden, controls unlocked). A batch started at once goes out in a job
// of its own.
// (CSimWindowFixture::WaitJobEnd's condition, waited for in the event loop.)
bool JobEnded(CSimWindowFixture& f) {
    CCalyraDlg& w = f.Window();
    if (!RunEventLoopUntil([&] { return !w.IsProgressShown() && w.Comm()->OpenButton()->isEnabled(); }, 5000))
        return false;
    return true;
}

// Presses Search and waits until every node of the simulated network is listed.
bool SearchAll(CSimWindowFixture& f) {
    CRemoteDialog* page = f.Window().RemotePage();
    QTest::mouseClick(page->SearchButton(), Qt::LeftButton);
    const size_t expected = f.Sim().NodeAddresses().size();
    if (!RunEventLoopUntil([&] { return size_t(page->NodeList()->topLevelItemCount()) >= expected; }, 3000))
        return false;
    return true;
}

// Puts the selection mark on the node's row and runs a context menu command on it.
bool RunOnNode(CSimWindowFixture& f, uint16_t node, int menuItem) {
    CRemoteDialog* page = f.Window().RemotePage();
    QTreeWidgetItem* row = RowOf(page, node);
    if (!row) return false;
    page->NodeList()->setCurrentItem(row);
    page->RunMenuCommand(menuItem);
    return true;
}

// Search, then a remote load of the node through the row's context menu.
bool SearchAndLoad(CSimWindowFixture& f, uint16_t node) {
    if (!OpenOnRemotePage(f) || !SearchAll(f)) return false;
    return RunOnNode(f, node, CRemoteDialog::IDM_LOAD) && JobEnded(f);
}
} // namespace

class E2eRemoteTest : public QObject {
    Q_OBJECT
  private slots:
    void searchListsEveryRemoteNodeOnce();
    void silentModuleEndsTheSearchAfterThreeEscapes();
    void countdownEndsTheSearchAtZero();
    void remoteLoadFillsThePagesAndSaveWritesTheChanges();
    void failedRemoteRequestsArePromptedAndRetried_data();
    void failedRemoteRequestsArePromptedAndRetried();
    void nodeAddressChangeTakesEffectAtRestart_data();
    void nodeAddressChangeTakesEffectAtRestart();
    void remoteFactoryResetReloadsTheLocalModule();
    void windowShowsWhoseValuesAndAsksBeforeALocalSaveOfThem();
    void nodeSaveOfOtherValuesAsksFirst();
    void remotePageStartsNothingWhileANodeLoads();
};

void E2eRemoteTest::searchListsEveryRemoteNodeOnce() {
    CSimWindowFixture f(5);
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    CRemoteDialog* page = w.RemotePage();
    QVERIFY(OpenOnRemotePage(f));
    const std::vector<uint16_t> nodes = Sorted(f.Sim().NodeAddresses());
    QCOMPARE(nodes.size(), size_t(5));

    // Two searches: each empties the list and lists every node once; the local module never.
    for (int round = 0; round < 2; ++round) {
        QVERIFY(SearchAll(f));
        QVERIFY(page->IsSearching());
        QVERIFY(!page->SearchButton()->isEnabled() && !page->ManualRadio()->isEnabled());
        QTest::qWait(50); // ten record gaps: nothing more arrives
        QCOMPARE(Sorted(ListedAddresses(page)), nodes);
        QCOMPARE(page->OwnAddress(), int(f.Sim().LocalAddress()));
        QVERIFY(!RowOf(page, f.Sim().LocalAddress()));
        for (int i = 0; i < page->NodeList()->topLevelItemCount(); ++i)
            QCOMPARE(page->NodeList()->topLevelItem(i)->text(CRemoteDialog::COL_NAME),
                     QString("Device%1").arg(i + 1));
        QVERIFY(f.LogText().contains("*Read network information for all nodes"));
        QVERIFY(!f.LogText().contains("Failed!"));
        page->EndSearch();
        QVERIFY(page->SearchButton()->isEnabled());
    }
    QCOMPARE(f.Commands(), (std::vector<std::string>{"AT+NCD?", "AT+NWS", "AT+NCD?", "AT+NWS"}));
}

void E2eRemoteTest::silentModuleEndsTheSearchAfterThreeEscapes() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetEscapeMode(CSimulator::ESC_SILENT);
    CCalyraDlg& w = f.Start();
    CRemoteDialog* page = w.RemotePage();
    QVERIFY(OpenOnRemotePage(f));
    w.Log()->SetDisplayPacket(true); // the escapes show in the log
    QTest::mouseClick(page->SearchButton(), Qt::LeftButton);
    QVERIFY(page->IsSearching());
    QTRY_VERIFY_WITH_TIMEOUT(f.LogText().contains("]\nEnter Configuration State Failed!\n"), 3000);
    // Ended by the failure (the countdown runs in whole seconds), with no prompt and no row.
    QVERIFY(!page->IsSearching());
    QCOMPARE(page->SearchButton()->text(), QString("Search"));
    QVERIFY(page->SearchButton()->isEnabled() && page->AutoRadio()->isEnabled());
    QCOMPARE(f.LogText().count("]\n+++\n"), 3);
    QCOMPARE(page->NodeList()->topLevelItemCount(), 0);
    QVERIFY(f.Commands().empty());
}

void E2eRemoteTest::countdownEndsTheSearchAtZero() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    CRemoteDialog* page = w.RemotePage();
    QVERIFY(OpenOnRemotePage(f));

    // The running timer, ticking every 3 ms, ends the search after 66 ticks.
    const int tick = 3;
    page->SetTickPeriod(tick);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(SearchAll(f));
    QTRY_VERIFY_WITH_TIMEOUT(!page->IsSearching(), 3000);
    const qint64 took = clock.elapsed();
    QVERIFY2(took >= CRemoteDialog::kSearchSeconds * tick * 9 / 10, qPrintable(QString::number(took)));
    QCOMPARE(page->SearchButton()->text(), QString("Search"));
    QVERIFY(page->SearchButton()->isEnabled() && page->AutoRadio()->isEnabled() &&
            page->ManualRadio()->isEnabled());
    QCOMPARE(page->Countdown(), 0);
    // The end of the countdown keeps what was found.
    QCOMPARE(size_t(page->NodeList()->topLevelItemCount()), f.Sim().NodeAddresses().size());

    // Tick by tick: the caption shows the seconds left, and 0 ends the search.
    page->SetTickPeriod(3600 * 1000);
    QVERIFY(SearchAll(f));
    page->CountdownTick();
    QCOMPARE(page->SearchButton()->text(), QString("65s"));
    for (int i = 2; i < CRemoteDialog::kSearchSeconds; ++i)
        page->CountdownTick();
    QCOMPARE(page->SearchButton()->text(), QString("1s"));
    QVERIFY(page->IsSearching() && !page->SearchButton()->isEnabled());
    page->CountdownTick();
    QVERIFY(!page->IsSearching() && page->SearchButton()->isEnabled());
    QCOMPARE(page->SearchButton()->text(), QString("Search"));
}

void E2eRemoteTest::remoteLoadFillsThePagesAndSaveWritesTheChanges() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    const uint16_t node = f.Sim().NodeAddresses().at(1);
    f.Sim().SetRemoteParam(node, PT_PID, "4660");
    f.Sim().SetRemoteParam(node, PT_CHA, "15");
    f.Sim().SetRemoteParam(node, PT_ITV, "250");
    f.Sim().SetRemoteParam(node, PT_DM0 + 2, "1"); // ADC: the pin's interval is shown
    f.Sim().SetRemoteParam(node, PT_DT0 + 2, "77");
    CCalyraDlg& w = f.Start();
    CRemoteDialog* page = w.RemotePage();
    QVERIFY(OpenOnRemotePage(f));
    QVERIFY(SearchAll(f));
    page->EndSearch();

    // Load through the context menu of the node's row.
    QTreeWidgetItem* row = RowOf(page, node);
    QVERIFY(row);
    page->NodeList()->scrollToItem(row);
    QVERIFY(page->OpenContextMenu(page->NodeList()->visualItemRect(row).center()));
    QVERIFY(page->ContextMenu()->isVisible());
    QAction* load = nullptr;
    for (QAction* a : page->ContextMenu()->actions())
        if (a->data().toInt() == CRemoteDialog::IDM_LOAD) load = a;
    QVERIFY(load);
    f.Sim().ClearReceived();
    load->trigger();
    page->ContextMenu()->hide();
    QVERIFY(w.IsProgressShown() || f.WaitJobEnd(0));
    QCOMPARE(w.Progress()->ProgressText(), QString("Loading...."));
    QVERIFY(JobEnded(f));

    // Every value of the pages is the node's; the link key is neither shown nor delivered.
    const std::vector<std::string> received = FrameCommands(f);
    QCOMPARE(received.size(), size_t(34));
    QCOMPARE(received.front(), Remote("read", node, "IPR"));
    int compared = 0;
    for (int code = PT_IPR; code <= PT_KEY; ++code) {
        const SParamInfo* info = FindParam(code);
        if (!info->writePrefix || PageValue(w, code).empty()) continue;
        QVERIFY2(EqualsNoCase(PageValue(w, code), f.Sim().RemoteParam(node, code)),
                 qPrintable(QString("%1: page %2, node %3")
                                .arg(info->mnemonic, PageValue(w, code).c_str(),
                                     f.Sim().RemoteParam(node, code).c_str())));
        ++compared;
    }
    QVERIFY2(compared >= 25, qPrintable(QString::number(compared)));
    QCOMPARE(PageValue(w, PT_PID), std::string("4660"));
    QCOMPARE(PageValue(w, PT_ITV), std::string("250"));
    QCOMPARE(PageValue(w, PT_DT0 + 2), std::string("77"));
    QVERIFY(!w.EncryptPage()->LinkKeyField()->isVisibleTo(w.EncryptPage()));
    QVERIFY(!w.EncryptPage()->LinkKeyField()->isEnabled());
    QCOMPARE(PageValue(w, PT_TLK), std::string());
    QVERIFY(f.LogText().contains("*Read PID Success!"));
    QVERIFY(!f.LogText().contains("Failed!"));

    // Two changed values: exactly their writes and the save reach the node.
    f.Sim().ClearReceived();
    w.NetworkPage()->PanIdField()->setText("8738");
    w.NetworkPage()->DataIntervalField()->setText("40");
    QVERIFY(RunOnNode(f, node, CRemoteDialog::IDM_SAVE));
    QCOMPARE(w.Progress()->ProgressText(), QString("Saving...."));
    QVERIFY(JobEnded(f));
    QCOMPARE(FrameCommands(f),
             (std::vector<std::string>{Remote("write", node, "ITV 40"), Remote("write", node, "PID 8738"),
                                       Remote("command", node, "SAV")}));
    QCOMPARE(f.Sim().RemoteParam(node, PT_PID), std::string("8738"));
    QCOMPARE(f.Sim().RemoteParam(node, PT_ITV), std::string("40"));
    QVERIFY(f.LogText().contains("*Write Data Interval Success!"));
    QVERIFY(f.LogText().contains("*Write PID Success!"));
    QVERIFY(f.LogText().contains("Save Parameter Success,Please Restart Device to Enable the Parameters!"));
    // The other nodes are untouched.
    QCOMPARE(f.Sim().RemoteParam(f.Sim().NodeAddresses().at(0), PT_ITV), std::string("20"));

    // The written values count as read: a second save sends nothing.
    f.Sim().ClearReceived();
    QVERIFY(RunOnNode(f, node, CRemoteDialog::IDM_SAVE));
    QVERIFY(!w.IsProgressShown());
    QTest::qWait(50);
    QVERIFY(f.Sim().ReceivedCommands().empty());
}

void E2eRemoteTest::failedRemoteRequestsArePromptedAndRetried_data() {
    QTest::addColumn<bool>("save"); // else a load
    QTest::newRow("load") << false;
    QTest::newRow("save") << true;
}

void E2eRemoteTest::failedRemoteRequestsArePromptedAndRetried() {
    QFETCH(bool, save);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    const uint16_t node = f.Sim().NodeAddresses().at(0);
    f.Sim().SetRemoteParam(node, PT_PID, "4660");
    CCalyraDlg& w = f.Start();
    QVERIFY(OpenOnRemotePage(f));
    QVERIFY(SearchAll(f));
    w.RemotePage()->EndSearch();
    if (save) {
        QVERIFY(RunOnNode(f, node, CRemoteDialog::IDM_LOAD) && JobEnded(f));
        w.NetworkPage()->DataIntervalField()->setText("40");
    }
    f.Sim().SetNodeStatus(node, 1); // not in the network: every request fails

    // The node answers again by the time the operator says Yes.
    CPromptAnswerer prompt(MB_RESULT_YES, [&] {
        f.Sim().SetNodeStatus(node, 0);
        f.Sim().ClearReceived();
    });
    QVERIFY(RunOnNode(f, node, save ? CRemoteDialog::IDM_SAVE : CRemoteDialog::IDM_LOAD));
    QVERIFY(RunEventLoopUntil([&] { return prompt.Answered(); }, 5000));
    QVERIFY(JobEnded(f));
    const QString log = f.LogText();
    if (save) {
        QCOMPARE(prompt.Text(),
                 QString("Failed to save some of the parameters, whether to re-save these parameters?"));
        QVERIFY(log.contains("*Write Data Interval Failed!"));
        // The retry writes what failed and saves again.
        QCOMPARE(FrameCommands(f),
                 (std::vector<std::string>{Remote("write", node, "ITV 40"), Remote("command", node, "SAV")}));
        QCOMPARE(f.Sim().RemoteParam(node, PT_ITV), std::string("40"));
        QVERIFY(log.contains("Save Parameter Success,Please Restart Device to Enable the Parameters!"));
    } else {
        QCOMPARE(prompt.Text(),
                 QString("Some parameters failed to load, whether to re-load these parameters?"));
        QVERIFY(log.contains("*Read PID Failed!"));
        // Every parameter read again, in the same order; the node's own network address (which
        // has no status line) is not among the failures.
        std::vector<std::string> reads;
        for (int code = PT_IPR; code <= PT_KEY; ++code)
            if (code != PT_NCD) reads.push_back(Remote("read", node, FindParam(code)->mnemonic));
        QCOMPARE(FrameCommands(f), reads);
        QCOMPARE(PageValue(w, PT_PID), std::string("4660"));
        QVERIFY(log.contains("*Read PID Success!"));
    }
    QVERIFY(!w.Progress()->isVisible());
    QVERIFY(w.Comm()->OpenButton()->isEnabled() && w.DeviceTabs()->tabBar()->isEnabled());
}

void E2eRemoteTest::nodeAddressChangeTakesEffectAtRestart_data() {
    QTest::addColumn<QString>("newAddress");
    QTest::newRow("random (65535): the row goes") << "65535";
    QTest::newRow("assigned 1234: the row shows it") << "1234";
}

void E2eRemoteTest::nodeAddressChangeTakesEffectAtRestart() {
    QFETCH(QString, newAddress);
    const bool random = newAddress == "65535";
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    const uint16_t node = f.Sim().NodeAddresses().at(0);
    CCalyraDlg& w = f.Start();
    CRemoteDialog* page = w.RemotePage();
    QVERIFY(SearchAndLoad(f, node));
    page->EndSearch();
    const int rows = page->NodeList()->topLevelItemCount();

    CBaseConfigDialog* net = w.NetworkPage();
    QVERIFY(net->NodeTypeList()->currentIndex() > 0); // a router or end device has its own address
    if (random) {
        net->NodeAddressModeList()->setCurrentIndex(0);
    } else {
        net->NodeAddressModeList()->setCurrentIndex(1);
        net->NodeAddressField()->setText(newAddress);
    }
    f.Sim().ClearReceived();
    QVERIFY(RunOnNode(f, node, CRemoteDialog::IDM_SAVE));
    QVERIFY(JobEnded(f));
    QCOMPARE(FrameCommands(f),
             (std::vector<std::string>{Remote("write", node, "NID " + newAddress.toStdString()),
                                       Remote("command", node, "SAV")}));
    // Still listed under the old address until the restart.
    QVERIFY(RowOf(page, node));

    f.Sim().ClearReceived();
    QVERIFY(RunOnNode(f, node, CRemoteDialog::IDM_RESTART));
    QVERIFY(!RowOf(page, node));
    if (random) {
        QCOMPARE(page->NodeList()->topLevelItemCount(), rows - 1);
    } else {
        QCOMPARE(page->NodeList()->topLevelItemCount(), rows);
        QVERIFY(RowOf(page, 1234));
    }
    QVERIFY(page->AddressChanges().empty());
    // The module itself follows: it left the network, or answers at its new address.
    auto inNetwork = [&f](uint16_t address) {
        const std::vector<uint16_t> nodes = f.Sim().NodeAddresses();
        return std::find(nodes.begin(), nodes.end(), address) != nodes.end();
    };
    QVERIFY(RunEventLoopUntil([&] { return !inNetwork(node); }, 3000));
    QCOMPARE(inNetwork(1234), !random);
    QCOMPARE(FrameCommands(f), (std::vector<std::string>{Remote("command", node, "SRS")}));
    QVERIFY(RunEventLoopUntil([&] { return f.LogText().contains("Restart Success!"); }, 3000));
}

void E2eRemoteTest::remoteFactoryResetReloadsTheLocalModule() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    const uint16_t node = f.Sim().NodeAddresses().at(2);
    f.Sim().SetRemoteParam(node, PT_ITV, "250");
    f.Sim().SetLocalParam(PT_PID, "4660");
    CCalyraDlg& w = f.Start();
    CRemoteDialog* page = w.RemotePage();
    QVERIFY(SearchAndLoad(f, node));
    page->EndSearch();
    const int rows = page->NodeList()->topLevelItemCount();
    QVERIFY(w.EncryptPage()->LinkKeyField()->isHidden());

    w.Progress()->SetProgressText("-");
    f.Sim().SetLatency(3); // the local load lasts long enough to be watched
    f.Sim().ClearReceived();
    QVERIFY(RunOnNode(f, node, CRemoteDialog::IDM_FACTORY));
    QCOMPARE(page->NodeList()->topLevelItemCount(), rows - 1);
    QVERIFY(!RowOf(page, node));
    QVERIFY(RunEventLoopUntil(
        [&] { return w.IsProgressShown() && w.Progress()->ProgressText() == "Loading...."; }, 3000));
    // The reload's first answer tells whether it reached the module.
    QVERIFY(RunEventLoopUntil([&] { return f.LogText().contains("*Read Soft Version "); }, 3000));
    QVERIFY(f.LogText().contains("*Read Soft Version Success!"));
    QVERIFY(JobEnded(f));

    // The node has its factory values; the pages show the local module again, link key included.
    QCOMPARE(FrameCommands(f).front(), Remote("command", node, "FAC"));
    QCOMPARE(f.Sim().RemoteParam(node, PT_ITV), std::string("20"));
    QVERIFY(f.LogText().contains("Restore factory set up, parameters are reloaded...."));
    QVERIFY(f.LogText().contains("*Read Soft Version Success!"));
    QVERIFY(f.LogText().contains("*Read Link Key Success!"));
    QVERIFY(!f.LogText().contains("Failed!"));
    QCOMPARE(PageValue(w, PT_PID), std::string("4660"));
    QVERIFY(!w.EncryptPage()->LinkKeyField()->isHidden());
    QCOMPARE(PageValue(w, PT_TLK), f.Sim().LocalParam(PT_TLK));
}

void E2eRemoteTest::windowShowsWhoseValuesAndAsksBeforeALocalSaveOfThem() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    const uint16_t node = f.Sim().NodeAddresses().at(1);
    f.Sim().SetLocalParam(PT_PID, "4660");
    f.Sim().SetRemoteParam(node, PT_PID, "8738");
    f.Sim().SetRemoteParam(node, PT_ITV, "250");
    CCalyraDlg& w = f.Start();
    const QLabel* line = w.PageSourceLabel();
    QCOMPARE(line->text(), QString("Values shown: none loaded"));
    QCOMPARE(w.PageSource().owner, PO_NONE);

    // A local load: the local module's values, named by its port and MAC.
    w.Log()->SetDisplayPacket(false);
    QVERIFY(f.OpenSimPort());
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    QVERIFY(JobEnded(f));
    const QString localMac = w.NetworkPage()->MacAddressField()->text();
    QVERIFY(!localMac.isEmpty() && EqualsNoCase(localMac.toStdString(), f.Sim().LocalParam(PT_MID)));
    QCOMPARE(line->text(), QString("Values shown: local module on %1, MAC %2").arg(f.AliasName(), localMac));
    QCOMPARE(w.PageSource().owner, PO_LOCAL);

    // A node's load: the line names the node by address and MAC, and the query gives the node's
    // own last read values.
    w.DeviceTabs()->setCurrentWidget(w.RemotePage());
    QVERIFY(SearchAll(f));
    w.RemotePage()->EndSearch();
    QVERIFY(RunOnNode(f, node, CRemoteDialog::IDM_LOAD) && JobEnded(f));
    const QString nodeMac = w.NetworkPage()->MacAddressField()->text();
    QVERIFY(EqualsNoCase(nodeMac.toStdString(), f.Sim().RemoteParam(node, PT_MID)));
    QVERIFY(nodeMac != localMac);
    QCOMPARE(line->text(), QString("Values shown: node %1, MAC %2").arg(node).arg(nodeMac));
    QVERIFY(line->isVisible());
    const SPageSource source = w.PageSource();
    QCOMPARE(source.owner, PO_NODE);
    QCOMPARE(source.node, long(node));
    QCOMPARE(source.mac, nodeMac);
    auto lastPid = [](const SPageSource& s) {
        for (const SCmdResult& r : s.lastRead)
            if (r.type == PT_PID && !r.values.empty()) return TrimLineEnds(r.values.front());
        return std::string();
    };
    QCOMPARE(lastPid(source), std::string("8738"));

    // A local Save of the node's values asks first, naming both modules; No writes nothing.
    w.DeviceTabs()->setCurrentWidget(w.LocalPage());
    f.Sim().ClearReceived();
    {
        CPromptAnswerer no(MB_RESULT_NO);
        QTest::mouseClick(w.SaveButton(), Qt::LeftButton);
        QVERIFY(no.Answered());
        for (const QString& name : {QString::number(node), nodeMac, f.AliasName(), localMac})
            QVERIFY2(no.Text().contains(name, Qt::CaseInsensitive), qPrintable(no.Text() + " lacks " + name));
    }
    QTest::qWait(50);
    QVERIFY(f.Sim().ReceivedCommands().empty());
    QVERIFY(!w.IsProgressShown());
    QVERIFY(f.LogText().contains("Save Params cancelled: nothing was written to the local module."));
    QCOMPARE(f.Sim().LocalParam(PT_PID), std::string("4660"));

    // Yes writes as documented: every value that differs from the local module's last load.
    {
        CPromptAnswerer yes(MB_RESULT_YES);
        QTest::mouseClick(w.SaveButton(), Qt::LeftButton);
        QVERIFY(yes.Answered());
    }
    QVERIFY(JobEnded(f));
    QCOMPARE(f.Sim().LocalParam(PT_PID), std::string("8738"));
    QCOMPARE(f.Sim().LocalParam(PT_ITV), std::string("250"));
    QVERIFY(f.LogText().contains("*Write PID Success!"));

    // A new local load: the pages are the local module's again, and a save asks nothing.
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    QVERIFY(JobEnded(f));
    QCOMPARE(w.PageSource().owner, PO_LOCAL);
    w.NetworkPage()->DataIntervalField()->setText("40");
    QTest::mouseClick(w.SaveButton(), Qt::LeftButton); // no prompt: it would block here
    QVERIFY(JobEnded(f));
    QCOMPARE(f.Sim().LocalParam(PT_ITV), std::string("40"));
}

void E2eRemoteTest::remotePageStartsNothingWhileANodeLoads() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    const uint16_t node = f.Sim().NodeAddresses().at(0);
    CCalyraDlg& w = f.Start();
    CRemoteDialog* page = w.RemotePage();
    QVERIFY(OpenOnRemotePage(f));
    // A local load first: the module is in its configuration state for the search.
    w.DeviceTabs()->setCurrentWidget(w.LocalPage());
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    QVERIFY(JobEnded(f));
    w.DeviceTabs()->setCurrentWidget(page);
    QVERIFY(SearchAll(f));
    page->EndSearch();
    f.Sim().ClearReceived();
    // Late, split replies: the load takes a while.
    f.Sim().SetLatency(3);
    f.Sim().SetChunking(4);
    QVERIFY(RunOnNode(f, node, CRemoteDialog::IDM_LOAD));
    QVERIFY(w.IsProgressShown());

    // Search, the radios and the menu are locked; a search or another node's load asked for
    // anyway sends nothing.
    QVERIFY(!page->SearchButton()->isEnabled() && !page->AutoRadio()->isEnabled() &&
            !page->ManualRadio()->isEnabled());
    QTreeWidgetItem* other = RowOf(page, f.Sim().NodeAddresses().at(1));
    QVERIFY(!page->OpenContextMenu(page->NodeList()->visualItemRect(other).center()));
    QVERIFY(RunOnNode(f, f.Sim().NodeAddresses().at(1), CRemoteDialog::IDM_LOAD));
    QVERIFY(RunOnNode(f, node, CRemoteDialog::IDM_FACTORY));
    QCOMPARE(page->NodeList()->topLevelItemCount(), int(f.Sim().NodeAddresses().size()));
    QVERIFY(JobEnded(f));

    // The load ran through: the node's reads only, and none failed.
    for (const std::string& c : FrameCommands(f))
        QVERIFY2(c.rfind(Remote("read", node, ""), 0) == 0, c.c_str());
    QVERIFY(!f.LogText().contains("Failed!"));
    const std::vector<std::string> commands = f.Commands();
    QCOMPARE(std::count(commands.begin(), commands.end(), "AT+NWS"), 0L);
    // Unlocked again.
    QVERIFY(page->SearchButton()->isEnabled() && page->AutoRadio()->isEnabled());
    QVERIFY(page->OpenContextMenu(page->NodeList()->visualItemRect(other).center()));
    page->ContextMenu()->hide();
}


// The mirror of the local question: a node's save while the pages hold the local module's or
// another node's values asks first, naming whose values they are; No writes nothing into the node.
void E2eRemoteTest::nodeSaveOfOtherValuesAsksFirst() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    const uint16_t first = f.Sim().NodeAddresses().at(0), second = f.Sim().NodeAddresses().at(1);
    f.Sim().SetLocalParam(PT_ITV, "77");
    f.Sim().SetRemoteParam(first, PT_ITV, "250");
    CCalyraDlg& w = f.Start();
    QVERIFY(f.OpenSimPort());
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    QVERIFY(JobEnded(f));
    const QString localMac = w.NetworkPage()->MacAddressField()->text();
    w.DeviceTabs()->setCurrentWidget(w.RemotePage());
    QVERIFY(SearchAll(f));
    w.RemotePage()->EndSearch();
    const std::string secondItv = f.Sim().RemoteParam(second, PT_ITV);

    f.Sim().ClearReceived();
    {
        CPromptAnswerer no(MB_RESULT_NO);
        QVERIFY(RunOnNode(f, second, CRemoteDialog::IDM_SAVE));
        QVERIFY(RunEventLoopUntil([&] { return no.Answered(); }, 2000));
        for (const QString& name : {QString::number(second), localMac, QString("local module")})
            QVERIFY2(no.Text().contains(name, Qt::CaseInsensitive), qPrintable(no.Text() + " lacks " + name));
    }
    QTest::qWait(50);
    QVERIFY(FrameCommands(f).empty());
    QVERIFY(f.LogText().contains(QString("Save params cancelled: nothing was written to node %1.").arg(second)));

    // Another node's values: named by that node; Yes writes them.
    QVERIFY(RunOnNode(f, first, CRemoteDialog::IDM_LOAD) && JobEnded(f));
    w.NetworkPage()->DataIntervalField()->setText("300");
    {
        CPromptAnswerer yes(MB_RESULT_YES);
        QVERIFY(RunOnNode(f, second, CRemoteDialog::IDM_SAVE));
        QVERIFY(RunEventLoopUntil([&] { return yes.Answered(); }, 2000));
        QVERIFY2(yes.Text().contains(QString("node %1").arg(first)), qPrintable(yes.Text()));
    }
    QVERIFY(JobEnded(f));
    QCOMPARE(f.Sim().RemoteParam(second, PT_ITV), std::string("300"));
    QVERIFY(secondItv != "300");

    // The node's own values: no question (it would block here).
    QVERIFY(RunOnNode(f, second, CRemoteDialog::IDM_LOAD) && JobEnded(f));
    w.NetworkPage()->DataIntervalField()->setText("310");
    QVERIFY(RunOnNode(f, second, CRemoteDialog::IDM_SAVE) && JobEnded(f));
    QCOMPARE(f.Sim().RemoteParam(second, PT_ITV), std::string("310"));
}

QTEST_MAIN(E2eRemoteTest)
#include "e2e_remote_test.moc"
