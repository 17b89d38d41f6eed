// The advanced page: setters, value list, sleep rule and the sleep settings switch.
#include "AdvConfigDialog.h"
#include "LimitEdit.h"
#include "PagesFixture.h"
#include "ParamCatalogue.h"
#include "StandInMainDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QtTest>

class AdvancedPageTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { window = std::make_unique<CStandInMainDlg>(); }
    void cleanup() { window.reset(); }

    void creationState();
    void valueRoundTrip_data();
    void valueRoundTrip();
    void invalidValues_data();
    void invalidValues();
    void sleepRule_data();
    void sleepRule();
    void fullListOnAnotherTab();
    void sleepSettingsSwitch();
    void operatorSleepTimesAreNotBounded();
    void descriptorBounds();
    void clearParams();

  private:
    std::unique_ptr<CStandInMainDlg> window;
};

void AdvancedPageTest::creationState() {
    CAdvConfigDialog page;
    QCOMPARE(page.ApplyModeList()->currentText(), "Transparent");
    QCOMPARE(page.SleepModeList()->currentText(), "No Sleep");
    QVERIFY(page.SleepTimeField()->isHidden());
    QVERIFY(page.WakeupTimeLabel()->isHidden());
    QCOMPARE(ValueList(page), (QStringList{"21=0", "22=0"}));
}

void AdvancedPageTest::valueRoundTrip_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::newRow("apply mode") << int(PT_MOD) << "2";
    QTest::newRow("sleep mode") << int(PT_SLE) << "1";
    QTest::newRow("sleep time 0") << int(PT_STC) << "0";
    QTest::newRow("sleep time 500") << int(PT_STC) << "500";
    QTest::newRow("wake up 5") << int(PT_WTC) << "5";
    QTest::newRow("wake up 65") << int(PT_WTC) << "65";
    QTest::newRow("endpoint leading zeros") << int(PT_ENP) << "007";
    QTest::newRow("endpoint 255") << int(PT_ENP) << "255";
    QTest::newRow("profile") << int(PT_PRD) << "65535";
    QTest::newRow("cluster") << int(PT_CDA) << "6";
}

void AdvancedPageTest::valueRoundTrip() {
    QFETCH(int, code);
    QFETCH(QString, value);
    CAdvConfigDialog page;
    page.SetSleepMode("1"); // Timer Sleep shows the sleep times
    page.SetParam(code, value.toStdString());
    QVERIFY2(window->log.isEmpty(), qPrintable(window->log.join('|')));
    QCOMPARE(ValueOf(page, code), value);
}

void AdvancedPageTest::invalidValues_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("line");
    QTest::newRow("apply mode") << int(PT_MOD) << "3"
                                << "Invalid Apply Mode!";
    QTest::newRow("sleep mode") << int(PT_SLE) << "x"
                                << "Invalid Sleep Mode!";
    QTest::newRow("sleep time") << int(PT_STC) << "501"
                                << "Invalid Sleep Time!";
    QTest::newRow("wake up 4") << int(PT_WTC) << "4"
                               << "Invalid Wake up Time!";
    QTest::newRow("wake up 66") << int(PT_WTC) << "66"
                                << "Invalid Wake up Time!";
    QTest::newRow("endpoint") << int(PT_ENP) << "256"
                              << "Invalid Endpoint!";
    QTest::newRow("profile") << int(PT_PRD) << "65536"
                             << "Invalid Profile ID!";
    QTest::newRow("cluster") << int(PT_CDA) << "1 2"
                             << "Invalid Cluster ID!";
}

void AdvancedPageTest::invalidValues() {
    QFETCH(int, code);
    QFETCH(QString, value);
    QFETCH(QString, line);
    CAdvConfigDialog page;
    for (int c = PT_MOD; c <= PT_CDA; ++c)
        page.SetParam(c, c == PT_MOD || c == PT_SLE ? "1" : "10");
    window->log.clear();
    const QStringList before = ValueList(page);
    page.SetParam(code, value.toStdString());
    QCOMPARE(window->log, QStringList{line});
    QCOMPARE(ValueList(page), before);
    QVERIFY(!page.SleepTimeField()->isHidden());
}

void AdvancedPageTest::sleepRule_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("shown");
    QTest::newRow("no sleep") << "0" << false;
    QTest::newRow("timer sleep") << "1" << true;
    QTest::newRow("deep sleep") << "2" << false;
}

