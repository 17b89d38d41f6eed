// The range-checked field and the value parser of the parameter pages.
#include "LimitEdit.h"
#include "PagesFixture.h"
#include "ParseDecimal.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QtTest>

#include <climits>

namespace {
void LoseFocus(QWidget* w, Qt::FocusReason reason = Qt::TabFocusReason) {
    QFocusEvent event(QEvent::FocusOut, reason);
    QApplication::sendEvent(w, &event);
}

void SetHexRanges(CLimitEdit& field) {
    field.SetCharRange('0', '9');
    field.AddCharRange('A', 'F');
    field.AddCharRange('a', 'f');
}

// Types each character as a key press carrying it (also characters beyond Latin-1).
void Type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

void Paste(CLimitEdit& field, const QString& clip) {
    QApplication::clipboard()->setText(clip);
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
}
} // namespace

class LimitEditTest : public QObject {
    Q_OBJECT
  private slots:
    void parseDecimal_data();
    void parseDecimal();
    void rangeOnFocusLoss_data();
    void rangeOnFocusLoss();
    void focusMovingToAnotherControl();
    void noRangeWithoutBounds();
    void windowDeactivationIsNoFocusLoss();
    void hintText();
    void reversedRangesChangeNothing();
    void typedCharacters_data();
    void typedCharacters();
    void clearedRangesAcceptEverything();
    void pasteCheck_data();
    void pasteCheck();
    void pasteWithoutShortcutIsCheckedToo();
    void digitsOnly();
    void typedLimitKeepsProgramText();
    void upperCase();
    void shortcuts();
};

void LimitEditTest::parseDecimal_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("leading zeros") << "0020" << 20;
    QTest::newRow("65535") << "65535" << 65535;
    QTest::newRow("largest") << "2147483647" << INT_MAX;
    QTest::newRow("one beyond") << "2147483648" << INT_MAX;
    QTest::newRow("twenty nines") << "99999999999999999999" << INT_MAX;
    QTest::newRow("trailing blank") << "5 " << -1;
    QTest::newRow("leading blank") << " 5" << -1;
    QTest::newRow("sign") << "-1" << -1;
    QTest::newRow("plus") << "+1" << -1;
    QTest::newRow("decimal point") << "1.5" << -1;
    QTest::newRow("line end") << "5\r\n" << -1;
    QTest::newRow("word") << "on" << -1;
}

void LimitEditTest::parseDecimal() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(ParseDecimal(text.toStdString()), value);
}

void LimitEditTest::rangeOnFocusLoss_data() {
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");
    const QString none = "";
    QTest::newRow("empty") << 6 << 1980 << ""
                           << "6"
                           << "Enter an integer in[6 - 1980]!";
    QTest::newRow("lower bound") << 6 << 1980 << "6"
                                 << "6" << none;
    QTest::newRow("upper bound") << 6 << 1980 << "1980"
                                 << "1980" << none;
    QTest::newRow("below") << 6 << 1980 << "5"
                           << "6"
                           << "Enter an integer in[6 - 1980]!";
    QTest::newRow("above") << 6 << 1980 << "1981"
                           << "6"
                           << "Enter an integer in[6 - 1980]!";
    QTest::newRow("leading zeros stay") << 0 << 255 << "007"
                                        << "007" << none;
    QTest::newRow("65535") << 0 << 65535 << "65535"
                           << "65535" << none;
    QTest::newRow("65536") << 0 << 65535 << "65536"
                           << "0"
                           << "Enter an integer in[0 - 65535]!";
    QTest::newRow("twenty nines") << 0 << 65535 << "99999999999999999999"
                                  << "0"
                                  << "Enter an integer in[0 - 65535]!";
    QTest::newRow("sign") << 0 << 65535 << "-1"
                          << "0"
                          << "Enter an integer in[0 - 65535]!";
    QTest::newRow("decimal point") << 0 << 65535 << "1.5"
                                   << "0"
                                   << "Enter an integer in[0 - 65535]!";
    QTest::newRow("blank") << 0 << 65535 << " 7"
                           << "0"
                           << "Enter an integer in[0 - 65535]!";
}

