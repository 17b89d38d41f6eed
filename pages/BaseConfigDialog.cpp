#include "BaseConfigDialog.h"

#include "LimitEdit.h"
#include "PageValues.h"
#include "ParamCatalogue.h"
#include "ParseDecimal.h"
#include "UiText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
constexpr int kChannelOffset = 11; // the channel list shows 11..26; its AT value is index + 11
constexpr int kAddressRandom = 65535;

// Keeps a hidden value field's place, so the column does not move when a mode changes.
void KeepPlaceWhenHidden(QWidget* w) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

struct SSetter {
    int code;
    void (CBaseConfigDialog::*set)(const std::string&);
};
const SSetter kSetters[] = {
    {PT_IPR, &CBaseConfigDialog::SetBaudrate},    {PT_PAR, &CBaseConfigDialog::SetParity},
    {PT_STO, &CBaseConfigDialog::SetStopBits},    {PT_UFC, &CBaseConfigDialog::SetFlowControl},
    {PT_DBL, &CBaseConfigDialog::SetDebugLevel},  {PT_ECH, &CBaseConfigDialog::SetEchoCommand},
    {PT_AST, &CBaseConfigDialog::SetAutoJoin},    {PT_CHA, &CBaseConfigDialog::SetChannel},
    {PT_MID, &CBaseConfigDialog::SetMacAddress},  {PT_TID, &CBaseConfigDialog::SetTransAddress},
    {PT_PID, &CBaseConfigDialog::SetPanId},       {PT_TYP, &CBaseConfigDialog::SetNodeType},
    {PT_NID, &CBaseConfigDialog::SetNodeAddress}, {PT_ITV, &CBaseConfigDialog::SetDataInterval},
};
} // namespace

CBaseConfigDialog::CBaseConfigDialog(QWidget* parent) : QWidget(parent) {
    BuildControls();
    // All three value fields start hidden (item 0 selected); the node type rule is not applied
    // here, so the node address controls start enabled although Coordinator is selected.
    ApplyModeRule(panIdMode, panIdValue);
    ApplyModeRule(nodeAddressMode, nodeAddressValue);
    ApplyModeRule(transAddressMode, transAddressValue);
}

