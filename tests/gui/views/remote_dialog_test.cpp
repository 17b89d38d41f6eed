// The remote device page: the node list rules, the search countdown and repeat, the context menu
// and its actions, and the address changes that a restart applies.
#include "Messages.h"
#include "RemoteDialog.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace {
// A record as four texts: address, status, mac, node type.
using Record = QStringList;

void Add(CRemoteDialog& page, const Record& r) {
    page.AddNode(r[0].toStdString(), r[1].toStdString(), r[2].toStdString(), r[3].toStdString());
}

// Rows as "name|address|mac".
QStringList Rows(const CRemoteDialog& page) {
    QStringList rows;
    for (int i = 0; i < page.NodeList()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = page.NodeList()->topLevelItem(i);
        rows << row->text(0) + "|" + row->text(1) + "|" + row->text(2);
    }
    return rows;
}

// Selects the row with the given address text, as a right click does.
void Select(CRemoteDialog& page, const QString& address) {
    for (int i = 0; i < page.NodeList()->topLevelItemCount(); ++i)
        if (page.NodeList()->topLevelItem(i)->text(1) == address)
            page.NodeList()->setCurrentItem(page.NodeList()->topLevelItem(i));
}

void Fill(CRemoteDialog& page) {
    Add(page, {"4660", "0", "00124B0001A1", "1"});
    Add(page, {"17", "0", "00124B0001A2", "2"});
    Add(page, {"65534", "0", "00124B0001A3", "2"});
}
} // namespace

class RemoteDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void startsManualAndIdle();
    void addNode_data();
    void addNode();
    void codeTexts();
    void countdownEndsSearch();
    void countdownByTimer();
    void portClosedEndsSearchAtOnce();
    void autoSearchRepeatsAndClears();
    void menuActions_data();
    void menuActions();
    void contextMenuOnlyOnRows();
    void restartAppliesAddressChange_data();
    void restartAppliesAddressChange();
    void factoryRemovesRowAndNamesFollowCount();
    void rowChangedByHandlerIsLeftAlone();
    void rememberNewAddress();
};

void RemoteDialogTest::startsManualAndIdle() {
    CRemoteDialog page;
    QCOMPARE(page.SearchMode(), int(CRemoteDialog::MODE_MANUAL));
    QVERIFY(page.SearchButton()->isEnabled());
    QCOMPARE(page.SearchButton()->text(), QString("Search"));
    QVERIFY(!page.IsSearching());
    QVERIFY(!page.IsAutoSearchArmed());
    QCOMPARE(page.FreqList()->count(), 5);
    QCOMPARE(page.FreqList()->currentText(), QString("2"));
    QCOMPARE(page.NodeList()->columnCount(), 3);
    QCOMPARE(page.NodeList()->headerItem()->text(2), QString("Mac Address"));
    QCOMPARE(page.OwnAddress(), -1);
}

void RemoteDialogTest::addNode_data() {
    QTest::addColumn<int>("own");
    QTest::addColumn<QList<Record>>("records");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("listed in order") << -1
                                     << QList<Record>{{"4660", "0", "AA01", "0"}, {"17", "5", "AA02", "2"}}
                                     << QStringList{"Device1|4660|AA01", "Device2|17|AA02"};
    QTest::newRow("own address never listed")
        << 4660 << QList<Record>{{"4660", "0", "AA01", "0"}, {"17", "0", "AA02", "1"}}
        << QStringList{"Device1|17|AA02"};
    QTest::newRow("own address 0 skips address 0")
        << 0 << QList<Record>{{"0", "0", "AA00", "0"}} << QStringList{};
    QTest::newRow("same mac in any case listed once")
        << -1 << QList<Record>{{"17", "0", "00124b00aa", "1"}, {"18", "0", "00124B00AA", "1"}}
        << QStringList{"Device1|17|00124b00aa"};
    QTest::newRow("status outside 0..5 dropped") << -1
                                                 << QList<Record>{{"1", "6", "M1", "0"},
                                                                  {"2", "-1", "M2", "0"},
                                                                  {"3", "x", "M3", "0"},
                                                                  {"4", "4294967296", "M4", "0"}}
                                                 << QStringList{"Device1|3|M3"}; // no number counts as 0
    QTest::newRow("node type outside 0..2 dropped") << -1
                                                    << QList<Record>{{"1", "0", "M1", "3"},
                                                                     {"2", "0", "M2", "-1"},
                                                                     {"3", "0", "M3", "2"},
                                                                     {"4", "0", "M4", "4294967297"}}
                                                    << QStringList{"Device1|3|M3"};
    QTest::newRow("address text kept as reported")
        << -1 << QList<Record>{{"0017", "0", "M1", "0"}} << QStringList{"Device1|0017|M1"};
}

