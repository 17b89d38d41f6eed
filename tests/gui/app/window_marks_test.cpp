// The marks of the pages against the module simulator: which values differ from the module's last
// read (the next save writes them), the count beside Save Params, the list shown before writing,
// the marks of an import and of a comparison with a file.
#include "E2eWait.h"
#include "SimWindowFixture.h"

#include "AdvConfigDialog.h"
#include "BaseConfigDialog.h"
#include "ChangeListDialog.h"
#include "ChangeMark.h"
#include "ChangeTracker.h"
#include "ChangesButton.h"
#include "ConfigFile.h"
#include "EncryptConfigDialog.h"
#include "IOConfigDialog.h"
#include "LimitEdit.h"
#include "Messages.h"
#include "RemoteDialog.h"
#include "ParamCatalogue.h"
#include "ProfileFile.h"
#include "TextUtil.h"
#include "WaitDialog.h"

#include <QAction>
#include <QTableWidget>
#include <QtTest>

#include <algorithm>
#include <map>
#include <set>

namespace {
using CodeSet = std::set<int>;
}
namespace QTest {
template <> inline char* toString(const std::set<int>& codes) {
    QStringList names;
    for (int code : codes)
        names << FindParam(code)->mnemonic;
    return qstrdup(qPrintable("{" + names.join(", ") + "}"));
}
} // namespace QTest
namespace {
using ValueMap = std::map<int, std::string>;

bool WaitJobEnd(CSimWindowFixture& f) {
    CCalyraDlg& w = f.Window();
    return RunEventLoopUntil([&] { return !w.IsProgressShown() && w.Comm()->OpenButton()->isEnabled(); },
                             5000);
}

// The window with the simulator's port open (packet lines off) and the module's values loaded.
bool StartLoaded(CSimWindowFixture& f) {
    CCalyraDlg& w = f.Start();
    w.Log()->SetDisplayPacket(false);
    if (!f.OpenSimPort()) return false;
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    return WaitJobEnd(f);
}

// Lets the marks follow the last change (they are looked at once the current event is handled).
void Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

std::vector<QWidget*> ControlsOf(CCalyraDlg& w, int code) {
    for (IParamPage* page :
         std::initializer_list<IParamPage*>{w.NetworkPage(), w.AdvancedPage(), w.IoPage(), w.EncryptPage()}) {
        std::vector<QWidget*> controls = page->ControlsOf(code);
        if (!controls.empty()) return controls;
    }
    return {};
}

// The codes with a control that carries the mark.
CodeSet Marked(CCalyraDlg& w, int mark = MARK_PENDING) {
    Settle();
    CodeSet out;
    for (int code = PT_IPR; code <= PT_TLK; ++code)
        for (QWidget* control : ControlsOf(w, code))
            if (ChangeMarksOf(control) & mark) out.insert(code);
    return out;
}

// The codes of the writes the simulator received, local ("AT+CHA=20") or remote ("API remote
// write 1234 CHA 20"); the save command aside.
CodeSet Written(CSimWindowFixture& f) {
    CodeSet out;
    const std::string remote = "API remote write ";
    for (const std::string& c : f.Commands()) {
        std::string letters;
        if (c.rfind("AT+", 0) == 0 && c.find('=') != std::string::npos)
            letters = c.substr(3, 3);
        else if (c.rfind(remote, 0) == 0 && c.find(' ', remote.size()) != std::string::npos)
            letters = c.substr(c.find(' ', remote.size()) + 1, 3);
        if (const SParamInfo* info = FindParamByMnemonic(letters)) out.insert(info->code);
    }
    return out;
}

int Count(CCalyraDlg& w) {
    Settle();
    return w.ChangesButton()->Count();
}

// Picks the item of a list as the operator does.
void Choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// Answers the next change list that opens (Write when write, else Cancel) and keeps its rows.
class CListAnswerer : public QObject {
  public:
    explicit CListAnswerer(bool write) : write(write) {
        connect(&poll, &QTimer::timeout, this, [this] {
            auto* list = qobject_cast<CChangeListDialog*>(QApplication::activeModalWidget());
            if (!list || answered) return;
            answered = true;
            poll.stop();
            QTableWidget* t = list->Table();
            for (int row = 0; row < t->rowCount(); ++row)
                rows << QStringList{t->item(row, 0)->text(), t->item(row, 1)->text(), t->item(row, 2)->text()};
            QPushButton* button = this->write || !list->CancelButton() ? list->AcceptButton() : list->CancelButton();
            QTimer::singleShot(0, button, [button] { button->click(); });
        });
        poll.start(5);
    }
    bool answered = false;
    QList<QStringList> rows;

