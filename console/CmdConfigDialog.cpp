#include "CmdConfigDialog.h"

#include "CommandPayload.h"
#include "ConsoleLink.h"
#include "MainDlgAccess.h"
#include "SettingsStore.h"
#include "TextUtil.h"
#include "UiText.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <vector>

namespace {
void Log(const QString& text) {
    if (IMainDlg* main = GetMainDlg()) main->AppendLog(text);
}

QCheckBox* NewBox(QWidget* parent, int id, const char* english) {
    auto* box = new QCheckBox(UiCaption(CCmdConfigDialog::kTemplateId, id, english), parent);
    box->setObjectName(QString::number(id));
    return box;
}

QPushButton* NewButton(QWidget* parent, int id, const char* english) {
    auto* button = new QPushButton(UiCaption(CCmdConfigDialog::kTemplateId, id, english), parent);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}
} // namespace

CCmdConfigDialog::CCmdConfigDialog(QWidget* parent) : QWidget(parent) {
    commandEdit = new QLineEdit(this);
    commandEdit->setObjectName(QString::number(ID_COMMAND));
    hexBox = NewBox(this, ID_HEX, "Hex");
    newLineBox = NewBox(this, ID_NEW_LINE, "New Line");
    sendTimerBox = NewBox(this, ID_SEND_TIMER, "Send Timer");
    periodEdit = new QLineEdit(this);
    periodEdit->setObjectName(QString::number(ID_PERIOD));
    periodEdit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), periodEdit));
    clearButton = NewButton(this, ID_CLEAR, "Clear");
    sendButton = NewButton(this, ID_SEND, "Send");
    fileEdit = new QLineEdit(this);
    fileEdit->setObjectName(QString::number(ID_FILE));
    fileEdit->setReadOnly(true);
    browseButton = NewButton(this, ID_BROWSE, "Browse");
    upgradeButton = NewButton(this, ID_UPGRADE, "Upgrade");
    restartBox = NewBox(this, ID_RESTART, "Restart the device before upgrade ");

    auto* sendRow = new QHBoxLayout;
    sendRow->addWidget(hexBox);
    sendRow->addWidget(newLineBox);
    sendRow->addWidget(sendTimerBox);
    sendRow->addWidget(periodEdit);
    sendRow->addWidget(new QLabel(UiCaption(kTemplateId, ID_MS_LABEL, "ms"), this));
    sendRow->addStretch(1);
    sendRow->addWidget(clearButton);
    sendRow->addWidget(sendButton);

    auto* upgradeGroup =
        new QGroupBox(UiCaption(kTemplateId, ID_UPGRADE_GROUP, "Upgrade Local Device"), this);
    auto* upgradeGrid = new QGridLayout(upgradeGroup);
    upgradeGrid->addWidget(new QLabel(UiCaption(kTemplateId, ID_FILE_LABEL, "File"), upgradeGroup), 0, 0);
    upgradeGrid->addWidget(fileEdit, 0, 1);
    upgradeGrid->addWidget(browseButton, 0, 2);
    upgradeGrid->addWidget(restartBox, 1, 1);
    upgradeGrid->addWidget(upgradeButton, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(commandEdit);
    layout->addLayout(sendRow);
    layout->addWidget(upgradeGroup);
    layout->addStretch(1);

    // The state of a first start without a settings file. The send timer does not run until its
    // box is clicked, so the box starts cleared whatever was stored.
    hexBox->setChecked(true);
    newLineBox->setChecked(true);
    sendTimerBox->setChecked(false);
    restartBox->setChecked(true);
    periodEdit->setText("1000");
    ShowDefaultCommand();

    connect(commandEdit, &QLineEdit::returnPressed, this, &CCmdConfigDialog::OnSend);
    connect(sendButton, &QPushButton::clicked, this, &CCmdConfigDialog::OnSend);
    connect(clearButton, &QPushButton::clicked, commandEdit, [this] { commandEdit->setText(QString()); });
    connect(hexBox, &QCheckBox::clicked, this, &CCmdConfigDialog::OnHexClicked);
    // The filter follows the box however it changes (a click, the settings).
    connect(hexBox, &QCheckBox::toggled, this, &CCmdConfigDialog::SetHexFilter);
    connect(sendTimerBox, &QCheckBox::clicked, this, &CCmdConfigDialog::OnSendTimerClicked);
    connect(browseButton, &QPushButton::clicked, this, &CCmdConfigDialog::OnBrowse);
    connect(upgradeButton, &QPushButton::clicked, this, &CCmdConfigDialog::OnUpgrade);
    connect(&sendTimer, &QTimer::timeout, this, &CCmdConfigDialog::OnSendTimer);
    SetHexFilter(hexBox->isChecked());
}

void CCmdConfigDialog::LoadSettings(ISettingsStore& store) {
    // Only the boxes are restored: no timer starts and no character filter is set here.
    restartBox->setChecked(store.GetInt("RestartDevice", 1) != 0);
    hexBox->setChecked(store.GetInt("CmdHex", 1) != 0);
    periodEdit->setText(QString::fromStdString(store.GetText("SendTimer", "1000").substr(0, kMaxPeriodText)));
    // No timer starts here, whatever "SendTimerState" says: the box shows that none runs (and the
    // close writes that state back).
    sendTimerBox->setChecked(false);
    newLineBox->setChecked(store.GetInt("SendNewLine", 1) != 0);
    ShowDefaultCommand();
}

void CCmdConfigDialog::ShowDefaultCommand() {
    // In the form the Hex box asks for, with its character filter, so that Send sends it as is.
    const std::string command = kDefaultCommand;
    const bool hex = hexBox->isChecked();
    commandEdit->setText(QString::fromStdString(
        hex ? BytesToHex(command.data(), static_cast<int>(command.size()), true) : command));
}