void LimitEditTest::rangeOnFocusLoss() {
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    QFETCH(QString, message);
    CNoticeRecorder recorder;
    CLimitEdit field;
    field.SetMinValue(min);
    field.SetMaxValue(max);
    field.setText(typed); // text set by the program is not checked ...
    QVERIFY(recorder.notices.isEmpty());
    LoseFocus(&field); // ... until the field loses the focus
    QCOMPARE(field.text(), after);
    QCOMPARE(recorder.notices, message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) QCOMPARE(field.selectedText(), after);
}

void LimitEditTest::focusMovingToAnotherControl() {
    CNoticeRecorder recorder;
    QWidget window;
    auto* interval = new CLimitEdit(&window);
    auto* other = new CLimitEdit(&window);
    other->move(0, 40);
    interval->SetMinValue(6);
    interval->SetMaxValue(1980);
    other->SetMinValue(0);
    other->SetMaxValue(10); // empty: refused only if it ever lost the focus
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    interval->setFocus();
    QTest::keyClicks(interval, "5");
    other->setFocus(Qt::MouseFocusReason);
    QCOMPARE(recorder.notices, QStringList{"Enter an integer in[6 - 1980]!"});
    QCOMPARE(interval->text(), "6");
    QVERIFY(other->hasFocus()); // the refused field does not take the focus back
    QCOMPARE(other->text(), "");
}

void LimitEditTest::noRangeWithoutBounds() {
    CNoticeRecorder recorder;
    CLimitEdit field;
    SetHexRanges(field);
    field.setText("");
    LoseFocus(&field);
    field.setText("99999999999999999999");
    LoseFocus(&field);
    QVERIFY(recorder.notices.isEmpty());
    QCOMPARE(field.text(), "99999999999999999999");
}

void LimitEditTest::windowDeactivationIsNoFocusLoss() {
    // Another window taking over (the message of another field among them) does not move the
    // focus away: no message, and no cascade of messages.
    CNoticeRecorder recorder;
    CLimitEdit field;
    field.SetMinValue(6);
    field.SetMaxValue(1980);
    LoseFocus(&field, Qt::ActiveWindowFocusReason);
    LoseFocus(&field, Qt::PopupFocusReason);
    QVERIFY(recorder.notices.isEmpty());
    QCOMPARE(field.text(), "");
}

void LimitEditTest::hintText() {
    CLimitEdit field;
    SetHexRanges(field);
    QCOMPARE(field.Hint(), "Enter a char in  ['0' - '9'], ['A' - 'F'], ['a' - 'f']");
}

void LimitEditTest::reversedRangesChangeNothing() {
    CLimitEdit field;
    QVERIFY(field.SetCharRange('0', '9'));
    QVERIFY(!field.SetCharRange('9', '0'));
    QVERIFY(!field.AddCharRange('f', 'a'));
    QCOMPARE(field.Hint(), "Enter a char in  ['0' - '9']");
    CNoticeRecorder recorder;
    QTest::keyClicks(&field, "5a");
    QCOMPARE(field.text(), "5"); // still only digits, the reversed range was not added
    QCOMPARE(recorder.notices.size(), 1);
}

void LimitEditTest::typedCharacters_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("hints");
    QTest::newRow("hex digits") << "09afAF"
                                << "09afAF" << 0;
    QTest::newRow("g refused") << "1g2"
                               << "12" << 1;
    QTest::newRow("blank refused") << "1 2"
                                   << "12" << 1;
    QTest::newRow("high byte refused") << QString::fromUtf8("1\u00e92") << "12" << 1;
    QTest::newRow("wide character refused") << QString::fromUtf8("1\u4e2d") << "1" << 1;
}

void LimitEditTest::typedCharacters() {
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, hints);
    CNoticeRecorder recorder;
    CLimitEdit field;
    SetHexRanges(field);
    Type(&field, keys);
    QCOMPARE(field.text(), text);
    QCOMPARE(recorder.notices.size(), hints);
    if (hints) QCOMPARE(recorder.notices.first(), field.Hint());
    QTest::keyClick(&field, Qt::Key_Backspace); // backspace always works
    QCOMPARE(field.text(), text.chopped(1));
}

