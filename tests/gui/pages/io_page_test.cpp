// The IO page: work modes by value, interval rule, value list and the numbered pin captions.
#include "IOConfigDialog.h"
#include "LimitEdit.h"
#include "PagesFixture.h"
#include "ParamCatalogue.h"
#include "StandInMainDlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QtTest>

class IOPageTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { window = std::make_unique<CStandInMainDlg>(); }
    void cleanup() { window.reset(); }

    void creationState();
    void workModes_data();
    void workModes();
    void modeThePinDoesNotHave();
    void intervalValues_data();
    void intervalValues();
    void invalidValues_data();
    void invalidValues();
    void listOrderAndEmptyInterval();
    void operatorChangesMode();
    void clearParams();
    void pinCaptions_data();
    void pinCaptions();
    void restoreWithoutNumberingChangesNothing();

  private:
    std::unique_ptr<CStandInMainDlg> window;
};

void IOPageTest::creationState() {
    CIOConfigDialog page;
    for (int io = 0; io < CIOConfigDialog::kPinCount; ++io) {
        QCOMPARE(page.WorkModeList(io)->currentText(), "Disabled");
        QVERIFY(page.IntervalField(io)->isHidden());
        QCOMPARE(page.IntervalField(io)->text(), "0");
        QCOMPARE(page.PinGroup(io)->title(), QString("Pin D%1").arg(io));
    }
    QCOMPARE(page.WorkModeList(4)->itemText(4), "Pulse Countin");
    QCOMPARE(page.WorkModeList(0)->itemText(1), "ADC");
    // Pin D4 is the top group.
    QVERIFY(page.layout()->indexOf(page.PinGroup(4)) < page.layout()->indexOf(page.PinGroup(0)));
    QCOMPARE(ValueList(page), (QStringList{"28=0", "29=0", "30=0", "31=0", "32=0"}));
}

void IOPageTest::workModes_data() {
    QTest::addColumn<int>("io");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("interval");
    const char* const texts[] = {"Disabled", "ADC", "DI", "D0(Low Level)", "D0(High Level)", "Pulse Countin"};
    for (int io = 0; io < 5; ++io) {
        for (int mode = 0; mode <= 5; ++mode) {
            const bool upper = io >= 3;
            if ((upper && mode == 1) || (!upper && mode == 5)) continue;
            QTest::addRow("io%d mode %d", io, mode)
                << io << mode << texts[mode] << (mode == 1 || mode == 2 || mode == 5);
        }
    }
}

void IOPageTest::workModes() {
    QFETCH(int, io);
    QFETCH(int, mode);
    QFETCH(QString, item);
    QFETCH(bool, interval);
    CIOConfigDialog page;
    page.SetParam(PT_DM0 + io, std::to_string(mode));
    QVERIFY(window->log.isEmpty());
    QCOMPARE(page.WorkModeList(io)->currentText(), item);
    QCOMPARE(!page.IntervalField(io)->isHidden(), interval);
    QCOMPARE(!page.IntervalLabel(io)->isHidden(), interval);
    QCOMPARE(ValueOf(page, PT_DM0 + io), QString::number(mode));
    QCOMPARE(ValueOf(page, PT_DT0 + io), interval ? "0" : "<none>");
}

void IOPageTest::modeThePinDoesNotHave() {
    CIOConfigDialog page;
    page.SetWorkMode(4, "2"); // DI shows the interval
    page.SetWorkMode(4, "1"); // ADC: D4 has none
    QCOMPARE(page.WorkModeList(4)->currentIndex(), -1);
    QVERIFY(!page.IntervalField(4)->isHidden()); // keeps its state
    QCOMPARE(ValueOf(page, PT_DM0 + 4), "<none>");
    page.SetWorkMode(0, "5"); // pulse counting: D0 has none
    QCOMPARE(page.WorkModeList(0)->currentIndex(), -1);
    QCOMPARE(ValueOf(page, PT_DM0), "<none>");
    QVERIFY(window->log.isEmpty());
}

void IOPageTest::intervalValues_data() {
    QTest::addColumn<int>("io");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("leading zeros") << 1 << "0010"
                                   << "10";
    QTest::newRow("zero") << 0 << "0"
                          << "0";
    QTest::newRow("largest") << 4 << "65535"
                             << "65535";
    QTest::newRow("empty") << 2 << ""
                           << "0";
}

void IOPageTest::intervalValues() {
    QFETCH(int, io);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    CIOConfigDialog page;
    page.SetWorkMode(io, "2"); // DI
    page.SetParam(PT_DT0 + io, value.toStdString());
    QCOMPARE(page.IntervalField(io)->text(), shown);
    QCOMPARE(ValueOf(page, PT_DT0 + io), shown);
    QVERIFY(window->log.isEmpty());
}

