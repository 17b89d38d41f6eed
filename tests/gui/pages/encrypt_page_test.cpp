// The encryption page: setters, value list, key fields, key colour and the hidden link key.
#include "EncryptConfigDialog.h"
#include "LimitEdit.h"
#include "PagesFixture.h"
#include "ParamCatalogue.h"
#include "StandInMainDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QtTest>

namespace {
const QString kKey = "00112233445566778899AABBCCDDEEFF";

QColor TextColour(const QWidget* w) {
    return w->palette().color(QPalette::Active, QPalette::Text);
}
QColor NormalColour(const QWidget* w) {
    return QApplication::palette(w).color(QPalette::Active, QPalette::Text);
}
} // namespace

class EncryptPageTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { window = std::make_unique<CStandInMainDlg>(); }
    void cleanup() { window.reset(); }

    void creationState();
    void valueRoundTrip_data();
    void valueRoundTrip();
    void invalidEncryption_data();
    void invalidEncryption();
    void keyColour_data();
    void keyColour();
    void keyColourFollowsTyping();
    void typingIntoKeyFields();
    void hideLinkKey();
    void emptyKeysAndClear();

  private:
    std::unique_ptr<CStandInMainDlg> window;
};

void EncryptPageTest::creationState() {
    CEncryptConfigDialog page;
    QCOMPARE(page.EncryptionList()->currentText(), "Disabled");
    QCOMPARE(page.NetworkKeyField()->text(), "");
    QCOMPARE(page.LinkKeyField()->text(), "");
    QVERIFY(page.LinkKeyField()->isEnabled());
    QCOMPARE(page.NetworkKeyField()->Hint(), "Enter a char in  ['0' - '9'], ['A' - 'F'], ['a' - 'f']");
    QCOMPARE(ValueList(page), QStringList{"38=0"});
}

void EncryptPageTest::valueRoundTrip_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::newRow("encryption off") << int(PT_SEC) << "0";
    QTest::newRow("encryption on") << int(PT_SEC) << "1";
    QTest::newRow("network key") << int(PT_KEY) << kKey;
    QTest::newRow("network key lower case") << int(PT_KEY) << kKey.toLower();
    QTest::newRow("short network key") << int(PT_KEY) << "ABC";
    QTest::newRow("link key") << int(PT_TLK) << kKey;
    // Whatever the module or a file gives is kept whole, also beyond the 32 typed characters.
    QTest::newRow("long link key") << int(PT_TLK) << kKey + "0123";
}

void EncryptPageTest::valueRoundTrip() {
    QFETCH(int, code);
    QFETCH(QString, value);
    CEncryptConfigDialog page;
    page.SetParam(code, value.toStdString());
    QVERIFY(window->log.isEmpty());
    QCOMPARE(ValueOf(page, code), value);
}

void EncryptPageTest::invalidEncryption_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("2") << "2";
    QTest::newRow("on") << "on";
    QTest::newRow("blank") << " 1";
}

void EncryptPageTest::invalidEncryption() {
    QFETCH(QString, value);
    CEncryptConfigDialog page;
    page.SetDataEncryption("1");
    page.SetDataEncryption(value.toStdString());
    QCOMPARE(window->log, QStringList{"Invalid Data Encryption!"});
    QCOMPARE(page.EncryptionList()->currentText(), "Enable");
}

void EncryptPageTest::keyColour_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("red");
    QTest::newRow("empty") << 0 << true;
    QTest::newRow("31") << 31 << true;
    QTest::newRow("32") << 32 << false;
    QTest::newRow("33 from a module") << 33 << false;
}

void EncryptPageTest::keyColour() {
    QFETCH(int, length);
    QFETCH(bool, red);
    CEncryptConfigDialog page;
    const QString key = QString(length, QChar('A'));
    page.SetNetworkKey(key.toStdString());
    page.SetLinkKey(key.toStdString());
    for (CLimitEdit* field : {page.NetworkKeyField(), page.LinkKeyField()})
        QCOMPARE(TextColour(field), red ? QColor(255, 0, 0) : NormalColour(field));
}

void EncryptPageTest::keyColourFollowsTyping() {
    CEncryptConfigDialog page;
    CLimitEdit* field = page.NetworkKeyField();
    QTest::keyClicks(field, kKey.left(31));
    QCOMPARE(TextColour(field), QColor(255, 0, 0));
    QTest::keyClicks(field, "f");
    QCOMPARE(TextColour(field), NormalColour(field));
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(TextColour(field), QColor(255, 0, 0));
}

void EncryptPageTest::typingIntoKeyFields() {
    CNoticeRecorder recorder;
    CEncryptConfigDialog page;
    CLimitEdit* field = page.LinkKeyField();
    QTest::keyClicks(field, "a");
    QCOMPARE(field->text(), "A");
    QTest::keyClicks(field, "g");
    QCOMPARE(field->text(), "A");
    QCOMPARE(recorder.notices, QStringList{field->Hint()});
    field->clear();
    QTest::keyClicks(field, kKey + "1"); // a 33rd character cannot be typed
    QCOMPARE(field->text(), kKey);
    field->setText("1234");
    field->CheckRange();
    QCOMPARE(recorder.notices.size(), 1); // no integer range on a key field
}

void EncryptPageTest::hideLinkKey() {
    CEncryptConfigDialog page;
    page.SetNetworkKey(kKey.toStdString());
    page.SetLinkKey(kKey.toStdString());
    page.HideLinkKey(true);
    QVERIFY(page.LinkKeyField()->isHidden());
    QVERIFY(!page.LinkKeyField()->isEnabled());
    QVERIFY(page.LinkKeyLabel()->isHidden());
    QCOMPARE(page.LinkKeyField()->text(), kKey);
    QCOMPARE(ValueCodes(page), (QList<int>{PT_SEC, PT_KEY}));
    page.ClearParams(); // a clear leaves the link key hidden
    QVERIFY(page.LinkKeyField()->isHidden());
    page.SetLinkKey(kKey.toStdString());
    page.HideLinkKey(false);
    QVERIFY(!page.LinkKeyField()->isHidden());
    QVERIFY(page.LinkKeyField()->isEnabled());
    QVERIFY(!page.LinkKeyLabel()->isHidden());
    QCOMPARE(ValueCodes(page), (QList<int>{PT_TLK}));
}

void EncryptPageTest::emptyKeysAndClear() {
    CEncryptConfigDialog page;
    page.SetDataEncryption("1");
    page.SetNetworkKey("\r\n");
    QCOMPARE(ValueList(page), QStringList{"38=1"});
    page.SetNetworkKey(kKey.toStdString() + "\r\n");
    QCOMPARE(ValueOf(page, PT_KEY), kKey);
    page.ClearParams();
    QVERIFY(ValueList(page).isEmpty());
}

QTEST_MAIN(EncryptPageTest)
#include "encrypt_page_test.moc"
