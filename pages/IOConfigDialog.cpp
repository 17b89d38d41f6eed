#include "IOConfigDialog.h"

#include "LimitEdit.h"
#include "PageValues.h"
#include "ParamCatalogue.h"
#include "ParseDecimal.h"
#include "UiText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {
// The string of each work mode value.
constexpr int kModeText[] = {199, 200, 201, 202, 203, 204};
// D4 and D3 have pulse counting and no ADC; D2, D1 and D0 have ADC and no pulse counting.
constexpr int kUpperPinModes[] = {CIOConfigDialog::WM_DISABLED, CIOConfigDialog::WM_DI,
                                  CIOConfigDialog::WM_DO_LOW, CIOConfigDialog::WM_DO_HIGH,
                                  CIOConfigDialog::WM_PULSE_COUNT};
constexpr int kLowerPinModes[] = {CIOConfigDialog::WM_DISABLED, CIOConfigDialog::WM_ADC,
                                  CIOConfigDialog::WM_DI, CIOConfigDialog::WM_DO_LOW,
                                  CIOConfigDialog::WM_DO_HIGH};

bool HasInterval(int mode) {
    return mode == CIOConfigDialog::WM_ADC || mode == CIOConfigDialog::WM_DI ||
           mode == CIOConfigDialog::WM_PULSE_COUNT;
}

constexpr const char* kPinCaption[] = {"Pin D0", "Pin D1", "Pin D2", "Pin D3", "Pin D4"};

bool IsPin(int io) {
    return io >= 0 && io < CIOConfigDialog::kPinCount;
}
} // namespace

CIOConfigDialog::CIOConfigDialog(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    for (int io = kPinCount - 1; io >= 0; --io)
        column->addWidget(BuildPin(io));
    column->addStretch(1);
    for (int io = 0; io < kPinCount; ++io)
        ApplyIntervalRule(io);
}

QGroupBox* CIOConfigDialog::BuildPin(int io) {
    SPin& pin = pins[io];
    pin.group = new QGroupBox(UiCaption(kTemplateId, ID_PIN_GROUP + io, kPinCaption[io]), this);
    pin.mode = new QComboBox(pin.group);
    const bool upper = io >= 3;
    for (const int mode : upper ? kUpperPinModes : kLowerPinModes)
        pin.mode->addItem(UiText(kModeText[mode]), mode);
    pin.mode->setCurrentIndex(0);
    pin.interval = MakeNumberField(pin.group, PT_DT0 + io, 0, 65535);
    pin.interval->setText("0");
    pin.intervalLabel =
        new QLabel(UiCaption(kTemplateId, ID_INTERVAL_LABEL, "Interval(0-65535)sec"), pin.group);
    for (QWidget* w : std::initializer_list<QWidget*>{pin.interval, pin.intervalLabel}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }

    auto* row = new QGridLayout(pin.group);
    row->addWidget(new QLabel(UiCaption(kTemplateId, ID_WORK_MODE_LABEL, "Work Mode"), pin.group), 0, 0);
    row->addWidget(pin.mode, 0, 1);
    row->setColumnStretch(2, 1);
    row->addWidget(pin.intervalLabel, 0, 3);
    row->addWidget(pin.interval, 0, 4);
    connect(pin.mode, &QComboBox::activated, this, [this, io] { ApplyIntervalRule(io); });
    return pin.group;
}

void CIOConfigDialog::ApplyIntervalRule(int io) {
    const SPin& pin = pins[io];
    if (pin.mode->currentIndex() < 0) return;
    const bool shown = HasInterval(pin.mode->currentData().toInt());
    pin.interval->setVisible(shown);
    pin.intervalLabel->setVisible(shown);
}

void CIOConfigDialog::SetParam(int code, const std::string& value) {
    const SParamInfo* info = FindParam(code);
    if (!info || info->page != PG_IO) return;
    if (code < PT_DT0)
        SetWorkMode(info->ioIndex, value);
    else
        SetInterval(info->ioIndex, value);
}

void CIOConfigDialog::SetWorkMode(int io, const std::string& value) {
    if (!IsPin(io)) return;
    const int mode = ParseDecimal(value);
    if (mode < WM_DISABLED || mode > WM_PULSE_COUNT) {
        LogInvalidValue(PT_DM0 + io);
        return;
    }
    // A mode this pin does not have leaves the list without a selection.
    pins[io].mode->setCurrentIndex(pins[io].mode->findData(mode));
    for (int pin = kPinCount - 1; pin >= 0; --pin)
        ApplyIntervalRule(pin);
}

void CIOConfigDialog::SetInterval(int io, const std::string& value) {
    if (!IsPin(io)) return;
    const int seconds = ParseDecimal(value);
    if (seconds < 0 || seconds > 65535) {
        LogInvalidValue(PT_DT0 + io);
        return;
    }
    pins[io].interval->setText(QString::number(seconds));
}

void CIOConfigDialog::GetParamList(std::vector<SCmdItem>& list) {
    for (int io = 0; io < kPinCount; ++io) {
        const SPin& pin = pins[io];
        if (pin.mode->currentIndex() >= 0)
            list.push_back(MakeValueRecord(PT_DM0 + io, std::to_string(pin.mode->currentData().toInt())));
        // The interval as it stands, also empty, where the pin's mode shows it.
        if (IsShownAndEnabled(pin.interval, this))
            list.push_back(MakeValueRecord(PT_DT0 + io, pin.interval->text().toStdString()));
    }
}

void CIOConfigDialog::ClearParams() {
    for (SPin& pin : pins) {
        pin.mode->setCurrentIndex(-1);
        pin.interval->clear();
    }
}

void CIOConfigDialog::SetPinCaptions(bool numbered, int languageIndex) {
    if (!numbered) {
        if (storedCaptions[0].isEmpty()) return;
        for (int io = 0; io < kPinCount; ++io)
            pins[io].group->setTitle(storedCaptions[io]);
        return;
    }
    if (storedCaptions[0].isEmpty())
        for (int io = 0; io < kPinCount; ++io)
            storedCaptions[io] = pins[io].group->title();
    // Numbered from the top: the top group (IO index 4) is number 1.
    for (int io = 0; io < kPinCount; ++io) {
        const int number = kPinCount - io;
        QString caption;
        if (languageIndex == 0)
            caption = QString::fromUtf8("IO%1配置").arg(number);
        else if (languageIndex == 1)
            caption = QString("Pin D%1").arg(number);
        pins[io].group->setTitle(caption);
    }
}

std::vector<QWidget*> CIOConfigDialog::ControlsOf(int code) const {
    const SParamInfo* info = FindParam(code);
    if (!info || info->page != PG_IO || !IsPin(info->ioIndex)) return {};
    const SPin& pin = pins[info->ioIndex];
    if (code < PT_DT0) return {pin.mode};
    return {pin.interval};
}

QString CIOConfigDialog::ShownText(int code, const std::string& value) const {
    const int mode = ParseDecimal(value);
    // Work modes by their own texts, also one the pin's list does not offer.
    if (code >= PT_DM0 && code < PT_DT0 && mode >= WM_DISABLED && mode <= WM_PULSE_COUNT)
        return UiText(kModeText[mode]);
    return QString::fromStdString(value);
}