void RemoteDialogTest::addNode() {
    QFETCH(int, own);
    QFETCH(QList<Record>, records);
    QFETCH(QStringList, rows);
    CRemoteDialog page;
    page.SetOwnAddress(own);
    for (const Record& r : records)
        Add(page, r);
    QCOMPARE(Rows(page), rows);
}

void RemoteDialogTest::codeTexts() {
    QCOMPARE(CRemoteDialog::StatusText(0), QString::fromUtf8("正常"));
    QCOMPARE(CRemoteDialog::StatusText(5), QString::fromUtf8("无效的值"));
    QVERIFY(CRemoteDialog::StatusText(6).isEmpty());
    QVERIFY(CRemoteDialog::StatusText(-1).isEmpty());
    QCOMPARE(CRemoteDialog::NodeTypeText(0), QString::fromUtf8("协调器"));
    QCOMPARE(CRemoteDialog::NodeTypeText(2), QString::fromUtf8("终端设备"));
    QVERIFY(CRemoteDialog::NodeTypeText(3).isEmpty());
}

void RemoteDialogTest::countdownEndsSearch() {
    CRemoteDialog page;
    page.SetTickPeriod(3600 * 1000); // ticks are driven by hand below
    QSignalSpy actions(&page, &CRemoteDialog::nodeAction);
    Fill(page);
    QTest::mouseClick(page.SearchButton(), Qt::LeftButton);
    QCOMPARE(actions.count(), 1);
    QCOMPARE(actions[0][0].toInt(), int(NA_SEARCH));
    QCOMPARE(actions[0][1].toLongLong(), 0LL);
    QCOMPARE(page.NodeList()->topLevelItemCount(), 0);
    QVERIFY(page.IsSearching());
    QVERIFY(!page.SearchButton()->isEnabled());
    QVERIFY(!page.AutoRadio()->isEnabled() && !page.ManualRadio()->isEnabled());

    page.CountdownTick();
    QCOMPARE(page.SearchButton()->text(), QString("65s"));
    for (int i = 2; i <= 65; ++i)
        page.CountdownTick();
    QCOMPARE(page.SearchButton()->text(), QString("1s"));
    QVERIFY(page.IsSearching());
    page.CountdownTick();
    QVERIFY(!page.IsSearching());
    QCOMPARE(page.SearchButton()->text(), QString("Search"));
    QVERIFY(page.SearchButton()->isEnabled());
    QVERIFY(page.AutoRadio()->isEnabled() && page.ManualRadio()->isEnabled());
    QCOMPARE(page.Countdown(), 0);
}

void RemoteDialogTest::countdownByTimer() {
    CRemoteDialog page;
    page.SetTickPeriod(2);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(page.SearchButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!page.IsSearching(), 5000);
    QVERIFY(clock.elapsed() >= 65 * 2); // all 66 ticks, not fewer
    QCOMPARE(page.SearchButton()->text(), QString("Search"));
    QVERIFY(page.SearchButton()->isEnabled());
}

// With the port closed the window answers a search with EndSearch and StopAutoSearch while the
// page is still sending the action; the page must end up idle, not counting down.
void RemoteDialogTest::portClosedEndsSearchAtOnce() {
    CRemoteDialog page;
    page.SetMinuteLength(3600 * 1000);
    connect(&page, &CRemoteDialog::nodeAction, &page, [&page] {
        page.EndSearch();
        page.StopAutoSearch();
    });
    QTest::mouseClick(page.SearchButton(), Qt::LeftButton);
    QVERIFY(!page.IsSearching());
    QVERIFY(page.SearchButton()->isEnabled());
    QTest::mouseClick(page.AutoRadio(), Qt::LeftButton);
    QCOMPARE(page.SearchMode(), int(CRemoteDialog::MODE_AUTO));
    QVERIFY(!page.IsSearching());
    QVERIFY(!page.IsAutoSearchArmed());
    QVERIFY(!page.SearchButton()->isEnabled()); // Auto Search never offers Search
    QVERIFY(page.AutoRadio()->isEnabled());
}

