#include "LogPane.h"

#include "LogFile.h"
#include "TextUtil.h"
#include "UiText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>
#include <QVBoxLayout>

namespace {
constexpr int kTemplate = 102;
}

CLogPane::CLogPane(QWidget* parent) : QGroupBox(UiCaption(kTemplate, 1066, "Log"), parent) {
    edit = new QPlainTextEdit(this);
    edit->setObjectName("log");
    edit->setReadOnly(true);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setUndoRedoEnabled(false);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    clearButton = new QPushButton(UiCaption(kTemplate, 1007, "Cl&ear Log"), this);
    displayPacketBox = new QCheckBox(UiCaption(kTemplate, 1059, "Display pac&ket"), this);
    hexShowBox = new QCheckBox(UiCaption(kTemplate, 1060, "&Hex show"), this);
    hexShowBox->setEnabled(false);

    connect(clearButton, &QPushButton::clicked, this, &CLogPane::Clear);
    // toggled, not clicked: a change by keyboard or through the accessibility interface counts too.
    connect(displayPacketBox, &QCheckBox::toggled, this, &CLogPane::ApplyDisplayPacket);
    connect(hexShowBox, &QCheckBox::toggled, this, &CLogPane::hexShowChanged);

    // Two rows: the log column stays narrow enough for a 1280-pixel screen.
    auto* controls = new QGridLayout;
    controls->addWidget(displayPacketBox, 0, 0);
    controls->addWidget(hexShowBox, 0, 1);
    controls->addWidget(clearButton, 1, 0, Qt::AlignLeft);
    controls->setColumnStretch(2, 1);
    // Where the complete log goes (the pane drops its history past 256 lines).
    fileLabel = new QLabel(this);
    fileLabel->setObjectName("logFileLabel");
    fileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fileLabel->setMinimumWidth(1); // a long path must not widen the window
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit, 1);
    layout->addLayout(controls);
    layout->addWidget(fileLabel);
}

void CLogPane::AppendLog(const QString& text) {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { AppendOnUiThread(text); }, Qt::QueuedConnection);
        return;
    }
    AppendOnUiThread(text);
}

void CLogPane::AppendOnUiThread(const QString& text) {
    if (LineCount() > kMaxLines) {
        waiting.clear();
        waitingLines = 0;
        clearFirst = true;
    }
    // The text field keeps "\n" line ends: CR LF inside a message is one line break, and a lone CR
    // (raw received text) is no line break, as in a plain text field.
    QString message = text;
    message.replace("\r\n", "\n").remove(QChar('\r'));
    const QString entry = "[" + QString::fromStdString(FormatTimeStamp()) + "]\n" + message + "\n";
    // The pane keeps 256 lines; the file keeps everything.
    AppendToProcessLog(entry.toStdString());
    waiting << entry;
    waitingLines += int(entry.count('\n'));
    if (!sliceScheduled) {
        sliceScheduled = true;
        QMetaObject::invokeMethod(
            this, [this] { DrawSlice(kSliceMs); }, Qt::QueuedConnection);
    }
}

void CLogPane::DrawSlice(int budgetMs) {
    sliceScheduled = false;
    if (clearFirst) edit->clear();
    clearFirst = false;
    if (waiting.isEmpty()) return;
    QElapsedTimer clock;
    clock.start();
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    do {
        const QString entry = waiting.takeFirst();
        waitingLines -= int(entry.count('\n'));
        cursor.insertText(entry);
    } while (!waiting.isEmpty() && (budgetMs < 0 || clock.elapsed() < budgetMs));
    edit->setTextCursor(cursor);
    edit->ensureCursorVisible();
    if (!waiting.isEmpty()) {
        sliceScheduled = true;
        QMetaObject::invokeMethod(
            this, [this] { DrawSlice(kSliceMs); }, Qt::QueuedConnection);
    }
}

void CLogPane::Flush() {
    if (QThread::currentThread() != thread()) return;
    if (clearFirst || !waiting.isEmpty()) DrawSlice(-1);
}

void CLogPane::Clear() {
    waiting.clear();
    waitingLines = 0;
    clearFirst = false;
    edit->clear();
}

int CLogPane::LineCount() const {
    return (clearFirst ? 1 : edit->document()->blockCount()) + waitingLines;
}

QString CLogPane::Text() const {
    const_cast<CLogPane*>(this)->Flush();
    return edit->toPlainText();
}

void CLogPane::ApplyDisplayPacket(bool on) {
    hexShowBox->setEnabled(on);
    emit displayPacketChanged(on);
}

void CLogPane::SetDisplayPacket(bool on) {
    const QSignalBlocker quiet(displayPacketBox); // applied once below, also when unchanged
    displayPacketBox->setChecked(on);
    ApplyDisplayPacket(on);
}

void CLogPane::SetHexShow(bool on) {
    const QSignalBlocker quiet(hexShowBox);
    hexShowBox->setChecked(on);
    emit hexShowChanged(on);
}

void CLogPane::SetNote(const QString& text) {
    fileLabel->setText(text);
    fileLabel->setToolTip(text);
}

bool CLogPane::DisplayPacket() const {
    return displayPacketBox->isChecked();
}
bool CLogPane::HexShow() const {
    return hexShowBox->isChecked();
}