  private:
    bool write;
    QTimer poll;
};

void Save(CSimWindowFixture& f) {
    QTest::mouseClick(f.Window().SaveButton(), Qt::LeftButton);
}

// Writes a parameter set file with the pages' values, then the given keys over them.
void WriteFile(CSimWindowFixture& f, const QString& path, const ValueMap& changes) {
    std::vector<SCmdItem> values;
    f.Window().CollectParamList(values);
    ExportConfig(values, [&] { return path.toStdString(); });
    CProfileFile file(path.toStdString());
    for (const auto& [code, value] : changes)
        file.WriteText("CONFIG", FindParam(code)->mnemonic, value);
}

// The simulator's fault profiles that a load and a save must come through.
enum EProfile { CLEAN, SPLIT, LATE };
void ApplyProfile(CSimulator& sim, int profile) {
    if (profile == SPLIT) {
        sim.SetChunking(3); // replies in pieces of 1 to 3 bytes
    } else if (profile == LATE) {
        sim.SetLatency(25); // well inside the shortened reply wait
    }
}
} // namespace

Q_DECLARE_METATYPE(CodeSet)
Q_DECLARE_METATYPE(ValueMap)

class WindowMarksTest : public QObject {
    Q_OBJECT
  private slots:
    void loadLeavesNoMarks_data();
    void loadLeavesNoMarks();
    void editMarksExactlyThatField_data();
    void editMarksExactlyThatField();
    void saveClearsTheMarksOfWhatWasWritten();
    void importMarksExactlyWhatTheFileChanges();
    void pendingCountIsTheNextSavesWrites_data();
    void pendingCountIsTheNextSavesWrites();
    void listBeforeWritingIsAskedAndRemembered();
    void comparisonMarksWithoutChangingThePages();
    void marksFollowTheSwitchBetweenLocalAndRemote();
};

void WindowMarksTest::loadLeavesNoMarks_data() {
    QTest::addColumn<int>("profile");
    QTest::addColumn<ValueMap>("module");
    QTest::newRow("factory module") << int(CLEAN) << ValueMap{};
    // An end device with assigned addresses, Timer Sleep and pins with intervals: every control in use.
    const ValueMap inUse{{PT_TYP, "2"}, {PT_NID, "4321"}, {PT_PID, "4660"}, {PT_TID, "1234"},
                         {PT_SLE, "1"}, {PT_STC, "300"},  {PT_WTC, "30"},  {PT_DM0, "1"},
                         {PT_DT0, "11"}, {PT_SEC, "1"},   {PT_KEY, "00112233445566778899AABBCCDDEEFF"}};
    QTest::newRow("every control in use, split replies") << int(SPLIT) << inUse;
    QTest::newRow("every control in use, late replies") << int(LATE) << inUse;
}

void WindowMarksTest::loadLeavesNoMarks() {
    QFETCH(int, profile);
    QFETCH(ValueMap, module);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    for (const auto& [code, value] : module)
        f.Sim().SetLocalParam(code, value);
    ApplyProfile(f.Sim(), profile);
    QVERIFY(StartLoaded(f));
    CCalyraDlg& w = f.Window();
    QVERIFY2(!f.LogText().contains("Failed!"), qPrintable(f.LogText()));
    QCOMPARE(Marked(w), CodeSet{});
    QCOMPARE(Count(w), 0);
    QCOMPARE(w.ChangesButton()->text(), QString("Changes: 0"));
}

