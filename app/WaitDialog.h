#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

// The modeless progress window of a running job: status text, a bar the engine steps, and Abort.
// The main window creates one, hidden, and shows and hides it per job.
class CWaitDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CWaitDialog(QWidget* owner);

    void SetProgressText(const QString& text);
    // Range low..high; high becomes the end position.
    void SetProgressRange(int low, int high);
    // 5 shows (centred over the owner), 0 hides; the command is remembered.
    void ShowProgress(int showCommand);
    // The remembered show command: non-zero while a job shows the dialog.
    int IsProgressShown() const { return shownCommand; }
    int GetProgressMax() const { return endPosition; }
    // The bar goes to position; at the end position the dialog hides and the bar returns to 0.
    void StepProgress(int position);
    void CenterOverOwner();

    QString ProgressText() const;
    int ProgressValue() const;
    QPushButton* AbortButton() const { return abortButton; }

  signals:
    // Abort pressed: the window aborts the job (handled before the click returns).
    void abortRequested();

  protected:
    // Escape and the window manager's close never hide a running job: Abort is the way out.
    void reject() override {}

  private:
    QLabel* status = nullptr;           // 1040
    QProgressBar* bar = nullptr;        // 1039
    QPushButton* abortButton = nullptr; // 1043
    int endPosition = 100;
    int shownCommand = 0;
};
