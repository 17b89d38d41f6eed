#include "LimitEdit.h"

#include "MainDlgAccess.h"
#include "TextUtil.h"
#include "UiText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <cstdint>

namespace {
CLimitEdit::NoticeHandler& Handler() {
    static CLimitEdit::NoticeHandler handler;
    return handler;
}

// True while a range message is open: a second field losing the focus meanwhile corrects its text
// without stacking another message.
bool rangePromptOpen = false;

bool IsTypedText(const QString& text) {
    if (text.isEmpty()) return false;
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
    return true;
}

bool IsDigits(const QString& text) {
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// A click on a button that took the focus from a refused field: the press is still on its way to
// the button when the range message closes, and its release went to the message. Delivered, the
// press would leave the button drawn pressed and the click half done, so it is taken out here
// (for the rest of this event only) and the log says what was not run.
class CLostClickCatcher : public QObject {
  public:
    CLostClickCatcher(QAbstractButton* button, QString corrected)
        : button(button), corrected(std::move(corrected)) {
        qApp->installEventFilter(this);
        QTimer::singleShot(0, this, [this] { deleteLater(); });
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool press =
            event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
        if (!press || !button || watched != button) return false;
        if (IMainDlg* main = GetMainDlg())
            main->AppendLog(UiText(TXT_CLICK_NOT_RUN).arg(corrected, button->text().remove('&')));
        button = nullptr;
        return true;
    }

  private:
    QPointer<QAbstractButton> button;
    QString corrected;
};
} // namespace

CLimitEdit::CLimitEdit(QWidget* parent) : QLineEdit(parent) {
    // textChanged also follows a text replaced inside an edit, so read the text itself.
    connect(this, &QLineEdit::textChanged, this, [this] { lastText = text(); });
    connect(this, &QLineEdit::textEdited, this, &CLimitEdit::CheckForeignEdit);
}

void CLimitEdit::SetNoticeHandler(NoticeHandler handler) {
    Handler() = std::move(handler);
}

void CLimitEdit::SetMaxValue(int value) {
    maxValue = value;
    maxSet = true;
}

void CLimitEdit::SetMinValue(int value) {
    minValue = value;
    minSet = true;
}

bool CLimitEdit::SetCharRange(char first, char last) {
    if (first > last) return false;
    ranges.clear();
    ranges.emplace_back(first, last);
    hint = QString::fromStdString(Format("%s ['%c' - '%c']", Text(208).c_str(), first, last));
    return true;
}

void CLimitEdit::ClearCharRanges() {
    ranges.clear();
}

bool CLimitEdit::AddCharRange(char first, char last) {
    if (first > last) return false;
    ranges.emplace_back(first, last);
    hint += QString::fromStdString(Format(", ['%c' - '%c']", first, last));
    return true;
}

bool CLimitEdit::IsAllowed(QChar c) const {
    if (ranges.empty() || c.unicode() == 8) return true;
    // Compared as signed 8-bit characters: bytes of 0x80 and above lie below every ASCII range.
    if (c.unicode() > 0xff) return false;
    const char ch = static_cast<char>(static_cast<signed char>(c.unicode()));
    for (const auto& [first, last] : ranges)
        if (first <= ch && ch <= last) return true;
    return false;
}

bool CLimitEdit::IsInRange(const QString& text) const {
    if (text.isEmpty() || !IsDigits(text)) return false;
    // Bounds are compared as unsigned values; the value saturates above them so that a long run
    // of digits cannot overflow.
    uint64_t value = 0;
    for (const QChar c : text) {
        value = value * 10 + (c.unicode() - u'0');
        if (value > UINT32_MAX) value = uint64_t(UINT32_MAX) + 1;
    }
    return value >= static_cast<uint32_t>(minValue) && value <= static_cast<uint32_t>(maxValue);
}

bool CLimitEdit::CheckRange() {
    if (!minSet && !maxSet) return true;
    if (IsInRange(text())) return true;
    if (!rangePromptOpen) {
        rangePromptOpen = true;
        Notice(QString::fromStdString(Format("%s[%d - %d]!", Text(207).c_str(), minValue, maxValue)));
        rangePromptOpen = false;
    }
    setText(QString::number(minValue));
    selectAll();
    return false;
}

void CLimitEdit::Notice(const QString& text) {
    if (Handler())
        Handler()(this, text);
    else
        QMessageBox::information(this, QString(), text);
}

void CLimitEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Only a move of the focus to another control is a focus loss: while another window (or the
    // message of another field) is active, the field stays the window's focus and is checked when
    // the focus really leaves it.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
    // The control a click gave the focus to, taken before the message moves the focus.
    QPointer<QAbstractButton> clicked = event->reason() == Qt::MouseFocusReason
                                            ? qobject_cast<QAbstractButton*>(QApplication::focusWidget())
                                            : nullptr;
    if (!CheckRange() && clicked) new CLostClickCatcher(clicked, text());
}

void CLimitEdit::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) && !(event->modifiers() & Qt::AltModifier);
    if (ctrl) {
        switch (event->key()) {
        case Qt::Key_A:
            selectAll();
            event->accept();
            return;
        case Qt::Key_C:
            copy();
            event->accept();
            return;
        case Qt::Key_X:
            ownEdit = true;
            cut();
            ownEdit = false;
            event->accept();
            return;
        case Qt::Key_V:
            paste(); // checked as a foreign edit
            event->accept();
            return;
        case Qt::Key_Z:
            ownEdit = true;
            undo();
            ownEdit = false;
            event->accept();
            return;
        default:
            break;
        }
    }

    const QString typed = event->text();
    if (!ctrl && IsTypedText(typed)) {
        for (const QChar c : typed) {
            if (!IsAllowed(c)) {
                event->accept();
                Notice(hint);
                return;
            }
        }
        if (digitsOnly && !IsDigits(typed)) {
            event->accept();
            return;
        }
        if (typedLimit >= 0 && text().size() - selectedText().size() + typed.size() > typedLimit) {
            event->accept();
            return;
        }
        ownEdit = true;
        if (upperCase && typed != typed.toUpper()) {
            QKeyEvent upper(event->type(), event->key(), event->modifiers(), typed.toUpper(),
                            event->isAutoRepeat(), event->count());
            QLineEdit::keyPressEvent(&upper);
        } else {
            QLineEdit::keyPressEvent(event);
        }
        ownEdit = false;
        return;
    }

    // Other keys (deletion, movement) are this field's own edits; a paste key (Shift+Insert) brings
    // in foreign text and is checked afterwards.
    ownEdit = !event->matches(QKeySequence::Paste);
    QLineEdit::keyPressEvent(event);
    ownEdit = false;
}

void CLimitEdit::CheckForeignEdit(const QString& edited) {
    if (ownEdit) return;
    const QString before = lastText;
    if (digitsOnly && !IsDigits(edited)) {
        setText(before);
        return;
    }
    if (typedLimit >= 0 && edited.size() > typedLimit && edited.size() > before.size()) {
        setText(before);
        return;
    }
    if (upperCase && edited != edited.toUpper()) {
        const int pos = cursorPosition();
        setText(edited.toUpper());
        setCursorPosition(pos);
    }
    if (ranges.empty()) return;
    for (const QChar c : text()) {
        if (!IsAllowed(c)) {
            Notice(hint);
            setText(QString());
            return;
        }
    }
}
