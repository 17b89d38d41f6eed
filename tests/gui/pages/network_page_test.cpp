// The ZigBee network page: setters, value list, mode and node type rules.
#include "BaseConfigDialog.h"
#include "LimitEdit.h"
#include "PagesFixture.h"
#include "ParamCatalogue.h"
#include "StandInMainDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

class NetworkPageTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { window = std::make_unique<CStandInMainDlg>(); }
    void cleanup() { window.reset(); }

    void creationState();
    void valueRoundTrip_data();
    void valueRoundTrip();
    void invalidValues_data();
    void invalidValues();
    void listOrder();
    void addressFromModuleBeyondFieldBounds();
    void assignWithEmptyField();
    void coordinatorNodeAddress();
    void macAddress();
    void nodeTypeRule();
    void modeRules();
    void clearParams();
    void overlongValueTextStaysWritable();
    void numberFieldsRefuseTypedNonDigits();

  private:
    std::unique_ptr<CStandInMainDlg> window;
};

void NetworkPageTest::creationState() {
    CBaseConfigDialog page;
    QCOMPARE(ValueList(page), (QStringList{"6=0", "7=0", "8=0", "9=0", "11=0", "10=0", "17=0", "12=0",
                                           "13=11", "16=65535", "15=65535"}));
    QVERIFY(page.PanIdField()->isHidden());
    QVERIFY(page.NodeAddressField()->isHidden());
    QVERIFY(page.TransAddressField()->isHidden());
    QCOMPARE(page.PanIdField()->text(), "0");
    // The node type rule is not applied at creation.
    QVERIFY(page.NodeAddressModeList()->isEnabled());
    QCOMPARE(page.TransAddressModeList()->currentText(), "Broadcast");
    QVERIFY(page.findChildren<QLabel*>().size() >= 14);
}

void NetworkPageTest::valueRoundTrip_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown"); // the selected item, or the value field's text
    QTest::newRow("baud rate") << int(PT_IPR) << "5"
                               << "9600";
    QTest::newRow("baud rate empty text") << int(PT_IPR) << ""
                                          << "300";
    QTest::newRow("parity even") << int(PT_PAR) << "1"
                                 << "Even";
    QTest::newRow("parity odd") << int(PT_PAR) << "2"
                                << "Odd";
    QTest::newRow("stop bits") << int(PT_STO) << "1"
                               << "2 Bit";
    QTest::newRow("flow control") << int(PT_UFC) << "1"
                                  << "Enable";
    QTest::newRow("debug level") << int(PT_DBL) << "2"
                                 << "2";
    QTest::newRow("echo") << int(PT_ECH) << "1"
                          << "Yes";
    QTest::newRow("auto join") << int(PT_AST) << "1"
                               << "Yes";
    QTest::newRow("channel first") << int(PT_CHA) << "11"
                                   << "11";
    QTest::newRow("channel last") << int(PT_CHA) << "26"
                                  << "26";
    QTest::newRow("node type") << int(PT_TYP) << "2"
                               << "End Device";
    QTest::newRow("trans address") << int(PT_TID) << "1234"
                                   << "1234";
    QTest::newRow("trans broadcast") << int(PT_TID) << "65535"
                                     << "Broadcast";
    QTest::newRow("pan id zero") << int(PT_PID) << "0"
                                 << "0";
    QTest::newRow("pan id random") << int(PT_PID) << "65535"
                                   << "Random";
    QTest::newRow("node address") << int(PT_NID) << "1234"
                                  << "1234";
    QTest::newRow("node address random") << int(PT_NID) << "65535"
                                         << "Random";
    QTest::newRow("data interval") << int(PT_ITV) << "20"
                                   << "20";
    QTest::newRow("data interval leading zeros") << int(PT_ITV) << "0020"
                                                 << "0020";
}

