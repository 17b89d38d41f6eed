#include "CalyraDlg.h"

#include "AdvConfigDialog.h"
#include "BaseConfigDialog.h"
#include "ChangeTracker.h"
#include "ChangesButton.h"
#include "CmdConfigDialog.h"
#include "CommSettings.h"
#include "EncryptConfigDialog.h"
#include "Engine.h"
#include "EngineConsoleLink.h"
#include "IOConfigDialog.h"
#include "LanguageIndex.h"
#include "LimitEdit.h"
#include "LogFile.h"
#include "LocalDialog.h"
#include "LogPane.h"
#include "MessageBoxCustom.h"
#include "PortDoctor.h"
#include "PortNames.h"
#include "PortPinning.h"
#include "QtUiWaker.h"
#include "RemoteDialog.h"
#include "SerialErrors.h"
#include "Restart.h"
#include "TextUtil.h"
#include "UiText.h"
#include "WaitDialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kTemplate = CCalyraDlg::kTemplateId;

QPushButton* MakeButton(QWidget* parent, int id, const char* english, const char* name) {
    auto* button = new QPushButton(UiCaption(kTemplate, id, english), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}
} // namespace

CCalyraDlg::CCalyraDlg(STimings timings, QWidget* parent)
    : QWidget(parent), chooseFile([this](bool save) { return ChooseConfigFile(save); }),
      restart([] { RestartProgram(); }),
      choosePinNumber([this](const QString& device, int current) { return AskPinNumber(device, current); }) {
    waker = std::make_unique<CQtUiWaker>(dispatcher);
    engine = std::make_unique<CEngine>(*this, dispatcher, timings);
    consoleLink = std::make_unique<CEngineConsoleLink>(*engine);

    setWindowTitle(UiCaption(kTemplate, 0, "Calyra"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(240, 240, 240));
    setPalette(pal);
    setAutoFillBackground(true);

    SetMainDlg(this);
    // The range messages of the pages' fields are the program's own prompts.
    CLimitEdit::SetNoticeHandler(
        [](QWidget* owner, const QString& text) { ::CustomMessageBox(owner, text, QString(), MB_STYLE_OK); });
    progress = new CWaitDialog(this);
    BuildControls();
    RestoreSettings();
    StartLogFile();

    // The port list follows the watcher's descriptor: the event loop wakes when a device or an
    // alias comes or goes, and not at all at rest. The timer runs only while the watcher cannot
    // see everything (no inotify, no ports folder yet).
    portRefresh.setInterval(std::max(timings.portRefreshMs, kPortPollMs));
    connect(&portRefresh, &QTimer::timeout, this, &CCalyraDlg::RefreshPortList);
    if (ports.Descriptor() >= 0) {
        portNotifier = new QSocketNotifier(ports.Descriptor(), QSocketNotifier::Read, this);
        connect(portNotifier, &QSocketNotifier::activated, this, &CCalyraDlg::RefreshPortList);
    }
    RefreshPortList();

    ConnectEngine();
    AddShortcuts();
    ResetPages();
    SetPageOwner(PO_NONE);
    TellSettingsLocation();
}

CCalyraDlg::~CCalyraDlg() {
    portRefresh.stop();
    if (portNotifier) portNotifier->setEnabled(false);
    // The engine stops its worker and closes the port while the pages and the log still exist.
    consolePage->SetLink(nullptr);
    consoleLink.reset();
    engine.reset();
    waker.reset();
    CLimitEdit::SetNoticeHandler(nullptr);
    if (GetMainDlg() == this) SetMainDlg(nullptr);
    if (ProcessLog() == logFile.get()) SetProcessLog(nullptr);
}

void CCalyraDlg::StartLogFile() {
    logFile = std::make_unique<CLogFile>(DefaultLogPath());
    QString note = QString::fromStdString(FillText(Text(TXT_SETTINGS_FILE), {settings.Path()}));
    if (logFile->Open()) {
        // The first window of the process keeps the file; a second one (tests) only shares it.
        if (!ProcessLog()) SetProcessLog(logFile.get());
        note += "\n" + QString::fromStdString(FillText(Text(TXT_LOG_FILE), {logFile->Path()}));
    } else {
        note += "\n" + QString::fromStdString(FillText(Text(TXT_LOG_FILE_FAILED), {logFile->Path(), logFile->LastError()}));
    }
    logPane->SetNote(note);
}

void CCalyraDlg::TellSettingsLocation() {
    // The documented place is the working folder; anywhere else the operator is told why.
    const SSettingsLocation& where = settings.Location();
    if (where.fallback)
        AppendLog(QString::fromStdString(
            FillText(Text(TXT_SETTINGS_FALLBACK), {where.workFolder, where.reason, where.path})));
}

// ---------------------------------------------------------------------------------------------
// Controls

void CCalyraDlg::BuildControls() {
    comm = new CCommSettings(this);
    connect(comm->OpenButton(), &QPushButton::clicked, this, &CCalyraDlg::OnOpenCom);
    connect(comm, &CCommSettings::pinRequested, this, &CCalyraDlg::OnPinPort);

    auto* deviceGroup = new QGroupBox(UiCaption(kTemplate, 1054, "Device"), this);
    deviceTabs = new QTabWidget(deviceGroup);
    deviceTabs->setObjectName("deviceTabs");
    (new QVBoxLayout(deviceGroup))->addWidget(deviceTabs);

    auto* configGroup = new QGroupBox(UiCaption(kTemplate, 1056, "Config"), this);
    configTabs = new QTabWidget(configGroup);
    configTabs->setObjectName("configTabs");
    pageSourceLabel = new QLabel(configGroup);
    pageSourceLabel->setObjectName("pageSourceLabel");
    auto* configLayout = new QVBoxLayout(configGroup);
    configLayout->addWidget(pageSourceLabel);
    configLayout->addWidget(configTabs);
    BuildPages();

    collapseButton = MakeButton(this, 1057, "<<", "collapseButton");
    connect(collapseButton, &QPushButton::clicked, this, &CCalyraDlg::ToggleCollapse);

    logLine = new QFrame(this);
    logLine->setFrameShape(QFrame::VLine);
    logLine->setFrameShadow(QFrame::Sunken);
    logPane = new CLogPane(this);
    logPane->setMinimumWidth(220);

    auto* topMiddle = new QHBoxLayout;
    topMiddle->addWidget(BuildActionGroup(), 1);
    topMiddle->addWidget(BuildLanguageGroup());
    auto* middle = new QVBoxLayout;
    middle->addLayout(topMiddle);
    middle->addWidget(configGroup, 1);
    middle->addWidget(collapseButton, 0, Qt::AlignRight);

    // Extra room goes to the node list, the pages and the log, in this ratio.
    auto* body = new QHBoxLayout;
    body->addWidget(deviceGroup, 3);
    body->addLayout(middle, 4);
    body->addWidget(logLine);
    body->addWidget(logPane, 3);

    auto* root = new QVBoxLayout(this);
    root->addWidget(comm);
    root->addLayout(body, 1);
}

QSize CCalyraDlg::sizeHint() const {
    // Room for the contents, but never more than a 1280 x 720 screen leaves for the window.
    const QSize wanted = QWidget::sizeHint().expandedTo(minimumSizeHint());
    return wanted.boundedTo(QSize(kStartWidth, kStartHeight)).expandedTo(minimumSizeHint());
}

QWidget* CCalyraDlg::BuildActionGroup() {
    auto* group = new QGroupBox(UiCaption(kTemplate, 1055, "Action"), this);
    loadButton = MakeButton(group, 1008, "&Load Params", "loadButton");
    saveButton = MakeButton(group, 1010, "&Save Params", "saveButton");
    // The count of pending changes stands right beside the button that writes them, and follows
    // it in the tab order.
    changesButton = new CChangesButton(group);
    restartButton = MakeButton(group, 1012, "&Restart", "restartButton");
    factoryButton = MakeButton(group, 1013, "&Factory", "factoryButton");
    importButton = MakeButton(group, 1014, "&Import Config", "importButton");
    exportButton = MakeButton(group, 1015, "E&xport Config", "exportButton");
    auto* grid = new QGridLayout(group);
    grid->addWidget(loadButton, 0, 0);
    auto* saveRow = new QHBoxLayout;
    saveRow->setSpacing(2);
    saveRow->addWidget(saveButton, 1);
    saveRow->addWidget(changesButton);
    grid->addLayout(saveRow, 0, 1);
    grid->addWidget(restartButton, 0, 2);
    grid->addWidget(factoryButton, 1, 0);
    grid->addWidget(importButton, 1, 1);
    grid->addWidget(exportButton, 1, 2);
    return group;
}

QWidget* CCalyraDlg::BuildLanguageGroup() {
    auto* group = new QGroupBox(UiCaption(kTemplate, 1068, "Select language"), this);
    auto* label = new QLabel(UiCaption(kTemplate, ID_LANGUAGE_LABEL, "Lan&guage"), group);
    languageList = new QComboBox(group);
    languageList->setObjectName("languageList");
    languageList->addItem(UiText(165)); // index 0: Chinese
    languageList->addItem(UiText(164)); // index 1: English
    label->setBuddy(languageList);
    auto* layout = new QHBoxLayout(group);
    layout->addWidget(label);
    layout->addWidget(languageList);
    connect(languageList, &QComboBox::activated, this, &CCalyraDlg::OnLanguageSelected);
    return group;
}

void CCalyraDlg::BuildPages() {
    localPage = new CLocalDialog(deviceTabs);
    remotePage = new CRemoteDialog(deviceTabs);
    deviceTabs->addTab(localPage, UiText(166));
    deviceTabs->addTab(remotePage, UiText(167));
    deviceTabs->setCurrentIndex(0);
    connect(deviceTabs, &QTabWidget::currentChanged, this, &CCalyraDlg::OnDeviceTabChanged);

    networkPage = new CBaseConfigDialog(configTabs);
    advancedPage = new CAdvConfigDialog(configTabs);
    ioPage = new CIOConfigDialog(configTabs);
    encryptPage = new CEncryptConfigDialog(configTabs);
    consolePage = new CCmdConfigDialog(configTabs);
    configTabs->addTab(networkPage, UiText(168));
    configTabs->addTab(advancedPage, UiText(169));
    configTabs->addTab(ioPage, UiText(170));
    configTabs->addTab(encryptPage, UiText(171));
    configTabs->addTab(consolePage, UiText(172));
    configTabs->setCurrentIndex(0);

    changes = new CChangeTracker({networkPage, advancedPage, ioPage, encryptPage},
                                 [this]() -> const CResultList& { return LastReadValues(); }, this);
    for (QWidget* page : std::initializer_list<QWidget*>{networkPage, advancedPage, ioPage, encryptPage})
        changes->Watch(page);
}

void CCalyraDlg::AddShortcuts() {
    // A button's own shortcut acts only while the button is enabled, so a job's lock holds.
    const std::pair<QPushButton*, QKeySequence> keys[] = {{comm->OpenButton(), QKeySequence(Qt::CTRL | Qt::Key_O)},
                                                          {loadButton, QKeySequence(Qt::CTRL | Qt::Key_L)},
                                                          {saveButton, QKeySequence(Qt::CTRL | Qt::Key_S)}};
    for (const auto& [button, key] : keys) {
        button->setShortcut(key);
        button->setToolTip(key.toString(QKeySequence::NativeText));
    }
}

void CCalyraDlg::ConnectEngine() {
    connect(loadButton, &QPushButton::clicked, this, [this] { engine->LoadParams(); });
    connect(saveButton, &QPushButton::clicked, this, &CCalyraDlg::OnSaveParams);
    connect(changes, &CChangeTracker::pendingChanged, changesButton, &CChangesButton::SetCount);
    connect(changesButton->ShowListAction(), &QAction::triggered, this, &CCalyraDlg::OnShowChanges);
    connect(changesButton->ListBeforeWritingAction(), &QAction::toggled, this, &CCalyraDlg::SetListBeforeWriting);
    connect(changesButton->CompareAction(), &QAction::triggered, this, &CCalyraDlg::OnCompareWithFile);
    connect(changesButton->EndComparisonAction(), &QAction::triggered, this, [this] {
        changes->EndComparison();
        changesButton->SetComparing(false);
    });
    connect(restartButton, &QPushButton::clicked, this, [this] { engine->RestartModule(); });
    connect(factoryButton, &QPushButton::clicked, this, [this] { engine->FactoryReset(); });
    connect(importButton, &QPushButton::clicked, this, &CCalyraDlg::OnImportConfig);
    connect(exportButton, &QPushButton::clicked, this, &CCalyraDlg::OnExportConfig);
    connect(progress, &CWaitDialog::abortRequested, this, [this] { engine->OnJobAbort(); });
    connect(logPane, &CLogPane::displayPacketChanged, this, [this](bool on) { engine->SetDisplayPacket(on); });
    connect(logPane, &CLogPane::hexShowChanged, this, [this](bool on) { engine->SetHexShow(on); });
    // The page and view actions reach the engine synchronously, as sent messages did.
    connect(remotePage, &CRemoteDialog::nodeAction, this, &CCalyraDlg::OnNodeAction);
    consolePage->SetLink(consoleLink.get());
    connect(consolePage, &CCmdConfigDialog::noticeRequested, this,
            [this](const QString& text, const QString& caption, int style) {
                ::CustomMessageBox(consolePage, text, caption, style);
            });
    connect(networkPage, &CBaseConfigDialog::nodeTypeChanged, this,
            [this](int index) { engine->OnPageAction(index); });
    // The packet switches as restored from the settings.
    engine->SetDisplayPacket(logPane->DisplayPacket());
    engine->SetHexShow(logPane->HexShow());
}

void CCalyraDlg::RestoreSettings() {
    languageIndex = settings.Language();
    languageList->setCurrentIndex(languageIndex == 0 || languageIndex == 1 ? languageIndex : -1);
    logPane->SetDisplayPacket(settings.DisplayPacket());
    logPane->SetHexShow(settings.HexShow());
    consolePage->LoadSettings(settings.Store());
    changesButton->ListBeforeWritingAction()->setChecked(settings.ShowChangeList());
}

void CCalyraDlg::SetListBeforeWriting(bool on) {
    if (on == settings.ShowChangeList()) return;
    if (!settings.SaveShowChangeList(on)) CEngine::DebugTrace("[ERROR]", "%s", settings.LastError().c_str());
}

// ---------------------------------------------------------------------------------------------
// Port

void CCalyraDlg::OnOpenCom() {
    if (engine->IsOpen()) {
        engine->ClosePort();
        ShowPortClosed();
        return;
    }
    const SLineSettings s = comm->Settings();
    if (!engine->OpenPort(s.portNumber, s.baudRate, s.dataBits, s.parity, s.stopBits)) {
        // The reason holds the cause and, on its further lines, the fix: the log keeps it and
        // the operator sees it whole in a message.
        const std::string& reason = engine->LastErrorText();
        const QString text = UiText(226) + (reason.empty() ? QString() : " " + QString::fromStdString(reason));
        AppendLog(text);
        ::CustomMessageBox(this, text, QString(), MB_STYLE_OK);
        return;
    }
    comm->SetPortOpen(true);
    comm->OpenButton()->setText(UiText(163));
    AppendLog(UiText(225));
    AppendLog(QString::fromStdString(FormatText(
        TXT_OPENED_DEVICE, {comm->PortList()->currentText().toStdString(), engine->DevicePath()})));
    if (const std::string& note = engine->LowLatencyNote(); !note.empty())
        AppendLog(QString::fromStdString(FillText(Text(TXT_LOW_LATENCY), {engine->DevicePath(), note})));
    if (const std::string warning = ModemManagerWarning(engine->DevicePath()); !warning.empty())
        AppendLog(QString::fromStdString(warning));
}

void CCalyraDlg::OnPinPort() {
    const QString device = comm->CurrentDevice();
    const QString name = comm->CurrentName();
    if (device.isEmpty()) return;
    const unsigned current = CCommSettings::PortNumberOf(name);
    const int number = choosePinNumber(device, static_cast<int>(current));
    if (number <= 0) return;
    std::string link, error;
    if (!PinPort(static_cast<unsigned>(number), device.toStdString(), PortsFolder(), &link, &error)) {
        const QString text = QString::fromStdString(FillText(Text(TXT_PIN_FAILED), {device.toStdString(), error}));
        AppendLog(text);
        ::CustomMessageBox(this, text, QString(), MB_STYLE_OK);
        return;
    }
    AppendLog(QString::fromStdString(
        FillText(Text(TXT_PIN_DONE), {device.toStdString(), PortNameOf(unsigned(number)), link})));
    ports.Invalidate();
    appliedReads = ~0UL;
    RefreshPortList();
}

int CCalyraDlg::AskPinNumber(const QString& device, int current) {
    bool ok = false;
    const int number = QInputDialog::getInt(this, UiText(TXT_PIN_BUTTON),
                                            QString::fromStdString(FillText(Text(TXT_PIN_PROMPT), {device.toStdString()})),
                                            current > 0 ? current : 1, 1, int(kMaxPortNumber), 1, &ok);
    return ok ? number : 0;
}

void CCalyraDlg::ShowPortClosed() {
    comm->SetPortOpen(false);
    comm->OpenButton()->setText(UiText(162));
    AppendLog(UiText(224));
    // Changes seen while the port was open apply now (not while the engine itself goes).
    if (engine) RefreshPortList();
}

void CCalyraDlg::PortClosed() {
    ShowPortClosed();
}

void CCalyraDlg::RefreshPortList() {
    const std::vector<SSerInfo>& list = ports.Get();
    if (ports.NeedsPolling() != portRefresh.isActive()) {
        if (ports.NeedsPolling())
            portRefresh.start();
        else
            portRefresh.stop();
    }
    // Most ticks find nothing new: the list was not read again and the port did not open or close.
    const bool open = engine->IsOpen();
    if (ports.Reads() == appliedReads && open == appliedOpen) return;
    appliedReads = ports.Reads();
    appliedOpen = open;
    QStringList names;
    QStringList devices;
    QList<SPortItem> items;
    for (const SSerInfo& info : list) {
        names << QString::fromStdString(ListName(info));
        devices << QString::fromStdString(info.devicePath);
        // The adapter is known by its by-id name where udev gives one, which a replug keeps.
        const std::string byId = SerialByIdLink(info.devicePath);
        items.append({names.back(), devices.back(), QString::fromStdString(info.description),
                      QString::fromStdString(byId.empty() ? info.devicePath : byId)});
    }
    if (!open)
        comm->UpdatePorts(items);
    else if (comm->OpenPortVanished(names, devices, QString::fromStdString(engine->DevicePath())))
        engine->PortVanished();
}

// ---------------------------------------------------------------------------------------------
// Tabs, locks, collapse, language

void CCalyraDlg::OnDeviceTabChanged(int index) {
    LockActionButtons(index != 0);
}

void CCalyraDlg::LockActionButtons(bool lock) {
    for (QPushButton* b : {factoryButton, loadButton, saveButton, restartButton, importButton, exportButton})
        b->setEnabled(!lock);
}

void CCalyraDlg::SetJobRunning(bool running) {
    changes->Schedule(); // a job's end: what was read or written
    if (deviceTabs->currentIndex() == 0) LockActionButtons(running);
    // Only the tabs: the pages themselves stay usable while a job runs. The other tabs are
    // disabled too, so that Ctrl+Tab inside a page cannot change the page either.
    for (QTabWidget* tabs : {configTabs, deviceTabs}) {
        tabs->tabBar()->setEnabled(!running);
        for (int i = 0; i < tabs->count(); ++i)
            if (i != tabs->currentIndex()) tabs->setTabEnabled(i, !running);
    }
    comm->OpenButton()->setEnabled(!running);
    languageList->setEnabled(!running);
    // The current page stays usable, but none of its controls may start traffic of its own.
    consolePage->SetJobRunning(running);
    remotePage->SetJobRunning(running);
}

void CCalyraDlg::ToggleCollapse() {
    collapsed = !collapsed;
    collapseButton->setText(collapsed ? ">>" : "<<");
    if (collapsed) {
        // The window loses the log column and keeps the width of the other two.
        expandedSize = size();
        const int logColumn = logPane->geometry().right() - logLine->geometry().left() + 1;
        logLine->hide();
        logPane->hide();
        layout()->activate(); // the minimum without the log column
        resize(std::max(minimumSizeHint().width(), width() - logColumn), height());
    } else {
        logLine->show();
        logPane->show();
        resize(expandedSize.expandedTo(minimumSizeHint()));
    }
}

void CCalyraDlg::OnLanguageSelected(int index) {
    if (index < 0 || index == languageIndex) return;
    if (::CustomMessageBox(this, UiText(173), QString(), MB_STYLE_YESNO) != MB_RESULT_YES) {
        languageList->setCurrentIndex(languageIndex == 0 || languageIndex == 1 ? languageIndex : -1);
        return;
    }
    if (!settings.SaveLanguage(index)) {
        // The new instance would start in the old language: no restart, and the operator knows.
        const QString text = QString::fromStdString(
            FillText(Text(TXT_LANGUAGE_NOT_SAVED), {settings.Path(), settings.LastError()}));
        AppendLog(text);
        ::CustomMessageBox(this, text, QString(), MB_STYLE_OK);
        languageList->setCurrentIndex(languageIndex == 0 || languageIndex == 1 ? languageIndex : -1);
        return;
    }
    // The port closes (and the worker stops) before this instance goes.
    if (engine->IsOpen()) OnOpenCom();
    hide();
    restart();
}

// ---------------------------------------------------------------------------------------------
// Window events

void CCalyraDlg::closeEvent(QCloseEvent* event) {
    if (IsProgressShown()) {
        ::CustomMessageBox(this, UiText(270), QString(), MB_STYLE_OK);
        event->ignore();
        return;
    }
    portRefresh.stop();
    if (portNotifier) portNotifier->setEnabled(false);
    progress->hide();
    engine->ClosePort();
    SaveSettingsOnClose();
    event->accept();
}

void CCalyraDlg::SaveSettingsOnClose() {
    const bool saved =
        settings.SaveOnClose(logPane->DisplayPacket(), logPane->HexShow(),
                             [this](ISettingsStore& store) { consolePage->SaveSettings(store); });
    if (saved) return;
    const QString text =
        QString::fromStdString(FillText(Text(TXT_SETTINGS_NOT_SAVED), {settings.Path(), settings.LastError()}));
    AppendLog(text);
    ::CustomMessageBox(this, text, QString(), MB_STYLE_OK);
}

void CCalyraDlg::keyPressEvent(QKeyEvent* event) {
    // Enter reaches the focused control first and ends here: it never presses a default button
    // or closes the window. Escape never closes the window.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CCalyraDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && IsProgressShown())
        progress->ShowProgress(5);
    QWidget::changeEvent(event);
}

void CCalyraDlg::moveEvent(QMoveEvent* event) {
    if (progress) progress->CenterOverOwner();
    QWidget::moveEvent(event);
}