void WindowMarksTest::editMarksExactlyThatField_data() {
    QTest::addColumn<int>("edit");
    QTest::addColumn<CodeSet>("marked");
    QTest::addColumn<QString>("tip"); // of the edited control
    QTest::newRow("channel list") << 0 << CodeSet{PT_CHA} << "Module value: 11";
    QTest::newRow("endpoint field") << 1 << CodeSet{PT_ENP} << "Module value: 1";
    QTest::newRow("PAN ID assigned") << 2 << CodeSet{PT_PID} << "Module value: Random";
    QTest::newRow("pin D4 to pulse counting") << 3 << CodeSet{PT_DM0 + 4} << "Module value: Disabled";
    // The module keeps keys in upper case; letter case makes no difference to a save.
    QTest::newRow("network key in lower case") << 4 << CodeSet{} << "";
    QTest::newRow("channel there and back") << 5 << CodeSet{} << "";
}

void WindowMarksTest::editMarksExactlyThatField() {
    QFETCH(int, edit);
    QFETCH(CodeSet, marked);
    QFETCH(QString, tip);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetLocalParam(PT_KEY, "00112233445566778899AABBCCDDEEFF");
    QVERIFY(StartLoaded(f));
    CCalyraDlg& w = f.Window();
    QComboBox* channel = w.NetworkPage()->ChannelList();
    const QPalette channelPalette = channel->palette();

    QWidget* edited = nullptr;
    switch (edit) {
    case 0:
        Choose(channel, channel->findText("20"));
        edited = channel;
        break;
    case 1:
        w.AdvancedPage()->EndpointField()->setText("9");
        edited = w.AdvancedPage()->EndpointField();
        break;
    case 2:
        Choose(w.NetworkPage()->PanIdModeList(), 1);
        w.NetworkPage()->PanIdField()->setText("4660");
        edited = w.NetworkPage()->PanIdField();
        break;
    case 3: {
        QComboBox* d4 = w.IoPage()->WorkModeList(4);
        Choose(d4, d4->findData(CIOConfigDialog::WM_PULSE_COUNT));
        edited = d4;
        break;
    }
    case 4:
        w.EncryptPage()->NetworkKeyField()->setText("00112233445566778899aabbccddeeff");
        break;
    case 5:
        Choose(channel, channel->findText("20"));
        QCOMPARE(Marked(w), CodeSet{PT_CHA});
        Choose(channel, channel->findText("11"));
        break;
    }
    QCOMPARE(Marked(w), marked);
    QCOMPARE(Count(w), int(marked.size()));
    if (edited) {
        QCOMPARE(edited->toolTip(), tip);
        QVERIFY(edited->font().bold() && edited->font().italic());
    }
    // The mark is drawn in the font, never in colours (light and dark themes, the red of a key).
    QCOMPARE(channel->palette(), channelPalette);
    if (!marked.count(PT_CHA)) QVERIFY(!channel->font().bold() && channel->toolTip().isEmpty());
}

