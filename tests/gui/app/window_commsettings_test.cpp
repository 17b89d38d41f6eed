// The communication settings: Config Mode rules, the port number of a COM name, and the COM list
// refresh (rebuilt only when the set of names changed; vanished open port).
#include "CommSettings.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest>

class CommSettingsTest : public QObject {
    Q_OBJECT
  private slots:
    void startsInDefaultMode();
    void customEnablesAndDefaultResets();
    void openPortFreezesAllLists();
    void settingsGiveThePortItsValues();
    void portNumberOfName_data();
    void portNumberOfName();
    void refreshRebuildsOnlyOnChange_data();
    void refreshRebuildsOnlyOnChange();
    void tooltipShowsTheDevice();
    void openPortVanishes_data();
    void openPortVanishes();
};

namespace {
QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}
bool LineSettingsEnabled(const CCommSettings& c) {
    return c.BaudList()->isEnabled() && c.DataBitsList()->isEnabled() && c.StopBitsList()->isEnabled() &&
           c.ParityList()->isEnabled();
}
bool LineSettingsDisabled(const CCommSettings& c) {
    return !c.BaudList()->isEnabled() && !c.DataBitsList()->isEnabled() && !c.StopBitsList()->isEnabled() &&
           !c.ParityList()->isEnabled();
}
} // namespace

void CommSettingsTest::startsInDefaultMode() {
    CCommSettings comm;
    QCOMPARE(Items(comm.ConfigModeList()), QStringList({"Default", "Custom"}));
    QCOMPARE(comm.ConfigModeIndex(), 0);
    QCOMPARE(comm.BaudList()->currentText(), QString("115200"));
    QCOMPARE(comm.DataBitsList()->currentText(), QString("8"));
    QCOMPARE(comm.StopBitsList()->currentText(), QString("1"));
    QCOMPARE(comm.ParityList()->currentText(), QString("None"));
    QVERIFY(LineSettingsDisabled(comm));
    QVERIFY(comm.PortList()->isEnabled());
    QCOMPARE(comm.OpenButton()->text(), QString("Open COM"));
    QCOMPARE(Items(comm.StopBitsList()), QStringList({"1", "1.5", "2"}));
    QCOMPARE(Items(comm.ParityList()), QStringList({"None", "Odd", "Even", "Mark", "Space"}));
    QCOMPARE(comm.BaudList()->count(), 10);
    QCOMPARE(comm.BaudList()->itemText(0), QString("300"));
}

void CommSettingsTest::customEnablesAndDefaultResets() {
    CCommSettings comm;
    comm.ConfigModeList()->setCurrentIndex(CCommSettings::MODE_CUSTOM);
    QVERIFY(LineSettingsEnabled(comm));
    comm.BaudList()->setCurrentText("9600");
    comm.DataBitsList()->setCurrentText("7");
    comm.StopBitsList()->setCurrentIndex(2);
    comm.ParityList()->setCurrentIndex(3);
    comm.ConfigModeList()->setCurrentIndex(CCommSettings::MODE_DEFAULT);
    QVERIFY(LineSettingsDisabled(comm));
    const SLineSettings s = comm.Settings();
    QCOMPARE(s.baudRate, 115200u);
    QCOMPARE(s.dataBits, 8);
    QCOMPARE(s.stopBits, 0);
    QCOMPARE(s.parity, 0);
}

void CommSettingsTest::openPortFreezesAllLists() {
    CCommSettings comm;
    comm.SetConfigMode(CCommSettings::MODE_CUSTOM);
    comm.SetPortOpen(true);
    QVERIFY(!comm.PortList()->isEnabled());
    QVERIFY(!comm.ConfigModeList()->isEnabled());
    QVERIFY(LineSettingsDisabled(comm));
    comm.SetPortOpen(false);
    QVERIFY(comm.PortList()->isEnabled() && comm.ConfigModeList()->isEnabled());
    QVERIFY(LineSettingsEnabled(comm));
    comm.SetConfigMode(CCommSettings::MODE_DEFAULT);
    comm.SetPortOpen(true);
    comm.SetPortOpen(false);
    QVERIFY(LineSettingsDisabled(comm));
}

void CommSettingsTest::settingsGiveThePortItsValues() {
    CCommSettings comm;
    comm.UpdatePorts({"COM12", "COM3"}, {"/dev/ttyUSB0", "/dev/ttyS2"});
    comm.SetConfigMode(CCommSettings::MODE_CUSTOM);
    comm.BaudList()->setCurrentIndex(0);
    comm.DataBitsList()->setCurrentIndex(0);
    comm.StopBitsList()->setCurrentIndex(1);
    comm.ParityList()->setCurrentIndex(4);
    const SLineSettings s = comm.Settings();
    QCOMPARE(s.portNumber, 12u);
    QCOMPARE(s.baudRate, 300u);
    QCOMPARE(s.dataBits, 5);
    QCOMPARE(s.stopBits, 1);
    QCOMPARE(s.parity, 4);
}

