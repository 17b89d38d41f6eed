#pragma once

#include "ParamPage.h"

#include <QWidget>

#include <array>
#include <string>

class CLimitEdit;
class QComboBox;
class QLabel;

// The advanced page (second configuration tab): apply mode, sleep settings and the three
// descriptors of the module's ZigBee application.
class CAdvConfigDialog : public QWidget, public IParamPage {
    Q_OBJECT
  public:
    enum { kTemplateId = 133 };
    // Captions of the labels and the group (template 133).
    enum {
        ID_APPLY_MODE_LABEL = 5000,
        ID_SLEEP_MODE_LABEL = 5001,
        ID_SLEEP_TIME_LABEL = 5002,
        ID_WAKEUP_TIME_LABEL = 5003,
        ID_APPLICATION_GROUP = 5004,
        ID_ENDPOINT_LABEL = 5005,
        ID_PROFILE_LABEL = 5006,
        ID_CLUSTER_LABEL = 5007,
    };

    explicit CAdvConfigDialog(QWidget* parent = nullptr);

    void SetParam(int code, const std::string& value) override;
    void GetParamList(std::vector<SCmdItem>& list) override;
    void ClearParams() override;
    std::vector<QWidget*> ControlsOf(int code) const override;
    QString ShownText(int code, const std::string& value) const override;

    void SetApplyMode(const std::string& value);  // 21
    void SetSleepMode(const std::string& value);  // 22
    void SetSleepTime(const std::string& value);  // 23
    void SetWakeupTime(const std::string& value); // 24
    void SetEndpoint(const std::string& value);   // 25
    void SetProfileId(const std::string& value);  // 26
    void SetClusterId(const std::string& value);  // 27

    // Sleep mode list, sleep time and wake-up time together: off for a coordinator, which does not
    // sleep. Labels and shown state are left as they are.
    void EnableSleepSettings(bool enable);

    QComboBox* ApplyModeList() const { return applyModeList; }
    QComboBox* SleepModeList() const { return sleepModeList; }
    CLimitEdit* SleepTimeField() const { return sleepTime; }
    CLimitEdit* WakeupTimeField() const { return wakeupTime; }
    QLabel* SleepTimeLabel() const { return sleepTimeLabel; }
    QLabel* WakeupTimeLabel() const { return wakeupTimeLabel; }
    CLimitEdit* EndpointField() const { return endpoint; }
    CLimitEdit* ProfileField() const { return profile; }
    CLimitEdit* ClusterField() const { return cluster; }

  private:
    // A value field of the page and the values a module may give it.
    struct SValueField {
        int code;
        CLimitEdit* field;
        int min, max;
    };
    // Sleep time, wake-up time, endpoint, profile, cluster: the order of GetParamList.
    std::array<SValueField, 5> ValueFields() const;
    void BuildControls();
    // Sleep and wake-up times (with their labels) are shown for Timer Sleep only.
    void ApplySleepRule();

    QComboBox* applyModeList = nullptr;
    QComboBox* sleepModeList = nullptr;
    CLimitEdit* sleepTime = nullptr;
    CLimitEdit* wakeupTime = nullptr;
    QLabel* sleepTimeLabel = nullptr;
    QLabel* wakeupTimeLabel = nullptr;
    CLimitEdit* endpoint = nullptr;
    CLimitEdit* profile = nullptr;
    CLimitEdit* cluster = nullptr;
};
