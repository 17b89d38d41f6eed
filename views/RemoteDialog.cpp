#include "RemoteDialog.h"

#include "Messages.h"
#include "TextUtil.h"
#include "UiText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace {
// Repeat periods of the automatic search, in minutes.
const char* const kFrequencies[] = {"2", "3", "5", "8", "10"};

std::string CellText(const QTreeWidgetItem* row, int column) {
    return row->text(column).toStdString();
}
} // namespace

CRemoteDialog::CRemoteDialog(QWidget* parent) : QWidget(parent) {
    autoRadio = new QRadioButton(UiCaption(kTemplateId, ID_AUTO_SEARCH, "Auto Search"), this);
    manualRadio = new QRadioButton(UiCaption(kTemplateId, ID_MANUAL_SEARCH, "Manual Search"), this);
    searchButton = new QPushButton(UiCaption(kTemplateId, ID_SEARCH, "Search"), this);
    freqList = new QComboBox(this);
    for (const char* f : kFrequencies)
        freqList->addItem(QString::fromLatin1(f));
    freqList->setCurrentIndex(0);
    manualRadio->setChecked(true);

    nodeList = new QTreeWidget(this);
    nodeList->setObjectName(QString::number(ID_NODE_LIST));
    nodeList->setRootIsDecorated(false);
    nodeList->setSelectionBehavior(QAbstractItemView::SelectRows);
    nodeList->setSelectionMode(QAbstractItemView::SingleSelection);
    nodeList->setHeaderLabels({UiText(174), UiText(175), UiText(176)});
    nodeList->header()->setSectionsMovable(true);
    nodeList->setColumnWidth(COL_NAME, 80);
    nodeList->setColumnWidth(COL_ADDRESS, 80);
    nodeList->setColumnWidth(COL_MAC, 150);
    nodeList->setContextMenuPolicy(Qt::CustomContextMenu);
    BuildContextMenu();

    auto* controls = new QHBoxLayout;
    controls->addWidget(autoRadio);
    controls->addWidget(manualRadio);
    controls->addWidget(searchButton);
    controls->addWidget(new QLabel(UiCaption(kTemplateId, ID_FREQ_LABEL, "Freq"), this));
    controls->addWidget(freqList);
    controls->addWidget(new QLabel(UiCaption(kTemplateId, ID_MINUTE_LABEL, "Minute"), this));
    controls->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(nodeList, 1);

    connect(autoRadio, &QRadioButton::clicked, this, &CRemoteDialog::OnModeClicked);
    connect(manualRadio, &QRadioButton::clicked, this, &CRemoteDialog::OnModeClicked);
    connect(searchButton, &QPushButton::clicked, this, &CRemoteDialog::OnSearchClicked);
    connect(&autoTimer, &QTimer::timeout, this, &CRemoteDialog::StartAutoSearch);
    connect(&countdownTimer, &QTimer::timeout, this, &CRemoteDialog::CountdownTick);
    connect(nodeList, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { OpenContextMenu(pos); });

    OnModeClicked();
}

void CRemoteDialog::BuildContextMenu() {
    contextMenu = new QMenu(this);
    auto add = [this](int id, const char* english) {
        QAction* action = contextMenu->addAction(UiCaption(kMenuId, id, english));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { RunMenuCommand(id); });
    };
    add(IDM_LOAD, "Load params");
    add(IDM_SAVE, "Save params");
    contextMenu->addSeparator();
    add(IDM_RESTART, "Restart");
    add(IDM_FACTORY, "Factory");
    contextMenu->addSeparator();
    add(IDM_IMPORT, "Import Config");
    add(IDM_EXPORT, "Export Config");
}

int CRemoteDialog::SearchMode() const {
    return autoRadio->isChecked() ? MODE_AUTO : MODE_MANUAL;
}

void CRemoteDialog::SetRadiosEnabled(bool on) {
    autoRadio->setEnabled(on);
    manualRadio->setEnabled(on);
}

void CRemoteDialog::SetJobRunning(bool running) {
    jobRunning = running;
    if (running) contextMenu->close();
    UpdateSearchControls();
}

void CRemoteDialog::UpdateSearchControls() {
    const bool idle = !jobRunning && !IsSearching();
    searchButton->setEnabled(idle && SearchMode() == MODE_MANUAL);
    SetRadiosEnabled(idle);
}

void CRemoteDialog::OnModeClicked() {
    const bool manual = SearchMode() == MODE_MANUAL;
    searchButton->setEnabled(manual);
    if (manual) {
        autoTimer.stop();
        countdownTimer.stop();
    } else {
        StartAutoSearch();
    }
}

void CRemoteDialog::BeginCountdown() {
    // A search started while another one counts down gets its full time.
    countdown = 0;
    countdownTimer.start(tickPeriod);
}

void CRemoteDialog::StartAutoSearch() {
    if (jobRunning) return; // the timer stays armed: the next period searches
    autoTimer.stop();
    countdownTimer.stop();
    const long long minutes = DecimalValue(freqList->currentText().toStdString());
    autoTimer.start(static_cast<int>(std::clamp<long long>(minutes * minuteLength, 0, INT_MAX)));
    SetRadiosEnabled(false);
    nodeList->clear();
    BeginCountdown();
    emit nodeAction(NA_SEARCH, 0);
}