void NetworkPageTest::valueRoundTrip() {
    QFETCH(int, code);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    CBaseConfigDialog page;
    if (code == PT_NID) page.SetParam(PT_TYP, "1"); // a router has a node address of its own
    page.SetParam(code, value.toStdString());
    QVERIFY2(window->log.isEmpty(), qPrintable(window->log.join('|')));

    const std::map<int, QComboBox*> lists = {
        {PT_IPR, page.BaudrateList()},    {PT_PAR, page.ParityList()},     {PT_STO, page.StopBitsList()},
        {PT_UFC, page.FlowControlList()}, {PT_DBL, page.DebugLevelList()}, {PT_ECH, page.EchoList()},
        {PT_AST, page.AutoJoinList()},    {PT_CHA, page.ChannelList()},    {PT_TYP, page.NodeTypeList()}};
    const std::map<int, std::pair<QComboBox*, QLineEdit*>> addresses = {
        {PT_PID, {page.PanIdModeList(), page.PanIdField()}},
        {PT_TID, {page.TransAddressModeList(), page.TransAddressField()}},
        {PT_NID, {page.NodeAddressModeList(), page.NodeAddressField()}}};
    if (lists.count(code)) {
        QCOMPARE(lists.at(code)->currentText(), shown);
    } else if (addresses.count(code)) {
        const auto [mode, field] = addresses.at(code);
        const bool random = value == "65535";
        QCOMPARE(mode->currentIndex(), random ? 0 : 1);
        QCOMPARE(field->isHidden(), random);
        QCOMPARE(random ? mode->currentText() : field->text(), shown);
    } else {
        QCOMPARE(page.DataIntervalField()->text(), shown);
    }
    QCOMPARE(ValueOf(page, code), value.isEmpty() ? "0" : value);
}

void NetworkPageTest::invalidValues_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("line");
    QTest::newRow("baud rate 10") << int(PT_IPR) << "10"
                                  << "Invalid Baudrate!";
    QTest::newRow("baud rate blank") << int(PT_IPR) << "5 "
                                     << "Invalid Baudrate!";
    QTest::newRow("parity") << int(PT_PAR) << "3"
                            << "Invalid Parity Bit!";
    QTest::newRow("stop bits") << int(PT_STO) << "2"
                               << "Invalid Stop Bit!";
    QTest::newRow("flow control") << int(PT_UFC) << "2"
                                  << "Invalid Hardware Flow Control!";
    QTest::newRow("debug level") << int(PT_DBL) << "3"
                                 << "Invalid Debug Level!";
    QTest::newRow("echo") << int(PT_ECH) << "on"
                          << "Invalid Echo AT Command String!";
    QTest::newRow("auto join") << int(PT_AST) << "-1"
                               << "Invalid Auto Join Network!";
    QTest::newRow("channel 10") << int(PT_CHA) << "10"
                                << "Invalid Physical Channel!";
    QTest::newRow("channel 27") << int(PT_CHA) << "27"
                                << "Invalid Physical Channel!";
    QTest::newRow("channel empty") << int(PT_CHA) << ""
                                   << "Invalid Physical Channel!";
    QTest::newRow("mac 15") << int(PT_MID) << "0123456789ABCDE"
                            << "Invalid MAC Address!";
    QTest::newRow("mac 17") << int(PT_MID) << "0123456789ABCDEF0"
                            << "Invalid MAC Address!";
    QTest::newRow("trans address") << int(PT_TID) << "65536"
                                   << "Invalid Trans Address!";
    QTest::newRow("pan id") << int(PT_PID) << "65536"
                            << "Invalid PID!";
    QTest::newRow("pan id huge") << int(PT_PID) << "99999999999999999999"
                                 << "Invalid PID!";
    QTest::newRow("node type") << int(PT_TYP) << "3"
                               << "Invalid Node Type!";
    QTest::newRow("node address") << int(PT_NID) << "1e3"
                                  << "Invalid Node Address!";
    QTest::newRow("interval 5") << int(PT_ITV) << "5"
                                << "Invalid Data Interval!";
    QTest::newRow("interval 1981") << int(PT_ITV) << "1981"
                                   << "Invalid Data Interval!";
}