void CBaseConfigDialog::BuildControls() {
    baudrateList = new QComboBox(this);
    baudrateList->addItems(
        {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"});
    parityList = MakeList(this, {177, 179, 178}); // None, Even, Odd: index 1 is Even
    stopBitsList = MakeList(this, {180, 181});
    flowControlList = MakeList(this, {260, 261});
    debugLevelList = new QComboBox(this);
    debugLevelList->addItems({"0", "1", "2"});
    echoList = MakeList(this, {182, 183});
    nodeTypeList = MakeList(this, {186, 187, 188});
    channelList = new QComboBox(this);
    for (int channel = 11; channel <= 26; ++channel)
        channelList->addItem(QString::number(channel));
    autoJoinList = MakeList(this, {191, 192});
    panIdMode = MakeList(this, {184, 185});
    nodeAddressMode = MakeList(this, {189, 190});
    transAddressMode = MakeList(this, {262, 263});

    panIdValue = MakeNumberField(this, PT_PID, 0, 65531);
    panIdValue->setText("0");
    nodeAddressValue = MakeNumberField(this, PT_NID, 1, 65527);
    transAddressValue = MakeNumberField(this, PT_TID, 0, 65527);
    dataInterval = MakeNumberField(this, PT_ITV, 6, 1980);
    macAddress = new QLineEdit(this);
    macAddress->setReadOnly(true);
    for (QWidget* w : {static_cast<QWidget*>(panIdValue), static_cast<QWidget*>(nodeAddressValue),
                       static_cast<QWidget*>(transAddressValue)}) {
        KeepPlaceWhenHidden(w);
    }

    const auto label = [this](int id, const char* english) {
        return new QLabel(UiCaption(kTemplateId, id, english), this);
    };

    auto* left = new QGridLayout;
    const std::pair<QLabel*, QComboBox*> leftRows[] = {
        {label(ID_BAUDRATE_LABEL, "COM Buadrate"), baudrateList},
        {label(ID_PARITY_LABEL, "Parity Bit"), parityList},
        {label(ID_STOP_BITS_LABEL, "Stop Bits"), stopBitsList},
        {label(ID_FLOW_CONTROL_LABEL, "Hardware Flow Control"), flowControlList},
        {label(ID_DEBUG_LEVEL_LABEL, "Debug Level"), debugLevelList},
        {label(ID_ECHO_LABEL, "Echo AT Command"), echoList},
        {label(ID_NODE_TYPE_LABEL, "Node Type"), nodeTypeList},
        {label(ID_CHANNEL_LABEL, "Physical Channel"), channelList},
        {label(ID_AUTO_JOIN_LABEL, "Auto Join Network After Reset"), autoJoinList},
    };
    int row = 0;
    for (const auto& [caption, list] : leftRows) {
        left->addWidget(caption, row, 0);
        left->addWidget(list, row, 1);
        ++row;
    }
    left->setRowStretch(row, 1);

    auto* right = new QGridLayout;
    const std::tuple<QLabel*, QComboBox*, QLineEdit*> addressRows[] = {
        {label(ID_PAN_ID_LABEL, "PAN ID"), panIdMode, panIdValue},
        {label(ID_NODE_ADDRESS_LABEL, "Node Address"), nodeAddressMode, nodeAddressValue},
        {label(ID_TRANS_ADDRESS_LABEL, "Trans Address"), transAddressMode, transAddressValue},
    };
    row = 0;
    for (const auto& [caption, mode, value] : addressRows) {
        right->addWidget(caption, row, 0);
        right->addWidget(mode, row, 1);
        right->addWidget(value, row, 2);
        ++row;
    }
    // The long captions of the MAC address and the data interval run under the mode lists; every
    // value field lines up in the last column, wide enough for the 16 characters of a MAC address.
    right->addWidget(label(ID_MAC_ADDRESS_LABEL, "MAC Address"), row, 0, 1, 2);
    right->addWidget(macAddress, row++, 2);
    right->addWidget(label(ID_DATA_INTERVAL_LABEL, "Data Interval(6-1980,Default:20 ms)"), row, 0, 1, 2);
    right->addWidget(dataInterval, row++, 2);
    right->setColumnMinimumWidth(2, macAddress->fontMetrics().horizontalAdvance("0123456789ABCDEF") + 16);
    right->setRowStretch(row, 1);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left);
    columns->addSpacing(16);
    columns->addLayout(right, 1);

    connect(panIdMode, &QComboBox::activated, this, [this] { ApplyModeRule(panIdMode, panIdValue); });
    connect(nodeAddressMode, &QComboBox::activated, this,
            [this] { ApplyModeRule(nodeAddressMode, nodeAddressValue); });
    connect(transAddressMode, &QComboBox::activated, this,
            [this] { ApplyModeRule(transAddressMode, transAddressValue); });
    connect(nodeTypeList, &QComboBox::activated, this, &CBaseConfigDialog::ApplyNodeTypeRule);
}

void CBaseConfigDialog::ApplyModeRule(const QComboBox* mode, QWidget* value) {
    if (mode->currentIndex() < 0) return;
    value->setVisible(mode->currentIndex() == 1);
}

void CBaseConfigDialog::ApplyNodeTypeRule() {
    const int index = nodeTypeList->currentIndex();
    // A coordinator always has the node address 0: nothing to choose.
    nodeAddressMode->setEnabled(index != 0);
    nodeAddressValue->setEnabled(index != 0);
    emit nodeTypeChanged(index);
}

// ---------------------------------------------------------------------------------------------
// Setters

void CBaseConfigDialog::SetParam(int code, const std::string& value) {
    for (const SSetter& s : kSetters)
        if (s.code == code) return (this->*s.set)(value);
}

void CBaseConfigDialog::SetBaudrate(const std::string& value) {
    SelectListValue(baudrateList, PT_IPR, value);
}
void CBaseConfigDialog::SetParity(const std::string& value) {
    SelectListValue(parityList, PT_PAR, value);
}
void CBaseConfigDialog::SetStopBits(const std::string& value) {
    SelectListValue(stopBitsList, PT_STO, value);
}
void CBaseConfigDialog::SetFlowControl(const std::string& value) {
    SelectListValue(flowControlList, PT_UFC, value);
}
void CBaseConfigDialog::SetDebugLevel(const std::string& value) {
    SelectListValue(debugLevelList, PT_DBL, value);
}
void CBaseConfigDialog::SetEchoCommand(const std::string& value) {
    SelectListValue(echoList, PT_ECH, value);
}
void CBaseConfigDialog::SetAutoJoin(const std::string& value) {
    SelectListValue(autoJoinList, PT_AST, value);
}
void CBaseConfigDialog::SetChannel(const std::string& value) {
    SelectListValue(channelList, PT_CHA, value, kChannelOffset);
}

void CBaseConfigDialog::SetMacAddress(const std::string& value) {
    if (value.size() != 16) {
        LogInvalidValue(PT_MID);
        return;
    }
    macAddress->setText(QString::fromStdString(value));
}

void CBaseConfigDialog::SetNodeType(const std::string& value) {
    if (SelectListValue(nodeTypeList, PT_TYP, value)) ApplyNodeTypeRule();
}

void CBaseConfigDialog::SetDataInterval(const std::string& value) {
    SetFieldValue(dataInterval, PT_ITV, value, 6, 1980);
}

int CBaseConfigDialog::ParseAddress(int code, const std::string& text) {
    const int address = ParseDecimal(text);
    if (address < 0 || address > 65535) {
        LogInvalidValue(code);
        return -1;
    }
    return address;
}

void CBaseConfigDialog::ShowAddress(QComboBox* mode, QLineEdit* value, int address) {
    // A module value is shown as it is, also outside the field's own typing bounds.
    const bool random = address == kAddressRandom;
    mode->setCurrentIndex(random ? 0 : 1);
    value->setVisible(!random);
    if (!random) value->setText(QString::number(address));
}

void CBaseConfigDialog::SetPanId(const std::string& value) {
    const int address = ParseAddress(PT_PID, value);
    if (address >= 0) ShowAddress(panIdMode, panIdValue, address);
}

void CBaseConfigDialog::SetTransAddress(const std::string& value) {
    const int address = ParseAddress(PT_TID, value);
    if (address >= 0) ShowAddress(transAddressMode, transAddressValue, address);
}

void CBaseConfigDialog::SetNodeAddress(const std::string& value) {
    const int address = ParseAddress(PT_NID, value);
    if (address < 0) return;
    if (nodeTypeList->currentIndex() == 0)
        nodeAddressValue->setText("0"); // a coordinator's own address
    else
        ShowAddress(nodeAddressMode, nodeAddressValue, address);
}

// ---------------------------------------------------------------------------------------------
// Values out

void CBaseConfigDialog::AppendAddress(std::vector<SCmdItem>& list, int code, const QComboBox* mode,
                                      const QLineEdit* value) {
    if (mode->currentIndex() == 0)
        list.push_back(MakeValueRecord(code, std::to_string(kAddressRandom)));
    else if (mode->currentIndex() == 1)
        list.push_back(MakeValueRecord(code, value->text().toStdString()));
}

void CBaseConfigDialog::GetParamList(std::vector<SCmdItem>& list) {
    AppendSelection(list, PT_IPR, baudrateList);
    AppendSelection(list, PT_PAR, parityList);
    AppendSelection(list, PT_STO, stopBitsList);
    AppendSelection(list, PT_UFC, flowControlList);
    AppendSelection(list, PT_ECH, echoList);
    AppendSelection(list, PT_DBL, debugLevelList);
    AppendSelection(list, PT_TYP, nodeTypeList);
    AppendSelection(list, PT_AST, autoJoinList);
    AppendSelection(list, PT_CHA, channelList, kChannelOffset);
    AppendTrimmedText(list, PT_ITV, dataInterval);
    AppendAddress(list, PT_PID, panIdMode, panIdValue);
    AppendAddress(list, PT_TID, transAddressMode, transAddressValue);
    // A coordinator's node address is fixed: it is written only for a router or an end device.
    if (nodeTypeList->currentIndex() > 0) AppendAddress(list, PT_NID, nodeAddressMode, nodeAddressValue);
}

void CBaseConfigDialog::ClearParams() {
    for (QComboBox* list :
         {baudrateList, parityList, stopBitsList, flowControlList, debugLevelList, echoList, nodeTypeList,
          channelList, autoJoinList, panIdMode, nodeAddressMode, transAddressMode})
        list->setCurrentIndex(-1);
    for (QLineEdit* field :
         {static_cast<QLineEdit*>(dataInterval), macAddress, static_cast<QLineEdit*>(nodeAddressValue),
          static_cast<QLineEdit*>(panIdValue), static_cast<QLineEdit*>(transAddressValue)})
        field->clear();
}

// ---------------------------------------------------------------------------------------------
// Controls of a code

CBaseConfigDialog::SCodeControls CBaseConfigDialog::CodeControls(int code) const {
    switch (code) {
    case PT_IPR: return {baudrateList};
    case PT_PAR: return {parityList};
    case PT_STO: return {stopBitsList};
    case PT_UFC: return {flowControlList};
    case PT_DBL: return {debugLevelList};
    case PT_ECH: return {echoList};
    case PT_AST: return {autoJoinList};
    case PT_CHA: return {channelList, nullptr, kChannelOffset};
    case PT_MID: return {nullptr, macAddress};
    case PT_TID: return {transAddressMode, transAddressValue};
    case PT_PID: return {panIdMode, panIdValue};
    case PT_TYP: return {nodeTypeList};
    case PT_NID: return {nodeAddressMode, nodeAddressValue};
    case PT_ITV: return {nullptr, dataInterval};
    default: return {};
    }
}

std::vector<QWidget*> CBaseConfigDialog::ControlsOf(int code) const {
    const SCodeControls c = CodeControls(code);
    std::vector<QWidget*> out;
    if (c.list) out.push_back(c.list);
    if (c.field) out.push_back(c.field);
    return out;
}

QString CBaseConfigDialog::ShownText(int code, const std::string& value) const {
    const SCodeControls c = CodeControls(code);
    if (c.list && c.field) // an address: Random or Broadcast, else the number
        return ParseDecimal(value) == kAddressRandom ? c.list->itemText(0) : QString::fromStdString(value);
    if (c.list) return ListItemText(c.list, value, c.offset);
    return QString::fromStdString(value);
}