void CCmdConfigDialog::SaveSettings(ISettingsStore& store) const {
    auto flag = [](const QCheckBox* box) { return std::string(box->isChecked() ? "1" : "0"); };
    store.WriteText("RestartDevice", flag(restartBox));
    store.WriteText("CmdHex", flag(hexBox));
    store.WriteText("SendTimer", periodEdit->text().toStdString());
    store.WriteText("SendTimerState", flag(sendTimerBox));
    store.WriteText("SendNewLine", flag(newLineBox));
}

int CCmdConfigDialog::IsRawMode() const {
    return link ? link->RawMode() : 0;
}

void CCmdConfigDialog::SetRawMode(int value) {
    if (link) link->SetRawMode(value);
}

void CCmdConfigDialog::SetJobRunning(bool running) {
    jobRunning = running;
    for (QWidget* control :
         std::initializer_list<QWidget*>{sendButton, clearButton, sendTimerBox, browseButton, upgradeButton})
        control->setEnabled(!running);
}

bool CCmdConfigDialog::BuildPayload(SCommandPayload& payload) const {
    payload =
        BuildCommandPayload(commandEdit->text().toStdString(), hexBox->isChecked(), newLineBox->isChecked());
    switch (payload.status) {
    case SCommandPayload::PAYLOAD_OK:
        return true;
    case SCommandPayload::PAYLOAD_TOO_LONG:
        Log(UiText(TXT_COMMAND_TOO_LONG).replace("%d", QString::number(payload.limit)));
        return false;
    case SCommandPayload::PAYLOAD_HEX_INVALID:
        Log(UiText(TXT_HEX_INVALID));
        return false;
    }
    return false;
}

void CCmdConfigDialog::OnSend() {
    if (!link || jobRunning) return;
    SCommandPayload payload;
    if (!BuildPayload(payload)) return;
    link->SetAbortEntry();
    link->SetRawMode(1);
    if (link->SendData(payload.buffer.data(), payload.count) && link->DisplayPacket())
        Log("Send:" + QString::fromStdString(payload.shown));
}

void CCmdConfigDialog::OnSendTimer() {
    if (!link || jobRunning) return;
    SCommandPayload payload;
    if (!BuildPayload(payload)) {
        // A command that cannot be sent stays so: stop instead of logging the refusal every tick.
        sendTimer.stop();
        sendTimerBox->setChecked(false);
        return;
    }
    if (!link->SendData(payload.buffer.data(), payload.count)) return;
    // The timer's line shows what went out, in text mode with the CR LF it appended.
    const std::string shown =
        hexBox->isChecked()
            ? payload.shown
            : std::string(reinterpret_cast<const char*>(payload.buffer.data()), payload.count);
    Log("Send:" + QString::fromStdString(shown));
}

void CCmdConfigDialog::SetHexFilter(bool on) {
    if (!hexValidator)
        hexValidator = new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f ]*"), this);
    commandEdit->setValidator(on ? hexValidator : nullptr);
}

void CCmdConfigDialog::OnHexClicked() {
    const std::string text = commandEdit->text().toStdString();
    if (hexBox->isChecked()) {
        commandEdit->setText(
            QString::fromStdString(BytesToHex(text.data(), static_cast<int>(text.size()), true)));
        return;
    }
    // Text that is not hex (typed before the filter was on) is kept as it stands.
    if (!IsHexText(text)) return;
    const std::string digits = RemoveBlanks(text);
    std::vector<uint8_t> bytes(digits.size() / 2 + 1);
    HexToBytes(digits.c_str(), static_cast<int>(digits.size()), bytes.data());
    commandEdit->setText(QString::fromUtf8(reinterpret_cast<const char*>(bytes.data())));
}

int CCmdConfigDialog::SendPeriod(const QString& text) {
    return static_cast<int>(std::clamp<long long>(DecimalValue(text.toStdString()), kMinSendPeriod, INT_MAX));
}

void CCmdConfigDialog::OnSendTimerClicked() {
    if (!sendTimerBox->isChecked()) {
        sendTimer.stop();
        return;
    }
    sendTimer.start(SendPeriod(periodEdit->text()));
}

bool CCmdConfigDialog::IsImagePath(const QString& path) {
    return path.contains(".bin", Qt::CaseSensitive) || path.contains(".BIN", Qt::CaseSensitive);
}

QString CCmdConfigDialog::BrowseFilter() {
    return UiCaption(kTemplateId, ID_BIN_FILES_TEXT, "Bin Files") + " (*.bin *.BIN);;" +
           UiCaption(kTemplateId, ID_ALL_FILES_TEXT, "All Files") + " (*)";
}

void CCmdConfigDialog::OnBrowse() {
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), BrowseFilter());
    if (path.isEmpty()) return;
    ChooseImage(path);
}

void CCmdConfigDialog::ChooseImage(const QString& path) {
    if (!IsImagePath(path)) {
        // The refused path is not kept: Upgrade uses the image the file field shows.
        emit noticeRequested(UiCaption(kTemplateId, ID_FORMAT_ERROR_TEXT, "File Format Error"), QString(), 0);
        return;
    }
    imagePath = path;
    fileEdit->setText(path);
}

void CCmdConfigDialog::OnUpgrade() {
    // Not refused here while a job runs: the engine refuses a second request with its reason.
    if (!link) return;
    link->UpgradeRequest(imagePath.toStdString() + (restartBox->isChecked() ? ",1" : ",0"));
}