void RemoteDialogTest::autoSearchRepeatsAndClears() {
    CRemoteDialog page;
    page.SetMinuteLength(20); // period "2" -> 40 ms
    page.SetTickPeriod(3600 * 1000);
    QSignalSpy actions(&page, &CRemoteDialog::nodeAction);
    Fill(page);
    QTest::mouseClick(page.AutoRadio(), Qt::LeftButton);
    QCOMPARE(actions.count(), 1); // a search at once
    QCOMPARE(page.NodeList()->topLevelItemCount(), 0);
    QVERIFY(page.IsAutoSearchArmed());
    QCOMPARE(page.AutoSearchInterval(), 40);
    QVERIFY(!page.SearchButton()->isEnabled());
    QVERIFY(!page.AutoRadio()->isEnabled());

    Fill(page);
    QTRY_VERIFY_WITH_TIMEOUT(actions.count() >= 2, 2000);
    QCOMPARE(actions.last()[0].toInt(), int(NA_SEARCH));
    QCOMPARE(page.NodeList()->topLevelItemCount(), 0); // each search empties the list

    page.StopAutoSearch();
    QVERIFY(!page.IsAutoSearchArmed());
    page.EndSearch();
    QCOMPARE(page.SearchMode(), int(CRemoteDialog::MODE_AUTO)); // the radio is left as it is
    QVERIFY(page.AutoRadio()->isEnabled());
    QVERIFY(!page.SearchButton()->isEnabled());
    const int searches = actions.count();
    QTest::qWait(120);
    QCOMPARE(actions.count(), searches);

    QTest::mouseClick(page.ManualRadio(), Qt::LeftButton);
    QVERIFY(page.SearchButton()->isEnabled());
    QVERIFY(!page.IsAutoSearchArmed() && !page.IsSearching());

    page.FreqList()->setCurrentIndex(4); // "10"
    QTest::mouseClick(page.AutoRadio(), Qt::LeftButton);
    QCOMPARE(page.AutoSearchInterval(), 200);
}

void RemoteDialogTest::menuActions_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("action");
    QTest::addColumn<long>("value");
    QTest::newRow("Load params") << int(CRemoteDialog::IDM_LOAD) << int(NA_READ) << 4660L;
    QTest::newRow("Save params") << int(CRemoteDialog::IDM_SAVE) << int(NA_WRITE) << 4660L;
    QTest::newRow("Restart") << int(CRemoteDialog::IDM_RESTART) << int(NA_RESTART) << 4660L;
    QTest::newRow("Factory") << int(CRemoteDialog::IDM_FACTORY) << int(NA_FACTORY) << 4660L;
    QTest::newRow("Import Config") << int(CRemoteDialog::IDM_IMPORT) << int(NA_IMPORT) << 0L;
    QTest::newRow("Export Config") << int(CRemoteDialog::IDM_EXPORT) << int(NA_EXPORT) << 0L;
}

// The real menu: a right click on the row, then the item.
void RemoteDialogTest::menuActions() {
    QFETCH(int, item);
    QFETCH(int, action);
    QFETCH(long, value);
    CRemoteDialog page;
    page.show();
    Fill(page);
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QSignalSpy actions(&page, &CRemoteDialog::nodeAction);
    QTreeWidgetItem* row = page.NodeList()->topLevelItem(0);
    QVERIFY(page.OpenContextMenu(page.NodeList()->visualItemRect(row).center()));
    QVERIFY(page.ContextMenu()->isVisible());
    QCOMPARE(page.NodeList()->currentItem(), row);
    QAction* chosen = nullptr;
    for (QAction* a : page.ContextMenu()->actions())
        if (!a->isSeparator() && a->data().toInt() == item) chosen = a;
    QVERIFY(chosen);
    chosen->trigger();
    page.ContextMenu()->hide();
    QCOMPARE(actions.count(), 1);
    QCOMPARE(actions[0][0].toInt(), action);
    QCOMPARE(actions[0][1].value<long>(), value);
}

