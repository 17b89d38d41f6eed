#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

// The program's own message box: a notice with one button (style 0) or a question with Yes and
// No (any other style), whose button texts follow the process language, not the system's.
class CMessageBoxCustom : public QDialog {
    Q_OBJECT
  public:
    CMessageBoxCustom(QWidget* owner, const QString& text, const QString& caption, int style,
                      int languageIndex);

    QPushButton* YesButton() const { return yesButton; }
    QPushButton* NoButton() const { return noButton; }
    QString MessageText() const;

    // Button texts (OK, Yes, No) of a language index; empty for an unknown index.
    struct SButtonTexts {
        QString ok, yes, no;
    };
    static SButtonTexts ButtonTexts(int languageIndex);

  private:
    QPlainTextEdit* message = nullptr; // 1082
    QPushButton* yesButton = nullptr;  // 1086
    QPushButton* noButton = nullptr;   // 1087
};

// Runs a CMessageBoxCustom modally; 6 when it ended through Yes, 7 in every other case
// (No, the single button of a notice, the close box, Escape).
int CustomMessageBox(QWidget* owner, const QString& text, const QString& caption, int style);