void IOPageTest::invalidValues_data() {
    QTest::addColumn<int>("io");
    QTest::addColumn<bool>("workMode");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("line"); // empty: ignored without a line
    QTest::newRow("mode 6") << 2 << true << "6"
                            << "Invalid IO2 Work Mode!";
    QTest::newRow("mode text") << 3 << true << "DI"
                               << "Invalid IO3 Work Mode!";
    QTest::newRow("interval 65536") << 0 << false << "65536"
                                    << "Invalid IO0 Time!";
    QTest::newRow("interval sign") << 4 << false << "-1"
                                   << "Invalid IO4 Time!";
    QTest::newRow("mode io 5") << 5 << true << "1"
                               << "";
    QTest::newRow("mode io -1") << -1 << true << "1"
                                << "";
    QTest::newRow("interval io 5") << 5 << false << "99999"
                                   << "";
}

void IOPageTest::invalidValues() {
    QFETCH(int, io);
    QFETCH(bool, workMode);
    QFETCH(QString, value);
    QFETCH(QString, line);
    CIOConfigDialog page;
    for (int pin = 0; pin < 5; ++pin) {
        page.SetWorkMode(pin, "2");
        page.SetInterval(pin, "7");
    }
    const QStringList before = ValueList(page);
    if (workMode)
        page.SetWorkMode(io, value.toStdString());
    else
        page.SetInterval(io, value.toStdString());
    QCOMPARE(window->log, line.isEmpty() ? QStringList() : QStringList{line});
    QCOMPARE(ValueList(page), before);
}

void IOPageTest::listOrderAndEmptyInterval() {
    CIOConfigDialog page;
    page.SetWorkMode(0, "1");
    page.SetWorkMode(1, "2");
    page.SetWorkMode(3, "5");
    page.SetWorkMode(4, "3");
    page.SetInterval(0, "30");
    page.IntervalField(1)->clear();
    page.SetInterval(2, "99"); // D2 stays disabled: no interval item
    QCOMPARE(ValueList(page), (QStringList{"28=1", "33=30", "29=2", "34=", "30=0", "31=5", "36=0", "32=3"}));
}

void IOPageTest::operatorChangesMode() {
    CIOConfigDialog page;
    QComboBox* d1 = page.WorkModeList(1);
    QTest::keyClick(d1, Qt::Key_Down); // ADC
    QVERIFY(!page.IntervalField(1)->isHidden());
    QTest::keyClick(d1, Qt::Key_Down); // DI
    QVERIFY(!page.IntervalField(1)->isHidden());
    QTest::keyClick(d1, Qt::Key_Down); // D0(Low Level)
    QVERIFY(page.IntervalField(1)->isHidden());
    QCOMPARE(ValueOf(page, PT_DM0 + 1), "3");
}

void IOPageTest::clearParams() {
    CIOConfigDialog page;
    page.SetWorkMode(2, "1");
    page.SetInterval(2, "40");
    page.ClearParams();
    QCOMPARE(page.WorkModeList(2)->currentIndex(), -1);
    QCOMPARE(page.IntervalField(2)->text(), "");
    QVERIFY(!page.IntervalField(2)->isHidden()); // nothing is shown or hidden
    QCOMPARE(ValueList(page), QStringList{"35="});
}

void IOPageTest::pinCaptions_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("numbered"); // top (IO index 4) to bottom (IO index 0)
    QTest::newRow("english") << 1 << QStringList{"Pin D1", "Pin D2", "Pin D3", "Pin D4", "Pin D5"};
    QTest::newRow("chinese") << 0
                             << QStringList{QString::fromUtf8("IO1配置"), QString::fromUtf8("IO2配置"),
                                            QString::fromUtf8("IO3配置"), QString::fromUtf8("IO4配置"),
                                            QString::fromUtf8("IO5配置")};
    QTest::newRow("unknown language") << 7 << QStringList{"", "", "", "", ""};
}

void IOPageTest::pinCaptions() {
    QFETCH(int, language);
    QFETCH(QStringList, numbered);
    CIOConfigDialog page;
    page.SetPinCaptions(true, language);
    page.SetPinCaptions(true, language); // a second read keeps the template captions stored
    for (int k = 0; k < 5; ++k)
        QCOMPARE(page.PinGroup(4 - k)->title(), numbered[k]);
    page.SetPinCaptions(false, language);
    for (int io = 0; io < 5; ++io)
        QCOMPARE(page.PinGroup(io)->title(), QString("Pin D%1").arg(io));
    // The setters and the value list keep the IO indexes.
    page.SetWorkMode(0, "9");
    QCOMPARE(window->log, QStringList{"Invalid IO0 Work Mode!"});
}

void IOPageTest::restoreWithoutNumberingChangesNothing() {
    CIOConfigDialog page;
    page.PinGroup(2)->setTitle("custom");
    page.SetPinCaptions(false, 1);
    QCOMPARE(page.PinGroup(2)->title(), "custom");
}

QTEST_MAIN(IOPageTest)
#include "io_page_test.moc"