void RemoteDialogTest::contextMenuOnlyOnRows() {
    CRemoteDialog page;
    page.resize(400, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    Add(page, {"17", "0", "M1", "0"});
    const QRect first = page.NodeList()->visualItemRect(page.NodeList()->topLevelItem(0));
    QVERIFY(!page.OpenContextMenu(QPoint(first.center().x(), first.bottom() + 60)));
    QVERIFY(!page.ContextMenu()->isVisible());
    const QStringList items = [&] {
        QStringList t;
        for (QAction* a : page.ContextMenu()->actions())
            t << (a->isSeparator() ? "-" : a->text());
        return t;
    }();
    QCOMPARE(items, (QStringList{"Load params", "Save params", "-", "Restart", "Factory", "-",
                                 "Import Config", "Export Config"}));
}

void RemoteDialogTest::restartAppliesAddressChange_data() {
    QTest::addColumn<QString>("remembered"); // empty: no change remembered
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("new address shown") << "1234" << QStringList{"Device1|1234|M1", "Device2|17|M2"};
    QTest::newRow("random address removes row") << "65535" << QStringList{"Device2|17|M2"};
    QTest::newRow("nothing remembered") << "" << QStringList{"Device1|4660|M1", "Device2|17|M2"};
}

void RemoteDialogTest::restartAppliesAddressChange() {
    QFETCH(QString, remembered);
    QFETCH(QStringList, rows);
    CRemoteDialog page;
    QSignalSpy actions(&page, &CRemoteDialog::nodeAction);
    Add(page, {"4660", "0", "M1", "1"});
    Add(page, {"17", "0", "M2", "1"});
    Select(page, "4660");
    if (!remembered.isEmpty()) page.RememberNewAddress(remembered.toStdString());
    page.RunMenuCommand(CRemoteDialog::IDM_RESTART);
    QCOMPARE(actions.count(), 1);
    QCOMPARE(actions[0][1].value<long>(), 4660L); // the old address: the module has not restarted yet
    QCOMPARE(Rows(page), rows);
    QVERIFY(page.AddressChanges().empty()); // the restart consumed the change
}

void RemoteDialogTest::factoryRemovesRowAndNamesFollowCount() {
    CRemoteDialog page;
    Add(page, {"1", "0", "M1", "0"});
    Add(page, {"2", "0", "M2", "1"});
    Select(page, "1");
    page.RunMenuCommand(CRemoteDialog::IDM_FACTORY);
    Add(page, {"3", "0", "M3", "1"});
    QCOMPARE(Rows(page), (QStringList{"Device2|2|M2", "Device2|3|M3"}));
}

// The window may change the list while it handles an action; the page then leaves it alone.
void RemoteDialogTest::rowChangedByHandlerIsLeftAlone() {
    CRemoteDialog page;
    Add(page, {"4660", "0", "M1", "1"});
    Select(page, "4660");
    page.RememberNewAddress("1234");
    int calls = 0;
    connect(&page, &CRemoteDialog::nodeAction, &page, [&page, &calls] {
        page.NodeList()->clear();
        const std::string address = std::to_string(90 + calls++);
        page.AddNode(address, "0", "M" + address, "1");
    });
    page.RunMenuCommand(CRemoteDialog::IDM_RESTART);
    QCOMPARE(Rows(page), QStringList{"Device1|90|M90"});
    page.NodeList()->setCurrentItem(page.NodeList()->topLevelItem(0));
    page.RunMenuCommand(CRemoteDialog::IDM_FACTORY);
    QCOMPARE(Rows(page), QStringList{"Device1|91|M91"});
}

void RemoteDialogTest::rememberNewAddress() {
    CRemoteDialog page;
    Add(page, {"17", "0", "M1", "1"});
    page.NodeList()->setCurrentItem(nullptr);
    page.RememberNewAddress("1234");
    QVERIFY(page.AddressChanges().empty()); // no selection: nothing

    Select(page, "17");
    page.RememberNewAddress("1234");
    page.RememberNewAddress("4321"); // same key: the value is replaced
    QCOMPARE(page.AddressChanges().size(), size_t(1));
    QCOMPARE(page.AddressChanges()[0].first, std::string("17"));
    QCOMPARE(page.AddressChanges()[0].second, std::string("4321"));

    // Changes survive a search; the restart of that module applies the last one.
    QTest::mouseClick(page.SearchButton(), Qt::LeftButton);
    page.EndSearch();
    Add(page, {"17", "0", "M1", "1"});
    Select(page, "17");
    page.RunMenuCommand(CRemoteDialog::IDM_RESTART);
    QCOMPARE(Rows(page), QStringList{"Device1|4321|M1"});
}

QTEST_MAIN(RemoteDialogTest)
#include "remote_dialog_test.moc"
