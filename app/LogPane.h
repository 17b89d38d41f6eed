#pragma once

#include <QGroupBox>
#include <QString>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The "Log" group of the main window: the read-only log text (1006), "Clear Log" (1007),
// "Display packet" (1059) and "Hex show" (1060). Every report to the operator lands here.
class CLogPane : public QGroupBox {
    Q_OBJECT
  public:
    // Past this many lines (counted before an entry is added) the whole history is dropped.
    static constexpr int kMaxLines = 256;

    explicit CLogPane(QWidget* parent = nullptr);

    // Appends one entry "[YYYY-MM-DD hh:mm:ss]" CR LF text CR LF. Safe from any thread: a call
    // from another thread is queued to the window thread, and an entry is appended as a whole.
    // The entry is drawn a moment later, in slices of at most kSliceMs of drawing, so that a flood
    // of received data never holds the window thread; entries the line rule would drop anyway
    // are never drawn.
    void AppendLog(const QString& text);
    void Clear();
    // Lines as the text field counts them (an empty pane has one), entries not yet drawn included.
    int LineCount() const;
    // The pane's text; entries not yet drawn are drawn first.
    QString Text() const;
    // Draws every entry not yet drawn.
    void Flush();

    static constexpr int kSliceMs = 20;

    // Restores the two boxes (start-up) and applies their rules as a click would.
    void SetDisplayPacket(bool on);
    void SetHexShow(bool on);
    bool DisplayPacket() const;
    bool HexShow() const;

    // The note under the pane: where the settings and the complete log are kept.
    void SetNote(const QString& text);
    QLabel* NoteLabel() const { return fileLabel; }

    QPlainTextEdit* Edit() const { return edit; }
    QPushButton* ClearButton() const { return clearButton; }
    QCheckBox* DisplayPacketBox() const { return displayPacketBox; }
    QCheckBox* HexShowBox() const { return hexShowBox; }

  signals:
    // The packet switches changed (click or restore); the window hands them to the engine.
    void displayPacketChanged(bool on);
    void hexShowChanged(bool on);

  private:
    void AppendOnUiThread(const QString& text);
    void ApplyDisplayPacket(bool on);
    // Draws waiting entries for at most budgetMs (one entry at least), then schedules the rest.
    void DrawSlice(int budgetMs);

    QStringList waiting;     // entries not yet drawn, oldest first
    int waitingLines = 0;    // line breaks they add
    bool clearFirst = false; // the line rule dropped the drawn history: clear before drawing
    bool sliceScheduled = false;

    QPlainTextEdit* edit = nullptr;
    QPushButton* clearButton = nullptr;
    QCheckBox* displayPacketBox = nullptr;
    QCheckBox* hexShowBox = nullptr;
    QLabel* fileLabel = nullptr;
};