void WindowMarksTest::saveClearsTheMarksOfWhatWasWritten() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    QVERIFY(StartLoaded(f));
    CCalyraDlg& w = f.Window();
    ApplyProfile(f.Sim(), SPLIT);
    QComboBox* channel = w.NetworkPage()->ChannelList();
    Choose(channel, channel->findText("20"));
    w.AdvancedPage()->ProfileField()->setText("1025");
    // Set as a file would set it: the module refuses an endpoint above 255.
    w.AdvancedPage()->EndpointField()->setText("300");
    w.EncryptPage()->NetworkKeyField()->setText("FFEEDDCCBBAA99887766554433221100");
    QCOMPARE(Marked(w), (CodeSet{PT_CHA, PT_ENP, PT_PRD, PT_KEY}));
    QCOMPARE(Count(w), 4);
    f.Sim().ClearReceived();

    CPromptAnswerer no(MB_RESULT_NO); // do not save the refused value again
    Save(f);
    QVERIFY(WaitJobEnd(f));
    QVERIFY2(no.Answered(), qPrintable(f.LogText()));
    QCOMPARE(Written(f), (CodeSet{PT_CHA, PT_ENP, PT_PRD, PT_KEY}));
    QVERIFY(f.LogText().contains("*Write " + QString::fromStdString(ParamCaption(PT_ENP)) + " Failed!"));
    // What was written is the module's value now; the refused value still waits.
    QCOMPARE(Marked(w), CodeSet{PT_ENP});
    QCOMPARE(Count(w), 1);
    QCOMPARE(w.AdvancedPage()->EndpointField()->toolTip(), QString("Module value: 1"));
    QVERIFY(!channel->font().bold());
}

void WindowMarksTest::importMarksExactlyWhatTheFileChanges() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetLocalParam(PT_KEY, "00112233445566778899AABBCCDDEEFF");
    QVERIFY(StartLoaded(f));
    CCalyraDlg& w = f.Window();
    const QString path = f.WorkDir() + "/three.ini";
    // Three changed values among the module's own, one given in another letter case.
    WriteFile(f, path,
              {{PT_CHA, "15"}, {PT_ITV, "250"}, {PT_SEC, "1"}, {PT_KEY, "00112233445566778899aabbccddeeff"}});
    w.SetFileChooser([&](bool) { return path; });
    {
        CPromptAnswerer ok(MB_RESULT_NO);
        QTest::mouseClick(w.ImportButton(), Qt::LeftButton);
        QVERIFY(ok.Answered());
    }
    QCOMPARE(Marked(w), (CodeSet{PT_CHA, PT_ITV, PT_SEC}));
    QCOMPARE(Count(w), 3);
    QCOMPARE(w.NetworkPage()->DataIntervalField()->toolTip(), QString("Module value: 20"));

    f.Sim().ClearReceived();
    Save(f);
    QVERIFY(WaitJobEnd(f));
    QCOMPARE(Written(f), (CodeSet{PT_CHA, PT_ITV, PT_SEC}));
    QCOMPARE(Marked(w), CodeSet{});
}

void WindowMarksTest::pendingCountIsTheNextSavesWrites_data() {
    QTest::addColumn<bool>("load");
    QTest::addColumn<ValueMap>("pages"); // set on the pages as a file would set them
    QTest::addColumn<int>("profile");
    QTest::newRow("nothing changed") << true << ValueMap{} << int(CLEAN);
    QTest::newRow("random PAN ID given as 65535, key in lower case")
        << true << ValueMap{{PT_PID, "65535"}, {PT_KEY, "0123456789abcdef0123456789abcdef"}} << int(CLEAN);
    QTest::newRow("leading zeros are another text") << true << ValueMap{{PT_ITV, "0020"}} << int(CLEAN);
    // An end device gives its node address and its sleep settings; a pin with ADC its interval.
    QTest::newRow("node type, sleep, pin modes, split replies")
        << true
        << ValueMap{{PT_TYP, "2"}, {PT_NID, "4321"}, {PT_SLE, "1"}, {PT_STC, "200"}, {PT_DM0 + 1, "1"},
                    {PT_DT0 + 1, "30"}, {PT_SEC, "1"}}
        << int(SPLIT);
    QTest::newRow("no load: every value the pages give")
        << false << ValueMap{{PT_IPR, "5"}, {PT_CHA, "20"}, {PT_MOD, "1"}, {PT_SEC, "0"}} << int(LATE);
}

