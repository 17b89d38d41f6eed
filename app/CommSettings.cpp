#include "CommSettings.h"

#include "TextUtil.h"
#include "UiText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QAbstractItemView>
#include <QPushButton>
#include <QStyledItemDelegate>

#include <algorithm>
#include <climits>

namespace {
constexpr int kTemplate = 102;
const QStringList kBaudRates = {"300",  "600",   "1200",  "2400",  "4800",
                                "9600", "19200", "38400", "57600", "115200"};
const QStringList kDataBits = {"5", "6", "7", "8"};
const QStringList kStopBits = {"1", "1.5", "2"};
const QStringList kParities = {"None", "Odd", "Even", "Mark", "Space"};

QComboBox* MakeList(QWidget* parent, const char* name, const QStringList& items) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(items);
    return list;
}

int IndexOfNoCase(const QStringList& names, const QString& name) {
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}
bool ContainsNoCase(const QStringList& names, const QString& name) {
    return IndexOfNoCase(names, name) >= 0;
}

// The open list shows each COM name with its adapter and device; the entry's text stays the
// COM name, which the port number is taken from.
class CPortItemDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString label = index.data(CCommSettings::ROLE_LABEL).toString();
        if (!label.isEmpty()) option->text += "   " + label;
    }
};
} // namespace

CCommSettings::CCommSettings(QWidget* parent)
    : QGroupBox(UiCaption(kTemplate, 1047, "Communication Setting"), parent) {
    portList = MakeList(this, "comList", {});
    portList->setMinimumContentsLength(6);
    modeList = MakeList(this, "configModeList", {UiText(149), UiText(150)});
    baudList = MakeList(this, "baudList", kBaudRates);
    dataBitsList = MakeList(this, "dataBitsList", kDataBits);
    stopBitsList = MakeList(this, "stopBitsList", kStopBits);
    parityList = MakeList(this, "parityList", kParities);
    openButton = new QPushButton(UiCaption(kTemplate, 1005, "Open COM"), this);
    openButton->setObjectName("openButton");
    portList->setItemDelegate(new CPortItemDelegate(portList));
    portList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    pinButton = new QPushButton(UiText(TXT_PIN_BUTTON), this);
    pinButton->setObjectName("pinButton");
    pinButton->setToolTip(UiText(TXT_PIN_TOOLTIP));
    pinButton->setAutoDefault(false);
    connect(pinButton, &QPushButton::clicked, this, &CCommSettings::pinRequested);

    auto* layout = new QHBoxLayout(this);
    const std::pair<int, const char*> labels[] = {{1048, "&COM"},       {1049, "Config &Mode"},
                                                  {1050, "&Baudrate"},  {1051, "&Data Bits"},
                                                  {1052, "S&top Bits"}, {1053, "&Parity Bit"}};
    QComboBox* lists[] = {portList, modeList, baudList, dataBitsList, stopBitsList, parityList};
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(UiCaption(kTemplate, labels[i].first, labels[i].second), this);
        label->setBuddy(lists[i]);
        layout->addWidget(label);
        layout->addWidget(lists[i]);
        if (i == 0) layout->addWidget(pinButton);
    }
    layout->addStretch(1);
    layout->addWidget(openButton);

    ApplyConfigMode(MODE_DEFAULT);
    connect(modeList, &QComboBox::currentIndexChanged, this, &CCommSettings::ApplyConfigMode);
    connect(portList, &QComboBox::currentIndexChanged, this, &CCommSettings::ShowCurrentTooltip);
}

QString CCommSettings::CurrentDevice() const {
    return portList->currentData(ROLE_DEVICE).toString();
}

QString CCommSettings::CurrentName() const {
    return portList->currentText();
}

void CCommSettings::ShowCurrentTooltip() {
    const QString label = portList->currentData(ROLE_LABEL).toString();
    const QString tip = label.isEmpty() ? portList->currentData(Qt::ToolTipRole).toString() : label;
    if (portList->toolTip() != tip) portList->setToolTip(tip);
}

unsigned CCommSettings::PortNumberOf(const QString& name) {
    if (name.size() < 4) return 0;
    const long long value = DecimalValue(name.mid(3).toStdString());
    return value > 0 && value <= UINT_MAX ? static_cast<unsigned>(value) : 0;
}