void AdvancedPageTest::sleepRule() {
    QFETCH(QString, mode);
    QFETCH(bool, shown);
    CAdvConfigDialog page;
    page.SetSleepMode("1");
    page.SetSleepTime("100");
    page.SetWakeupTime("10");
    page.SetSleepMode(mode.toStdString());
    for (QWidget* w : std::initializer_list<QWidget*>{page.SleepTimeField(), page.WakeupTimeField(),
                                                      page.SleepTimeLabel(), page.WakeupTimeLabel()})
        QCOMPARE(!w->isHidden(), shown);
    QCOMPARE(ValueOf(page, PT_STC), shown ? "100" : "<none>");
    QCOMPARE(ValueOf(page, PT_WTC), shown ? "10" : "<none>");
    // The operator's choice applies the same rule.
    QTest::keyClick(page.SleepModeList(), Qt::Key_Home);
    QTest::keyClick(page.SleepModeList(), Qt::Key_Down);
    QVERIFY(!page.SleepTimeField()->isHidden());
}

void AdvancedPageTest::fullListOnAnotherTab() {
    // The page need not be the current tab: the fields' own state decides.
    QTabWidget tabs;
    auto* first = new QWidget;
    auto* page = new CAdvConfigDialog;
    tabs.addTab(first, "first");
    tabs.addTab(page, "advanced");
    tabs.show();
    tabs.setCurrentIndex(1);
    page->SetSleepMode("1");
    const std::pair<int, const char*> values[] = {{PT_MOD, "1"}, {PT_STC, "20"},  {PT_WTC, "30"},
                                                  {PT_ENP, "1"}, {PT_PRD, "260"}, {PT_CDA, "6"}};
    for (const auto& [code, value] : values)
        page->SetParam(code, value);
    tabs.setCurrentIndex(0);
    QVERIFY(!page->isVisible());
    QCOMPARE(ValueList(*page), (QStringList{"21=1", "22=1", "23=20", "24=30", "25=1", "26=260", "27=6"}));
}

void AdvancedPageTest::sleepSettingsSwitch() {
    CAdvConfigDialog page;
    page.SetSleepMode("1");
    page.SetSleepTime("100");
    page.SetWakeupTime("10");
    page.EnableSleepSettings(false);
    QVERIFY(!page.SleepModeList()->isEnabled());
    QVERIFY(!page.SleepTimeField()->isHidden()); // shown state and labels are not touched
    QVERIFY(page.SleepTimeLabel()->isEnabled());
    QCOMPARE(ValueCodes(page), (QList<int>{PT_MOD, PT_SLE}));
    page.EnableSleepSettings(true);
    QCOMPARE(ValueCodes(page), (QList<int>{PT_MOD, PT_SLE, PT_STC, PT_WTC}));
}

void AdvancedPageTest::operatorSleepTimesAreNotBounded() {
    CNoticeRecorder recorder;
    CAdvConfigDialog page;
    page.SetSleepMode("1");
    page.SleepTimeField()->clear();
    QTest::keyClicks(page.SleepTimeField(), "9x99");
    QVERIFY(page.SleepTimeField()->CheckRange());
    QCOMPARE(ValueOf(page, PT_STC), "999");
    QVERIFY(recorder.notices.isEmpty());
}

void AdvancedPageTest::descriptorBounds() {
    CNoticeRecorder recorder;
    CAdvConfigDialog page;
    const std::pair<CLimitEdit*, const char*> fields[] = {
        {page.EndpointField(), "Enter an integer in[0 - 255]!"},
        {page.ProfileField(), "Enter an integer in[0 - 65535]!"},
        {page.ClusterField(), "Enter an integer in[0 - 65535]!"}};
    for (const auto& [field, message] : fields) {
        recorder.notices.clear();
        field->setText("70000");
        QVERIFY(!field->CheckRange());
        QCOMPARE(recorder.notices, QStringList{message});
        QCOMPARE(field->text(), "0");
    }
}

void AdvancedPageTest::clearParams() {
    CAdvConfigDialog page;
    page.SetSleepMode("1");
    for (int c = PT_STC; c <= PT_CDA; ++c)
        page.SetParam(c, "10");
    page.ClearParams();
    QCOMPARE(ValueList(page), (QStringList{"23=10", "24=10"}));
    QVERIFY(!page.SleepTimeField()->isHidden());
    QCOMPARE(page.EndpointField()->text(), "");
}

QTEST_MAIN(AdvancedPageTest)
#include "advanced_page_test.moc"