void NetworkPageTest::invalidValues() {
    QFETCH(int, code);
    QFETCH(QString, value);
    QFETCH(QString, line);
    CBaseConfigDialog page;
    page.SetNodeType("1");
    page.SetDataInterval("20");
    page.SetMacAddress("00124B0001020304");
    const QStringList before = ValueList(page);
    const QString mac = page.MacAddressField()->text();
    QSignalSpy nodeType(&page, &CBaseConfigDialog::nodeTypeChanged);
    page.SetParam(code, value.toStdString());
    QCOMPARE(window->log, QStringList{line});
    QCOMPARE(ValueList(page), before);
    QCOMPARE(page.MacAddressField()->text(), mac);
    QCOMPARE(nodeType.count(), 0);
}

void NetworkPageTest::listOrder() {
    CBaseConfigDialog page;
    const std::pair<int, const char*> values[] = {
        {PT_IPR, "9"},  {PT_PAR, "2"},   {PT_STO, "1"},
        {PT_UFC, "1"},  {PT_DBL, "1"},   {PT_ECH, "1"},
        {PT_AST, "1"},  {PT_CHA, "15"},  {PT_MID, "0011223344556677"},
        {PT_TID, "0"},  {PT_PID, "100"}, {PT_TYP, "2"},
        {PT_NID, "42"}, {PT_ITV, "100"}};
    for (const auto& [code, value] : values)
        page.SetParam(code, value);
    QCOMPARE(ValueList(page), (QStringList{"6=9", "7=2", "8=1", "9=1", "11=1", "10=1", "17=2", "12=1",
                                           "13=15", "20=100", "16=100", "15=0", "18=42"}));
    // Codes of other pages are not this page's.
    page.SetParam(PT_MOD, "1");
    page.SetParam(PT_KEY, "00");
    QVERIFY(window->log.isEmpty());
}

void NetworkPageTest::addressFromModuleBeyondFieldBounds() {
    // A module's value is shown and handed back as it is, although the operator could not type it.
    CBaseConfigDialog page;
    page.SetPanId("65533");
    QCOMPARE(page.PanIdModeList()->currentIndex(), 1);
    QCOMPARE(page.PanIdField()->text(), "65533");
    QCOMPARE(ValueOf(page, PT_PID), "65533");
    page.SetPanId("00100");
    QCOMPARE(page.PanIdField()->text(), "100");
    QVERIFY(window->log.isEmpty());
}

void NetworkPageTest::assignWithEmptyField() {
    CBaseConfigDialog page;
    page.ClearParams();
    page.PanIdModeList()->setCurrentIndex(1);
    QCOMPARE(ValueOf(page, PT_PID), "");
    QVERIFY(ValueList(page).contains("16="));
}

void NetworkPageTest::coordinatorNodeAddress() {
    CBaseConfigDialog page;
    page.SetNodeType("0");
    page.SetNodeAddress("1234");
    QCOMPARE(page.NodeAddressField()->text(), "0");
    QCOMPARE(page.NodeAddressModeList()->currentIndex(), 0); // nothing else changes
    QVERIFY(page.NodeAddressField()->isHidden());
    QCOMPARE(ValueOf(page, PT_NID), "<none>");
    // Without a node type (after a clear) the address is taken as for a router.
    page.ClearParams();
    page.SetNodeAddress("1234");
    QCOMPARE(page.NodeAddressModeList()->currentIndex(), 1);
    QCOMPARE(ValueOf(page, PT_NID), "<none>");
}

