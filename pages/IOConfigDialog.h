#pragma once

#include "ParamPage.h"

#include <QString>
#include <QWidget>

#include <array>
#include <string>

class CLimitEdit;
class QComboBox;
class QGroupBox;
class QLabel;

// The IO page (third configuration tab): work mode and interval of the five IO pins. IO index n is
// the pin "Pin Dn"; its work mode is code 28 + n, its interval 33 + n. Pin D4 is the top group.
class CIOConfigDialog : public QWidget, public IParamPage {
    Q_OBJECT
  public:
    enum { kTemplateId = 130 };
    enum { kPinCount = 5 };
    // Captions (template 130): the group of IO index n is ID_PIN_GROUP + n.
    enum {
        ID_PIN_GROUP = 5000,
        ID_WORK_MODE_LABEL = 5005,
        ID_INTERVAL_LABEL = 5006,
    };
    // Work mode values as the module knows them.
    enum EWorkMode { WM_DISABLED, WM_ADC, WM_DI, WM_DO_LOW, WM_DO_HIGH, WM_PULSE_COUNT };

    explicit CIOConfigDialog(QWidget* parent = nullptr);

    void SetParam(int code, const std::string& value) override;
    void GetParamList(std::vector<SCmdItem>& list) override;
    void ClearParams() override;
    std::vector<QWidget*> ControlsOf(int code) const override;
    QString ShownText(int code, const std::string& value) const override;

    // io outside 0..4 is ignored.
    void SetWorkMode(int io, const std::string& value);
    void SetInterval(int io, const std::string& value);
    // Numbered pin captions for the module model whose version contains "R7730" (top group first,
    // "IO%d配置" for language 0, "Pin D%d" for language 1); false restores the template captions.
    void SetPinCaptions(bool numbered, int languageIndex);

    QComboBox* WorkModeList(int io) const { return pins[io].mode; }
    CLimitEdit* IntervalField(int io) const { return pins[io].interval; }
    QLabel* IntervalLabel(int io) const { return pins[io].intervalLabel; }
    QGroupBox* PinGroup(int io) const { return pins[io].group; }

  private:
    struct SPin {
        QGroupBox* group = nullptr;
        QComboBox* mode = nullptr; // items carry their work mode value
        CLimitEdit* interval = nullptr;
        QLabel* intervalLabel = nullptr;
    };
    QGroupBox* BuildPin(int io);
    // The interval of an input mode (ADC, DI, pulse counting) is shown; other modes hide it.
    void ApplyIntervalRule(int io);

    std::array<SPin, kPinCount> pins;
    std::array<QString, kPinCount> storedCaptions; // template captions, kept once numbered
};
