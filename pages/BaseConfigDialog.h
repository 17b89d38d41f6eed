#pragma once

#include "ParamPage.h"

#include <QWidget>

#include <string>

class CLimitEdit;
class QComboBox;
class QLabel;
class QLineEdit;

// The ZigBee network page (first configuration tab): the module's serial settings and its network
// settings. The controls are the values; the engine fills them through the setters and reads them
// with GetParamList.
class CBaseConfigDialog : public QWidget, public IParamPage {
    Q_OBJECT
  public:
    enum { kTemplateId = 129 };
    // Captions of the labels (template 129).
    enum {
        ID_BAUDRATE_LABEL = 5000,
        ID_PARITY_LABEL = 5001,
        ID_STOP_BITS_LABEL = 5002,
        ID_FLOW_CONTROL_LABEL = 5003,
        ID_DEBUG_LEVEL_LABEL = 5004,
        ID_ECHO_LABEL = 5005,
        ID_NODE_TYPE_LABEL = 5006,
        ID_CHANNEL_LABEL = 5007,
        ID_AUTO_JOIN_LABEL = 5008,
        ID_PAN_ID_LABEL = 5009,
        ID_NODE_ADDRESS_LABEL = 5010,
        ID_TRANS_ADDRESS_LABEL = 5011,
        ID_MAC_ADDRESS_LABEL = 5012,
        ID_DATA_INTERVAL_LABEL = 5013,
    };

    explicit CBaseConfigDialog(QWidget* parent = nullptr);

    void SetParam(int code, const std::string& value) override;
    void GetParamList(std::vector<SCmdItem>& list) override;
    void ClearParams() override;
    std::vector<QWidget*> ControlsOf(int code) const override;
    QString ShownText(int code, const std::string& value) const override;

    void SetBaudrate(const std::string& value);     // 6
    void SetParity(const std::string& value);       // 7
    void SetStopBits(const std::string& value);     // 8
    void SetFlowControl(const std::string& value);  // 9
    void SetDebugLevel(const std::string& value);   // 10
    void SetEchoCommand(const std::string& value);  // 11
    void SetAutoJoin(const std::string& value);     // 12
    void SetChannel(const std::string& value);      // 13
    void SetMacAddress(const std::string& value);   // 14
    void SetTransAddress(const std::string& value); // 15
    void SetPanId(const std::string& value);        // 16
    void SetNodeType(const std::string& value);     // 17
    void SetNodeAddress(const std::string& value);  // 18
    void SetDataInterval(const std::string& value); // 20

    // Controls, for the window's tests and screenshots.
    QComboBox* BaudrateList() const { return baudrateList; }
    QComboBox* ParityList() const { return parityList; }
    QComboBox* StopBitsList() const { return stopBitsList; }
    QComboBox* FlowControlList() const { return flowControlList; }
    QComboBox* DebugLevelList() const { return debugLevelList; }
    QComboBox* EchoList() const { return echoList; }
    QComboBox* NodeTypeList() const { return nodeTypeList; }
    QComboBox* ChannelList() const { return channelList; }
    QComboBox* AutoJoinList() const { return autoJoinList; }
    QComboBox* PanIdModeList() const { return panIdMode; }
    CLimitEdit* PanIdField() const { return panIdValue; }
    QComboBox* NodeAddressModeList() const { return nodeAddressMode; }
    CLimitEdit* NodeAddressField() const { return nodeAddressValue; }
    QComboBox* TransAddressModeList() const { return transAddressMode; }
    CLimitEdit* TransAddressField() const { return transAddressValue; }
    QLineEdit* MacAddressField() const { return macAddress; }
    CLimitEdit* DataIntervalField() const { return dataInterval; }

  signals:
    // The node type the operator or SetNodeType selected (0 Coordinator, 1 Routing, 2 End Device,
    // -1 none), so that the window switches the advanced page's sleep settings.
    void nodeTypeChanged(int index);

  private:
    // The list of a code (with its value offset) and its value field; either may be missing.
    struct SCodeControls {
        QComboBox* list = nullptr;
        QLineEdit* field = nullptr;
        int offset = 0;
    };
    SCodeControls CodeControls(int code) const;
    void BuildControls();
    // Value field shown for item 1 (assign) of its mode list, hidden for item 0.
    static void ApplyModeRule(const QComboBox* mode, QWidget* value);
    void ApplyNodeTypeRule();
    // 65535 selects item 0 (Random, Broadcast) and hides the field; any other value assigns it.
    static void ShowAddress(QComboBox* mode, QLineEdit* value, int address);
    // Value of an address code (0..65535), or -1 after logging an invalid text.
    static int ParseAddress(int code, const std::string& text);
    static void AppendAddress(std::vector<SCmdItem>& list, int code, const QComboBox* mode,
                              const QLineEdit* value);

    QComboBox* baudrateList = nullptr;
    QComboBox* parityList = nullptr;
    QComboBox* stopBitsList = nullptr;
    QComboBox* flowControlList = nullptr;
    QComboBox* debugLevelList = nullptr;
    QComboBox* echoList = nullptr;
    QComboBox* nodeTypeList = nullptr;
    QComboBox* channelList = nullptr;
    QComboBox* autoJoinList = nullptr;
    QComboBox* panIdMode = nullptr;
    CLimitEdit* panIdValue = nullptr;
    QComboBox* nodeAddressMode = nullptr;
    CLimitEdit* nodeAddressValue = nullptr;
    QComboBox* transAddressMode = nullptr;
    CLimitEdit* transAddressValue = nullptr;
    QLineEdit* macAddress = nullptr;
    CLimitEdit* dataInterval = nullptr;
};
