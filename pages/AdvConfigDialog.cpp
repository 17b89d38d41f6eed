#include "AdvConfigDialog.h"

#include "LimitEdit.h"
#include "PageValues.h"
#include "ParamCatalogue.h"
#include "UiText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int kTimerSleep = 1;
} // namespace

CAdvConfigDialog::CAdvConfigDialog(QWidget* parent) : QWidget(parent) {
    BuildControls();
    ApplySleepRule();
}

std::array<CAdvConfigDialog::SValueField, 5> CAdvConfigDialog::ValueFields() const {
    return {{{PT_STC, sleepTime, 0, 500},
             {PT_WTC, wakeupTime, 5, 65},
             {PT_ENP, endpoint, 0, 255},
             {PT_PRD, profile, 0, 65535},
             {PT_CDA, cluster, 0, 65535}}};
}

void CAdvConfigDialog::BuildControls() {
    applyModeList = MakeList(this, {193, 194, 195});
    sleepModeList = MakeList(this, {196, 197, 198});
    // The sleep times are checked only when they come from a module or a file, not when typed.
    sleepTime = MakeNumberField(this, PT_STC);
    wakeupTime = MakeNumberField(this, PT_WTC);
    sleepTimeLabel = new QLabel(UiCaption(kTemplateId, ID_SLEEP_TIME_LABEL, "Sleep(0-500)"), this);
    wakeupTimeLabel = new QLabel(UiCaption(kTemplateId, ID_WAKEUP_TIME_LABEL, "Wake Up(5-65)"), this);

    auto* group =
        new QGroupBox(UiCaption(kTemplateId, ID_APPLICATION_GROUP, "Application of Parameter"), this);
    endpoint = MakeNumberField(group, PT_ENP, 0, 255);
    profile = MakeNumberField(group, PT_PRD, 0, 65535);
    cluster = MakeNumberField(group, PT_CDA, 0, 65535);

    auto* top = new QGridLayout;
    top->addWidget(new QLabel(UiCaption(kTemplateId, ID_APPLY_MODE_LABEL, "Apply Mode"), this), 0, 0);
    top->addWidget(applyModeList, 0, 1);
    top->addWidget(new QLabel(UiCaption(kTemplateId, ID_SLEEP_MODE_LABEL, "Sleep Mode"), this), 1, 0);
    top->addWidget(sleepModeList, 1, 1);
    top->addWidget(sleepTimeLabel, 2, 0);
    top->addWidget(sleepTime, 2, 1);
    top->addWidget(wakeupTimeLabel, 2, 2);
    top->addWidget(wakeupTime, 2, 3);
    top->setColumnStretch(4, 1);
    for (QWidget* w :
         std::initializer_list<QWidget*>{sleepTime, wakeupTime, sleepTimeLabel, wakeupTimeLabel}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true); // the group below stays in place
        w->setSizePolicy(policy);
    }

    auto* descriptors = new QGridLayout(group);
    const std::pair<int, const char*> captions[] = {
        {ID_ENDPOINT_LABEL, "Endpoint Descriptor(0-255)"},
        {ID_PROFILE_LABEL, "Configuration Descriptor(0-65535)"},
        {ID_CLUSTER_LABEL, "Cluster ID(0-65535)"},
    };
    CLimitEdit* const fields[] = {endpoint, profile, cluster};
    for (int row = 0; row < 3; ++row) {
        descriptors->addWidget(
            new QLabel(UiCaption(kTemplateId, captions[row].first, captions[row].second), group), row, 0);
        descriptors->addWidget(fields[row], row, 1);
    }
    descriptors->setColumnStretch(2, 1);

    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addSpacing(8);
    page->addWidget(group);
    page->addStretch(1);

    connect(sleepModeList, &QComboBox::activated, this, &CAdvConfigDialog::ApplySleepRule);
}

void CAdvConfigDialog::ApplySleepRule() {
    const bool timer = sleepModeList->currentIndex() == kTimerSleep;
    for (QWidget* w : std::initializer_list<QWidget*>{sleepTime, wakeupTime, sleepTimeLabel, wakeupTimeLabel})
        w->setVisible(timer);
}

void CAdvConfigDialog::EnableSleepSettings(bool enable) {
    sleepModeList->setEnabled(enable);
    sleepTime->setEnabled(enable);
    wakeupTime->setEnabled(enable);
}

void CAdvConfigDialog::SetParam(int code, const std::string& value) {
    if (code == PT_MOD) return SetApplyMode(value);
    if (code == PT_SLE) return SetSleepMode(value);
    for (const SValueField& f : ValueFields())
        if (f.code == code) SetFieldValue(f.field, f.code, value, f.min, f.max);
}

void CAdvConfigDialog::SetApplyMode(const std::string& value) {
    SelectListValue(applyModeList, PT_MOD, value);
}

void CAdvConfigDialog::SetSleepMode(const std::string& value) {
    if (SelectListValue(sleepModeList, PT_SLE, value)) ApplySleepRule();
}

void CAdvConfigDialog::SetSleepTime(const std::string& value) {
    SetParam(PT_STC, value);
}
void CAdvConfigDialog::SetWakeupTime(const std::string& value) {
    SetParam(PT_WTC, value);
}
void CAdvConfigDialog::SetEndpoint(const std::string& value) {
    SetParam(PT_ENP, value);
}
void CAdvConfigDialog::SetProfileId(const std::string& value) {
    SetParam(PT_PRD, value);
}
void CAdvConfigDialog::SetClusterId(const std::string& value) {
    SetParam(PT_CDA, value);
}

void CAdvConfigDialog::GetParamList(std::vector<SCmdItem>& list) {
    AppendSelection(list, PT_MOD, applyModeList);
    AppendSelection(list, PT_SLE, sleepModeList); // also while disabled
    for (const SValueField& f : ValueFields()) {
        // The sleep times count only where the sleep rule shows them and the node type allows sleep.
        const bool sleepSetting = f.field == sleepTime || f.field == wakeupTime;
        if (sleepSetting && !IsShownAndEnabled(f.field, this)) continue;
        AppendTrimmedText(list, f.code, f.field);
    }
}

void CAdvConfigDialog::ClearParams() {
    // The sleep times keep their texts: they are hidden unless Timer Sleep is read back.
    applyModeList->setCurrentIndex(-1);
    sleepModeList->setCurrentIndex(-1);
    endpoint->clear();
    profile->clear();
    cluster->clear();
}

std::vector<QWidget*> CAdvConfigDialog::ControlsOf(int code) const {
    if (code == PT_MOD) return {applyModeList};
    if (code == PT_SLE) return {sleepModeList};
    for (const SValueField& f : ValueFields())
        if (f.code == code) return {f.field};
    return {};
}

QString CAdvConfigDialog::ShownText(int code, const std::string& value) const {
    if (code == PT_MOD) return ListItemText(applyModeList, value);
    if (code == PT_SLE) return ListItemText(sleepModeList, value);
    return QString::fromStdString(value);
}