void CommSettingsTest::portNumberOfName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<unsigned>("number");
    QTest::newRow("COM3") << "COM3" << 3u;
    QTest::newRow("COM12") << "COM12" << 12u;
    QTest::newRow("COM1024") << "COM1024" << 1024u;
    QTest::newRow("empty") << "" << 0u;
    QTest::newRow("short") << "COM" << 0u;
    QTest::newRow("no digits") << "COMx" << 0u;
    QTest::newRow("negative") << "COM-4" << 0u;
    QTest::newRow("huge") << "COM99999999999999999999" << 0u;
}

void CommSettingsTest::portNumberOfName() {
    QFETCH(QString, name);
    QFETCH(unsigned, number);
    QCOMPARE(CCommSettings::PortNumberOf(name), number);
}

void CommSettingsTest::refreshRebuildsOnlyOnChange_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("rebuilt");
    QTest::addColumn<QString>("selected"); // the user selected the last entry before the refresh
    QTest::newRow("same set") << QStringList{"COM1", "COM3"} << QStringList{"COM1", "COM3"} << false
                              << "COM3";
    QTest::newRow("same set other order")
        << QStringList{"COM1", "COM3"} << QStringList{"COM3", "COM1"} << false << "COM3";
    QTest::newRow("same set other case")
        << QStringList{"COM1", "COM3"} << QStringList{"com1", "Com3"} << false << "COM3";
    QTest::newRow("adapter added") << QStringList{"COM1"} << QStringList{"COM1", "COM34"} << true << "COM1";
    QTest::newRow("adapter removed") << QStringList{"COM1", "COM34"} << QStringList{"COM1"} << true << "COM1";
    QTest::newRow("adapter swapped") << QStringList{"COM1", "COM34"} << QStringList{"COM1", "COM35"} << true
                                     << "COM1";
    QTest::newRow("all gone") << QStringList{"COM1"} << QStringList{} << true << "";
}

void CommSettingsTest::refreshRebuildsOnlyOnChange() {
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(bool, rebuilt);
    QFETCH(QString, selected);
    CCommSettings comm;
    QCOMPARE(comm.UpdatePorts(before, {}), true);
    QCOMPARE(comm.PortList()->currentIndex(), 0);
    comm.PortList()->setCurrentIndex(comm.PortList()->count() - 1);
    QCOMPARE(comm.UpdatePorts(after, {}), rebuilt);
    QCOMPARE(comm.PortList()->currentText(), selected);
    if (rebuilt) QCOMPARE(Items(comm.PortList()), after);
}

void CommSettingsTest::tooltipShowsTheDevice() {
    CCommSettings comm;
    comm.UpdatePorts({"COM1", "COM34"}, {"/tmp/ports/COM1 -> /dev/pts/4", "/dev/ttyUSB1"});
    QCOMPARE(comm.PortList()->itemData(1, Qt::ToolTipRole).toString(), QString("/dev/ttyUSB1"));
    QCOMPARE(comm.PortList()->toolTip(), QString("/tmp/ports/COM1 -> /dev/pts/4"));
    comm.PortList()->setCurrentIndex(1);
    QCOMPARE(comm.PortList()->toolTip(), QString("/dev/ttyUSB1"));
    // Same names, another device behind COM34: the tooltip follows without a rebuild.
    QCOMPARE(comm.UpdatePorts({"COM1", "COM34"}, {"/dev/pts/4", "/dev/ttyUSB2"}), false);
    QCOMPARE(comm.PortList()->toolTip(), QString("/dev/ttyUSB2"));
}

void CommSettingsTest::openPortVanishes_data() {
    QTest::addColumn<QStringList>("now");
    QTest::addColumn<QStringList>("devices");
    QTest::addColumn<bool>("vanished");
    QTest::newRow("still there") << QStringList{"COM2", "COM7"} << QStringList{"/dev/ttyS1", "/dev/pts/3"}
                                 << false;
    QTest::newRow("other case") << QStringList{"com7"} << QStringList{"/dev/pts/3"} << false;
    QTest::newRow("gone") << QStringList{"COM2"} << QStringList{"/dev/ttyS1"} << true;
    QTest::newRow("no ports") << QStringList{} << QStringList{} << true;
    // The alias COM7 went away and a fixed device took its number, or the alias points elsewhere.
    QTest::newRow("same name, other device")
        << QStringList{"COM2", "COM7"} << QStringList{"/dev/ttyS1", "/dev/ttyS6"} << true;
}

void CommSettingsTest::openPortVanishes() {
    QFETCH(QStringList, now);
    QFETCH(QStringList, devices);
    QFETCH(bool, vanished);
    CCommSettings comm;
    comm.UpdatePorts({"COM2", "COM7"}, {});
    comm.PortList()->setCurrentIndex(1);
    comm.SetPortOpen(true);
    QCOMPARE(comm.OpenPortVanished(now, devices, "/dev/pts/3"), vanished);
    CCommSettings empty;
    QVERIFY(!empty.OpenPortVanished(now, devices, "/dev/pts/3"));
}

QTEST_MAIN(CommSettingsTest)
#include "window_commsettings_test.moc"