void CRemoteDialog::OnSearchClicked() {
    if (jobRunning) return;
    nodeList->clear();
    searchButton->setEnabled(false);
    SetRadiosEnabled(false);
    BeginCountdown();
    emit nodeAction(NA_SEARCH, 0);
}

void CRemoteDialog::CountdownTick() {
    ++countdown;
    const int remaining = kSearchSeconds - countdown;
    searchButton->setText(QString::fromStdString(Format("%ds", remaining)));
    if (remaining <= 0) EndSearch();
}

void CRemoteDialog::EndSearch() {
    countdownTimer.stop();
    UpdateSearchControls();
    searchButton->setText(UiText(257));
    countdown = 0;
}

void CRemoteDialog::StopAutoSearch() {
    autoTimer.stop();
}

QString CRemoteDialog::StatusText(long long status) {
    static const char* const texts[] = {"正常",           "未进入网络",           "网络中不存在该地址",
                                        "对方设备未回应", "对方设备未开启此管脚", "无效的值"};
    if (status < 0 || status > 5) return {};
    return QString::fromUtf8(texts[status]);
}

QString CRemoteDialog::NodeTypeText(long long nodeType) {
    static const char* const texts[] = {"协调器", "路由设备", "终端设备"};
    if (nodeType < 0 || nodeType > 2) return {};
    return QString::fromUtf8(texts[nodeType]);
}

void CRemoteDialog::AddNode(const std::string& address, const std::string& status, const std::string& mac,
                            const std::string& nodeType) {
    if (DecimalValue(address) == ownAddress) return;
    if (StatusText(DecimalValue(status)).isEmpty()) return;
    if (NodeTypeText(DecimalValue(nodeType)).isEmpty()) return;
    for (int i = 0; i < nodeList->topLevelItemCount(); ++i)
        if (EqualsNoCase(CellText(nodeList->topLevelItem(i), COL_MAC), mac)) return;
    const int rows = nodeList->topLevelItemCount();
    auto* row = new QTreeWidgetItem;
    row->setText(COL_NAME, QString::fromStdString(Format("Device%d", rows + 1)));
    row->setText(COL_ADDRESS, QString::fromStdString(address));
    row->setText(COL_MAC, QString::fromStdString(mac));
    nodeList->addTopLevelItem(row);
}

QTreeWidgetItem* CRemoteDialog::MarkedRow() const {
    return nodeList->currentItem();
}

long CRemoteDialog::RowAddress(const QTreeWidgetItem* row) const {
    return row ? static_cast<long>(DecimalValue(CellText(row, COL_ADDRESS))) : 0;
}

void CRemoteDialog::RememberNewAddress(const std::string& newAddress) {
    const QTreeWidgetItem* row = MarkedRow();
    if (!row) return;
    const std::string key = CellText(row, COL_ADDRESS);
    for (auto& change : addressChanges)
        if (EqualsNoCase(change.first, key)) {
            change.second = newAddress;
            return;
        }
    addressChanges.emplace_back(key, newAddress);
}

bool CRemoteDialog::OpenContextMenu(const QPoint& pos) {
    QTreeWidgetItem* row = nodeList->itemAt(pos);
    if (!row || jobRunning) return false;
    nodeList->setCurrentItem(row);
    contextMenu->popup(nodeList->viewport()->mapToGlobal(pos));
    return true;
}

void CRemoteDialog::RunMenuCommand(int itemId) {
    if (jobRunning) return;
    QTreeWidgetItem* row = MarkedRow();
    const long address = RowAddress(row);
    // The window handles the action synchronously and may call back into the page meanwhile,
    // so a row is found again by its index and address text before it is changed.
    const int rowIndex = row ? nodeList->indexOfTopLevelItem(row) : -1;
    const QString addressText = row ? row->text(COL_ADDRESS) : QString();
    switch (itemId) {
    case IDM_LOAD:
        emit nodeAction(NA_READ, address);
        break;
    case IDM_SAVE:
        emit nodeAction(NA_WRITE, address);
        break;
    case IDM_RESTART:
        emit nodeAction(NA_RESTART, address);
        if (row) ApplyRestartToRow(rowIndex, addressText);
        break;
    case IDM_FACTORY:
        emit nodeAction(NA_FACTORY, address);
        if (QTreeWidgetItem* same = nodeList->topLevelItem(rowIndex);
            same && same->text(COL_ADDRESS) == addressText)
            delete same;
        break;
    case IDM_IMPORT:
        emit nodeAction(NA_IMPORT, 0);
        break;
    case IDM_EXPORT:
        emit nodeAction(NA_EXPORT, 0);
        break;
    default:
        break;
    }
}

void CRemoteDialog::ApplyRestartToRow(int rowIndex, const QString& addressText) {
    const std::string key = addressText.toStdString();
    auto change = std::find_if(addressChanges.begin(), addressChanges.end(),
                               [&key](const auto& c) { return EqualsNoCase(c.first, key); });
    if (change == addressChanges.end()) return;
    const std::string newAddress = change->second;
    // The restart consumes the change whatever it was, so a later module that happens to carry the
    // old address is never renamed or removed by it.
    addressChanges.erase(change);
    QTreeWidgetItem* row = nodeList->topLevelItem(rowIndex);
    if (!row || row->text(COL_ADDRESS) != addressText) return;
    if (DecimalValue(newAddress) == kRandomAddress)
        delete row;
    else
        row->setText(COL_ADDRESS, QString::fromStdString(newAddress));
}
