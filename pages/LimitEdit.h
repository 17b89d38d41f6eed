#pragma once

#include <QLineEdit>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

// Single-line field for numbers and keys with two independent checks:
// - a character filter (allowed character ranges): a typed character outside every range is
//   refused with a hint; pasted text that brings in a refused character empties the field;
// - an integer range: when the focus moves to another control, a text that is not a whole decimal
//   number inside the bounds is refused with a message and replaced by the lower bound.
// Text set by the program (values read from a module) is never checked.
class CLimitEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit CLimitEdit(QWidget* parent = nullptr);

    void SetMaxValue(int value);
    void SetMinValue(int value);
    // False (nothing changed) when first > last. Replaces the ranges and restarts the hint.
    bool SetCharRange(char first, char last);
    // Every character is accepted again; the hint is kept.
    void ClearCharRanges();
    // False (nothing changed) when first > last. Adds a range and extends the hint.
    bool AddCharRange(char first, char last);

    // Number-only field: typed and pasted non-digits are refused without a message.
    void SetDigitsOnly(bool on) { digitsOnly = on; }
    // Typed and pasted letters are shown in upper case.
    void SetUpperCase(bool on) { upperCase = on; }
    // Typing and pasting cannot make the text longer than this (negative: no limit). Unlike
    // QLineEdit::setMaxLength, a longer text set by the program is kept whole, not cut.
    void SetTypedLimit(int maxChars) { typedLimit = maxChars; }

    const QString& Hint() const { return hint; }
    // The focus-loss check, run now: true when the text is accepted or no bound is set; otherwise
    // shows the range message and sets the text to the lower bound.
    bool CheckRange();

    // Shows a message of the field with the field as owner (the window installs the program's
    // prompt, CustomMessageBox with an empty title and style 0). Without a handler a plain
    // message box is shown.
    using NoticeHandler = std::function<void(QWidget* owner, const QString& text)>;
    static void SetNoticeHandler(NoticeHandler handler);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    bool IsAllowed(QChar c) const;
    bool IsInRange(const QString& text) const;
    // Checks of an edit made by other means than typing (paste, drop, middle click, input method).
    void CheckForeignEdit(const QString& edited);
    void Notice(const QString& text);

    std::vector<std::pair<char, char>> ranges;
    QString hint;
    bool maxSet = false;
    bool minSet = false;
    int maxValue = 0;
    int minValue = 0;
    bool digitsOnly = false;
    bool upperCase = false;
    int typedLimit = -1;
    bool ownEdit = false; // an edit made by this class itself (typing, cut, undo): already checked
    QString lastText;     // the text before the current edit, to undo a refused foreign edit
};
