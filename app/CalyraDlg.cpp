#include "CalyraDlg.h"

#include "AdvConfigDialog.h"
#include "BaseConfigDialog.h"
#include "CmdConfigDialog.h"
#include "CommSettings.h"
#include "EncryptConfigDialog.h"
#include "Engine.h"
#include "EngineConsoleLink.h"
#include "IOConfigDialog.h"
#include "LanguageIndex.h"
#include "LimitEdit.h"
#include "LocalDialog.h"
#include "LogPane.h"
#include "MessageBoxCustom.h"
#include "QtUiWaker.h"
#include "RemoteDialog.h"
#include "Restart.h"
#include "TextUtil.h"
#include "UiText.h"
#include "WaitDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

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
      restart([] { RestartProgram(); }) {
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

    portRefresh.setInterval(timings.portRefreshMs);
    connect(&portRefresh, &QTimer::timeout, this, &CCalyraDlg::RefreshPortList);
    RefreshPortList();
    portRefresh.start();

    ConnectEngine();
    ResetPages();
    SetPageOwner(PO_NONE);
}

CCalyraDlg::~CCalyraDlg() {
    portRefresh.stop();
    // The engine stops its worker and closes the port while the pages and the log still exist.
    consolePage->SetLink(nullptr);
    consoleLink.reset();
    engine.reset();
    waker.reset();
    CLimitEdit::SetNoticeHandler(nullptr);
    if (GetMainDlg() == this) SetMainDlg(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Controls

void CCalyraDlg::BuildControls() {
    comm = new CCommSettings(this);
    connect(comm->OpenButton(), &QPushButton::clicked, this, &CCalyraDlg::OnOpenCom);

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
    logPane->setMinimumWidth(330);

    auto* topMiddle = new QHBoxLayout;
    topMiddle->addWidget(BuildActionGroup(), 1);
    topMiddle->addWidget(BuildLanguageGroup());
    auto* middle = new QVBoxLayout;
    middle->addLayout(topMiddle);
    middle->addWidget(configGroup, 1);
    middle->addWidget(collapseButton, 0, Qt::AlignRight);

    auto* body = new QHBoxLayout;
    body->addWidget(deviceGroup);
    body->addLayout(middle, 1);
    body->addWidget(logLine);
    body->addWidget(logPane);

    auto* root = new QVBoxLayout(this);
    root->addWidget(comm);
    root->addLayout(body, 1);
    // The window cannot be resized: it takes the size of its contents, also when collapsed.
    root->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* CCalyraDlg::BuildActionGroup() {
    auto* group = new QGroupBox(UiCaption(kTemplate, 1055, "Action"), this);
    loadButton = MakeButton(group, 1008, "Load Params", "loadButton");
    saveButton = MakeButton(group, 1010, "Save Params", "saveButton");
    restartButton = MakeButton(group, 1012, "Restart", "restartButton");
    factoryButton = MakeButton(group, 1013, "Factory", "factoryButton");
    importButton = MakeButton(group, 1014, "Import Config", "importButton");
    exportButton = MakeButton(group, 1015, "Export Config", "exportButton");
    auto* grid = new QGridLayout(group);
    grid->addWidget(loadButton, 0, 0);
    grid->addWidget(saveButton, 0, 1);
    grid->addWidget(restartButton, 0, 2);
    grid->addWidget(factoryButton, 1, 0);
    grid->addWidget(importButton, 1, 1);
    grid->addWidget(exportButton, 1, 2);
    return group;
}

QWidget* CCalyraDlg::BuildLanguageGroup() {
    auto* group = new QGroupBox(UiCaption(kTemplate, 1068, "Select language"), this);
    auto* label = new QLabel(UiCaption(kTemplate, ID_LANGUAGE_LABEL, "Language"), group);
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
}

void CCalyraDlg::ConnectEngine() {
    connect(loadButton, &QPushButton::clicked, this, [this] { engine->LoadParams(); });
    connect(saveButton, &QPushButton::clicked, this, &CCalyraDlg::OnSaveParams);
    connect(restartButton, &QPushButton::clicked, this, [this] { engine->RestartModule(); });
    connect(factoryButton, &QPushButton::clicked, this, [this] { engine->FactoryReset(); });
    connect(importButton, &QPushButton::clicked, this, &CCalyraDlg::OnImportConfig);
    connect(exportButton, &QPushButton::clicked, this, &CCalyraDlg::OnExportConfig);
    connect(progress, &CWaitDialog::abortRequested, this, [this] { engine->OnJobAbort(); });
    connect(logPane, &CLogPane::displayPacketChanged, this, [this](bool on) { engine->SetDisplayPacket(on); });
    connect(logPane, &CLogPane::hexShowChanged, this, [this](bool on) { engine->SetHexShow(on); });
    // The page and view actions reach the engine synchronously, as sent messages did.
    connect(remotePage, &CRemoteDialog::nodeAction, this,
            [this](int action, long value) { engine->OnNodeAction(action, value); });
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
        const std::string& reason = engine->LastErrorText();
        AppendLog(UiText(226) + (reason.empty() ? QString() : " " + QString::fromStdString(reason)));
        return;
    }
    comm->SetPortOpen(true);
    comm->OpenButton()->setText(UiText(163));
    AppendLog(UiText(225));
    AppendLog(QString::fromStdString(Format(Text(TXT_OPENED_DEVICE).c_str(),
                                            comm->PortList()->currentText().toStdString().c_str(),
                                            engine->DevicePath().c_str())));
}

void CCalyraDlg::ShowPortClosed() {
    comm->SetPortOpen(false);
    comm->OpenButton()->setText(UiText(162));
    AppendLog(UiText(224));
}

void CCalyraDlg::PortClosed() {
    ShowPortClosed();
}

void CCalyraDlg::RefreshPortList() {
    const std::vector<SSerInfo>& list = ports.Get();
    // Most ticks find nothing new: the list was not read again and the port did not open or close.
    const bool open = engine->IsOpen();
    if (ports.Reads() == appliedReads && open == appliedOpen) return;
    appliedReads = ports.Reads();
    appliedOpen = open;
    QStringList names;
    QStringList devices;
    for (const SSerInfo& info : list) {
        names << QString::fromStdString(ListName(info));
        devices << QString::fromStdString(info.devicePath);
    }
    if (!open)
        comm->UpdatePorts(names, devices);
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
    logLine->setVisible(!collapsed);
    logPane->setVisible(!collapsed);
    collapseButton->setText(collapsed ? ">>" : "<<");
}

void CCalyraDlg::OnLanguageSelected(int index) {
    if (index < 0 || index == languageIndex) return;
    if (::CustomMessageBox(this, UiText(173), QString(), MB_STYLE_YESNO) != MB_RESULT_YES) {
        languageList->setCurrentIndex(languageIndex == 0 || languageIndex == 1 ? languageIndex : -1);
        return;
    }
    if (!settings.SaveLanguage(index)) CEngine::DebugTrace("[ERROR]", "%s", settings.LastError().c_str());
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
    progress->hide();
    engine->ClosePort();
    SaveSettingsOnClose();
    event->accept();
}

void CCalyraDlg::SaveSettingsOnClose() {
    const bool saved =
        settings.SaveOnClose(logPane->DisplayPacket(), logPane->HexShow(),
                             [this](ISettingsStore& store) { consolePage->SaveSettings(store); });
    if (!saved) CEngine::DebugTrace("[ERROR]", "%s", settings.LastError().c_str());
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