SLineSettings CCommSettings::Settings() const {
    SLineSettings s;
    s.portNumber = PortNumberOf(portList->currentText());
    s.baudRate = static_cast<unsigned>(DecimalValue(baudList->currentText().toStdString()));
    s.dataBits = static_cast<int>(DecimalValue(dataBitsList->currentText().toStdString()));
    s.stopBits = stopBitsList->currentIndex();
    s.parity = parityList->currentIndex();
    return s;
}

int CCommSettings::ConfigModeIndex() const {
    return modeList->currentIndex();
}

void CCommSettings::SetConfigMode(int index) {
    modeList->setCurrentIndex(index);
    ApplyConfigMode(index);
}

void CCommSettings::ApplyConfigMode(int index) {
    if (index != MODE_CUSTOM) {
        // Default mode: the module's factory line settings.
        baudList->setCurrentIndex(baudList->count() - 1);
        dataBitsList->setCurrentIndex(dataBitsList->count() - 1);
        stopBitsList->setCurrentIndex(0);
        parityList->setCurrentIndex(0);
    }
    UpdateEnabled();
}

void CCommSettings::SetPortOpen(bool open) {
    portOpen = open;
    UpdateEnabled();
}

void CCommSettings::UpdateEnabled() {
    const bool lineSettings = !portOpen && modeList->currentIndex() == MODE_CUSTOM;
    portList->setEnabled(!portOpen);
    modeList->setEnabled(!portOpen);
    for (QComboBox* list : {baudList, dataBitsList, stopBitsList, parityList})
        list->setEnabled(lineSettings);
}

bool CCommSettings::UpdatePorts(const QStringList& names, const QStringList& tooltips) {
    QList<SPortItem> ports;
    for (int i = 0; i < names.size(); ++i)
        ports.append({names[i], i < tooltips.size() ? tooltips[i] : QString(), QString(), QString()});
    return UpdatePorts(ports);
}

bool CCommSettings::UpdatePorts(const QList<SPortItem>& ports) {
    QStringList names;
    for (const SPortItem& p : ports)
        names << p.name;
    bool rebuild = portList->count() != names.size();
    for (int i = 0; !rebuild && i < portList->count(); ++i)
        rebuild = !ContainsNoCase(names, portList->itemText(i));
    if (rebuild) {
        // The adapter that was selected stays selected under whatever number it has now.
        const QString selected = portList->currentData(ROLE_IDENTITY).toString();
        portList->clear();
        portList->addItems(names);
        int keep = 0;
        for (int i = 0; i < ports.size() && !selected.isEmpty(); ++i)
            if (ports[i].identity == selected) keep = i;
        if (!names.isEmpty()) portList->setCurrentIndex(keep);
    }
    for (int i = 0; i < portList->count(); ++i) {
        const int at = IndexOfNoCase(names, portList->itemText(i));
        const SPortItem item = at >= 0 ? ports[at] : SPortItem{};
        const std::pair<int, QString> roles[] = {{Qt::ToolTipRole, item.device},
                                                 {ROLE_DEVICE, item.device},
                                                 {ROLE_LABEL, item.label},
                                                 {ROLE_IDENTITY, item.identity}};
        for (const auto& [role, value] : roles)
            if (portList->itemData(i, role).toString() != value) portList->setItemData(i, value, role);
    }
    // The open list is as wide as its longest entry with its label.
    int widest = 0;
    for (const SPortItem& p : ports)
        widest = std::max(widest, portList->fontMetrics().horizontalAdvance(p.name + "   " + p.label));
    portList->view()->setMinimumWidth(widest + 32);
    ShowCurrentTooltip();
    return rebuild;
}

bool CCommSettings::OpenPortVanished(const QStringList& names, const QStringList& devices,
                                     const QString& openedDevice) const {
    if (portList->count() == 0) return false;
    const int at = IndexOfNoCase(names, portList->currentText());
    if (at < 0) return true;
    return !openedDevice.isEmpty() && at < devices.size() && devices[at] != openedDevice;
}