void LimitEditTest::clearedRangesAcceptEverything() {
    CNoticeRecorder recorder;
    CLimitEdit field;
    SetHexRanges(field);
    const QString hint = field.Hint();
    field.ClearCharRanges();
    QTest::keyClicks(&field, "g -");
    QCOMPARE(field.text(), "g -");
    QVERIFY(recorder.notices.isEmpty());
    QCOMPARE(field.Hint(), hint);
}

void LimitEditTest::pasteCheck_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("hints");
    QTest::newRow("hex digits stay") << "12"
                                     << "abCD"
                                     << "12abCD" << 0;
    QTest::newRow("refused first") << "12"
                                   << "x1"
                                   << "" << 1;
    QTest::newRow("refused last") << "12"
                                  << "ABCDEFg"
                                  << "" << 1;
    QTest::newRow("blank inside") << ""
                                  << "12 34"
                                  << "" << 1;
}

void LimitEditTest::pasteCheck() {
    QFETCH(QString, before);
    QFETCH(QString, clip);
    QFETCH(QString, after);
    QFETCH(int, hints);
    CNoticeRecorder recorder;
    CLimitEdit field;
    SetHexRanges(field);
    field.setText(before);
    Paste(field, clip);
    QCOMPARE(field.text(), after);
    QCOMPARE(recorder.notices.size(), hints);
}

void LimitEditTest::pasteWithoutShortcutIsCheckedToo() {
    // The context menu, Shift+Insert and the middle button paste as well: the same check applies.
    CNoticeRecorder recorder;
    CLimitEdit field;
    SetHexRanges(field);
    field.setText("AB");
    QApplication::clipboard()->setText("12z");
    field.paste();
    QCOMPARE(field.text(), "");
    QCOMPARE(recorder.notices.size(), 1);
    field.setText("AB");
    QTest::keyClick(&field, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(field.text(), "");
    QCOMPARE(recorder.notices.size(), 2);
}

void LimitEditTest::digitsOnly() {
    CNoticeRecorder recorder;
    CLimitEdit field;
    field.SetDigitsOnly(true);
    QTest::keyClicks(&field, "1a2-3 .4");
    QCOMPARE(field.text(), "1234");
    Paste(field, "5x"); // a pasted non-digit refuses the whole paste, without a message
    QCOMPARE(field.text(), "1234");
    Paste(field, "56");
    QCOMPARE(field.text(), "123456");
    QVERIFY(recorder.notices.isEmpty());
}

void LimitEditTest::typedLimitKeepsProgramText() {
    CLimitEdit field;
    field.SetTypedLimit(4);
    QTest::keyClicks(&field, "123456");
    QCOMPARE(field.text(), "1234");
    Paste(field, "5");
    QCOMPARE(field.text(), "1234");
    // A longer text from a module stays whole; it can be shortened but not lengthened by typing.
    field.setText("ABCDEFGH");
    QCOMPARE(field.text(), "ABCDEFGH");
    QTest::keyClick(&field, Qt::Key_End);
    QTest::keyClicks(&field, "9");
    QCOMPARE(field.text(), "ABCDEFGH");
    QTest::keyClick(&field, Qt::Key_Backspace);
    QCOMPARE(field.text(), "ABCDEFG");
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&field, "7");
    QCOMPARE(field.text(), "7"); // typing over a selection replaces it
}

void LimitEditTest::upperCase() {
    CLimitEdit field;
    SetHexRanges(field);
    field.SetUpperCase(true);
    QTest::keyClicks(&field, "a1f");
    QCOMPARE(field.text(), "A1F");
    Paste(field, "bc");
    QCOMPARE(field.text(), "A1FBC");
    field.setText("abc"); // a module's text is shown as it came
    QCOMPARE(field.text(), "abc");
}

void LimitEditTest::shortcuts() {
    CLimitEdit field;
    SetHexRanges(field);
    field.setText("12AB");
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(field.selectedText(), "12AB");
    QTest::keyClick(&field, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), "12AB");
    QTest::keyClick(&field, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(field.text(), "");
    QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(field.text(), "12AB");
    QTest::keyClick(&field, Qt::Key_End);
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field.text(), "12AB12AB");
}

QTEST_MAIN(LimitEditTest)
#include "limit_edit_test.moc"