void WindowMarksTest::pendingCountIsTheNextSavesWrites() {
    QFETCH(bool, load);
    QFETCH(ValueMap, pages);
    QFETCH(int, profile);
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Sim().SetLocalParam(PT_KEY, "0123456789ABCDEF0123456789ABCDEF");
    if (load) {
        QVERIFY(StartLoaded(f));
    } else {
        f.Start().Log()->SetDisplayPacket(false);
        QVERIFY(f.OpenSimPort());
    }
    CCalyraDlg& w = f.Window();
    ApplyProfile(f.Sim(), profile);
    for (const auto& [code, value] : pages)
        w.SetParam(code, value);
    const CodeSet marked = Marked(w);
    const int count = Count(w);
    QCOMPARE(count, int(marked.size()));
    if (!load) QVERIFY(count > int(pages.size()) - 1);
    f.Sim().ClearReceived();

    Save(f);
    QVERIFY(WaitJobEnd(f));
    QCOMPARE(Written(f), marked);
    QCOMPARE(int(Written(f).size()), count);
    if (count == 0) QVERIFY(f.Commands().empty()); // not even the save command
    QVERIFY2(!f.LogText().contains("Failed!"), qPrintable(f.LogText()));
    QCOMPARE(Count(w), 0);
}

void WindowMarksTest::listBeforeWritingIsAskedAndRemembered() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    QVERIFY(StartLoaded(f));
    CCalyraDlg& w = f.Window();
    // Reached from Save Params with Tab.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.SaveButton()->setFocus();
    QTest::keyClick(w.SaveButton(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.ChangesButton()));
    {
        CListAnswerer shown(true);
        QTest::keyClick(w.ChangesButton(), Qt::Key_Space);
        QVERIFY(shown.answered);
        QVERIFY(shown.rows.isEmpty());
    }
    QAction* option = w.ChangesButton()->ListBeforeWritingAction();
    QVERIFY(!option->isChecked());
    option->trigger();
    QVERIFY(CProfileFile(w.Settings().Path()).ReadText("CONFIG", "ShowChangeList", "").find('1') == 0);

    // Nothing pending: Save asks nothing and sends nothing.
    f.Sim().ClearReceived();
    {
        CListAnswerer none(true);
        Save(f);
        QTest::qWait(50);
        QVERIFY(!none.answered);
        QVERIFY(f.Commands().empty());
    }

    QComboBox* parity = w.NetworkPage()->ParityList();
    Choose(parity, 1);
    w.AdvancedPage()->ClusterField()->setText("77");
    {
        CListAnswerer cancel(false);
        Save(f);
        QVERIFY(cancel.answered);
        const QList<QStringList> expected{{"Parity Bit", "None", "Even"},
                                          {"Cluster ID", QString::fromStdString(f.Sim().LocalParam(PT_CDA)), "77"}};
        QCOMPARE(cancel.rows, expected);
    }
    QTest::qWait(50);
    QVERIFY(f.Commands().empty());
    QCOMPARE(Count(w), 2);
    {
        CListAnswerer write(true);
        Save(f);
        QVERIFY(write.answered);
    }
    QVERIFY(WaitJobEnd(f));
    QCOMPARE(Written(f), (CodeSet{PT_PAR, PT_CDA}));

    // The next start keeps the option.
    f.CloseWindow();
    CCalyraDlg& again = f.Start();
    QVERIFY(again.ChangesButton()->ListBeforeWritingAction()->isChecked());
    again.ChangesButton()->ListBeforeWritingAction()->trigger();
    f.CloseWindow();
    QVERIFY(!f.Start().ChangesButton()->ListBeforeWritingAction()->isChecked());
}