void NetworkPageTest::macAddress() {
    CBaseConfigDialog page;
    page.SetMacAddress("xyz-any text 16!");
    QCOMPARE(page.MacAddressField()->text(), "xyz-any text 16!");
    QVERIFY(page.MacAddressField()->isReadOnly());
    QCOMPARE(ValueOf(page, PT_MID), "<none>");
}

void NetworkPageTest::nodeTypeRule() {
    CBaseConfigDialog page;
    QSignalSpy spy(&page, &CBaseConfigDialog::nodeTypeChanged);
    QComboBox* list = page.NodeTypeList();
    // The operator choosing End Device, then Coordinator.
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex(), 2);
    QCOMPARE(spy.last().at(0).toInt(), 2);
    QVERIFY(page.NodeAddressModeList()->isEnabled());
    QVERIFY(page.NodeAddressField()->isEnabled());
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(spy.last().at(0).toInt(), 0);
    QVERIFY(!page.NodeAddressModeList()->isEnabled());
    QVERIFY(!page.NodeAddressField()->isEnabled());
    // SetNodeType applies the same rule; a clear does not.
    spy.clear();
    page.SetNodeType("1");
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().at(0).toInt(), 1);
    QVERIFY(page.NodeAddressModeList()->isEnabled());
    page.ClearParams();
    QCOMPARE(spy.count(), 1);
    QVERIFY(page.NodeAddressModeList()->isEnabled());
}

void NetworkPageTest::modeRules() {
    CBaseConfigDialog page;
    const std::pair<QComboBox*, QWidget*> modes[] = {{page.PanIdModeList(), page.PanIdField()},
                                                     {page.NodeAddressModeList(), page.NodeAddressField()},
                                                     {page.TransAddressModeList(), page.TransAddressField()}};
    for (const auto& [mode, field] : modes) {
        QTest::keyClick(mode, Qt::Key_Down); // Assign
        QVERIFY(!field->isHidden());
        QTest::keyClick(mode, Qt::Key_Up); // Random / Broadcast
        QVERIFY(field->isHidden());
    }
}

void NetworkPageTest::clearParams() {
    CBaseConfigDialog page;
    page.SetPanId("100");
    page.SetMacAddress("0011223344556677");
    page.SetDataInterval("20");
    page.ClearParams();
    QVERIFY(ValueList(page).isEmpty());
    for (QLineEdit* field : {static_cast<QLineEdit*>(page.PanIdField()), page.MacAddressField(),
                             static_cast<QLineEdit*>(page.DataIntervalField())})
        QCOMPARE(field->text(), "");
    QVERIFY(!page.PanIdField()->isHidden()); // visibility stays
}

void NetworkPageTest::overlongValueTextStaysWritable() {
    // A valid value with so many leading zeros that its write command would not fit one record is
    // shown as its number instead of being cut.
    CBaseConfigDialog page;
    const std::string padded = std::string(200, '0') + "20";
    page.SetDataInterval(padded);
    QCOMPARE(page.DataIntervalField()->text(), "20");
    const std::string fits = std::string(100, '0') + "20";
    page.SetDataInterval(fits);
    QCOMPARE(page.DataIntervalField()->text().toStdString(), fits);
    SCmdItem command;
    QVERIFY(MakeWriteCommand(PT_ITV, ValueOf(page, PT_ITV).toStdString(), command));
}

void NetworkPageTest::numberFieldsRefuseTypedNonDigits() {
    CNoticeRecorder recorder;
    CBaseConfigDialog page;
    CLimitEdit* field = page.DataIntervalField();
    field->clear();
    QTest::keyClicks(field, "2a0-");
    QCOMPARE(field->text(), "20");
    QVERIFY(field->CheckRange());
    field->setText("5");
    QVERIFY(!field->CheckRange());
    QCOMPARE(recorder.notices, QStringList{"Enter an integer in[6 - 1980]!"});
    QCOMPARE(field->text(), "6");
}

QTEST_MAIN(NetworkPageTest)
#include "network_page_test.moc"