void WindowMarksTest::comparisonMarksWithoutChangingThePages() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    QVERIFY(StartLoaded(f));
    CCalyraDlg& w = f.Window();
    const QString path = f.WorkDir() + "/other.ini";
    WriteFile(f, path, {{PT_CHA, "15"}, {PT_PRD, "1025"}, {PT_MID, "0000000000000000"}});
    std::vector<SCmdItem> before;
    w.CollectParamList(before);
    w.SetFileChooser([&](bool) { return path; });

    w.ChangesButton()->CompareAction()->trigger();
    std::vector<SCmdItem> after;
    w.CollectParamList(after);
    QCOMPARE(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
        QCOMPARE(after[i].Text(), before[i].Text());
    // The MAC address is never written: not a difference.
    QCOMPARE(Marked(w, MARK_FILE), (CodeSet{PT_CHA, PT_PRD}));
    QCOMPARE(Marked(w, MARK_PENDING), CodeSet{});
    QCOMPARE(w.NetworkPage()->ChannelList()->toolTip(), QString("File value: 15"));
    QVERIFY(w.NetworkPage()->ChannelList()->font().underline());
    QVERIFY(f.LogText().contains("Compared with " + path + ": 2 differences."));

    // Taking the file's value ends that difference and makes it pending.
    Choose(w.NetworkPage()->ChannelList(), w.NetworkPage()->ChannelList()->findText("15"));
    QCOMPARE(Marked(w, MARK_FILE), CodeSet{PT_PRD});
    QCOMPARE(Marked(w, MARK_PENDING), CodeSet{PT_CHA});
    w.ChangesButton()->EndComparisonAction()->trigger();
    QCOMPARE(Marked(w, MARK_FILE), CodeSet{});
    QCOMPARE(w.NetworkPage()->ChannelList()->toolTip(), QString("Module value: 11"));

    // A file without parameters only says so.
    const QString foreign = f.WorkDir() + "/foreign.ini";
    QFile file(foreign);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Other]\nCHA=12\n");
    file.close();
    w.SetFileChooser([&](bool) { return foreign; });
    w.ChangesButton()->CompareAction()->trigger();
    QVERIFY(f.LogText().contains(foreign + " holds no parameter to compare."));
    QCOMPARE(Marked(w, MARK_FILE), CodeSet{});
}

void WindowMarksTest::marksFollowTheSwitchBetweenLocalAndRemote() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    const uint16_t node = f.Sim().NodeAddresses().front();
    // The node differs from the local module in two values.
    f.Sim().SetRemoteParam(node, PT_CHA, "21");
    f.Sim().SetRemoteParam(node, PT_PID, "4660");
    QVERIFY(StartLoaded(f));
    CCalyraDlg& w = f.Window();
    w.DeviceTabs()->setCurrentWidget(w.RemotePage());
    w.Engine().OnNodeAction(NA_READ, node);
    QVERIFY(WaitJobEnd(f));
    QCOMPARE(f.PageValue(PT_CHA), std::string("21"));
    // Compared with the node's values, not with the local module's.
    QCOMPARE(Marked(w), CodeSet{});
    QComboBox* channel = w.NetworkPage()->ChannelList();
    Choose(channel, channel->findText("20"));
    QCOMPARE(Marked(w), CodeSet{PT_CHA});
    QCOMPARE(channel->toolTip(), QString("Module value: 21"));
    QCOMPARE(Count(w), 1);

    f.Sim().ClearReceived();
    w.Engine().OnNodeAction(NA_WRITE, node);
    QVERIFY(WaitJobEnd(f));
    QCOMPARE(Written(f), CodeSet{PT_CHA});
    QCOMPARE(f.Sim().RemoteParam(node, PT_CHA), std::string("20"));
    QCOMPARE(Marked(w), CodeSet{});

    // The local module's values again: compared with its own last read.
    w.DeviceTabs()->setCurrentIndex(0);
    QTest::mouseClick(w.LoadButton(), Qt::LeftButton);
    QVERIFY(WaitJobEnd(f));
    QCOMPARE(Marked(w), CodeSet{});
    Choose(channel, channel->findText("21"));
    QCOMPARE(Marked(w), CodeSet{PT_CHA});
    QCOMPARE(channel->toolTip(), QString("Module value: 11"));
}

QTEST_MAIN(WindowMarksTest)
#include "window_marks_test.moc"
