#pragma once

#include "AppSettings.h"
#include "EngineHost.h"
#include "MainDlgAccess.h"
#include "PageSource.h"
#include "PortEnum.h"
#include "Timings.h"
#include "UiDispatcher.h"

#include <QRect>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class CAdvConfigDialog;
class CChangeTracker;
class CChangesButton;
class CResultList;
class CBaseConfigDialog;
class CCmdConfigDialog;
class CCommSettings;
class CEngineConsoleLink;
class CEncryptConfigDialog;
class CEngine;
class CIOConfigDialog;
class CLocalDialog;
class CLogFile;
class CLogPane;
class CQtUiWaker;
class CRemoteDialog;
class CWaitDialog;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QSocketNotifier;
class QTabWidget;

// The program's only top-level window (template 102): the communication settings, the device and
// configuration tabs with their seven pages, the action buttons, the language selector and the
// log. It owns the engine and is the engine's host: every engine request to the window lands here.
class CCalyraDlg : public QWidget, public IMainDlg, public IEngineHost {
    Q_OBJECT
  public:
    enum { kTemplateId = 102, kPortRefreshTimer = 5 };
    // Captions without a control ID of their own in the template.
    enum { ID_LANGUAGE_LABEL = 5000 };

    explicit CCalyraDlg(STimings timings = STimings(), QWidget* parent = nullptr);
    ~CCalyraDlg() override;

    // ---- Window operations ----
    // Open COM / Close COM toggle.
    void OnOpenCom();
    void LockActionButtons(bool lock);
    void OnImportConfig();
    void OnExportConfig();
    // The pending changes as a list (menu of the changes button).
    void OnShowChanges();
    // Marks the differences between the pages and a parameter set file; the pages stay as they are.
    void OnCompareWithFile();
    // The values last read from the module whose values the pages hold (a node's for its remote
    // write, else the local module's): what the marks and the count compare the pages with.
    const CResultList& LastReadValues() const;
    // One tick of the port list refresh (timer 5).
    void RefreshPortList();
    // The "<<" / ">>" button.
    void ToggleCollapse();
    bool IsCollapsed() const { return collapsed; }
    // The window starts at its contents' size, at most this (a 1280 x 720 screen less the
    // window frame and a panel); it can be resized.
    static constexpr int kStartWidth = 1270, kStartHeight = 680;
    QSize sizeHint() const override;
    // The language selector's change (index of the list).
    void OnLanguageSelected(int index);

    // The file dialogs of import (save false) and export (save true): the chosen path, empty when
    // cancelled. Tests replace them.
    using FileChooser = std::function<QString(bool save)>;
    void SetFileChooser(FileChooser chooser) { chooseFile = std::move(chooser); }
    // The restart of a language change (ends this instance). Tests replace it.
    void SetRestartHandler(std::function<void()> handler) { restart = std::move(handler); }
    CAppSettings& Settings() { return settings; }
    // "Pin": the COM number for the adapter (device, current number); 0 when cancelled. Tests
    // replace the question.
    using PinNumberChooser = std::function<int(const QString& device, int current)>;
    void SetPinNumberChooser(PinNumberChooser chooser) { choosePinNumber = std::move(chooser); }
    void OnPinPort();

    // ---- Whose values the pages hold ----
    // Whose values the pages hold (local module, node address and MAC, parameter set file or
    // none), and what that module's last read values were. The line above the configuration tabs
    // shows the same.
    SPageSource PageSource() const;
    // Save Params: while the pages hold a node's values, the local save asks first (naming both);
    // No writes nothing. With "Show the List Before Writing" on and writes pending, the list of
    // what this save sends comes before it is sent.
    void OnSaveParams();
    void OnNodeAction(int action, long value);

    // ---- IMainDlg ----
    void AppendLog(const QString& text) override;
    CEngine& Engine() override { return *engine; }
    QWidget* Widget() override { return this; }
    int LanguageIndex() const override { return languageIndex; }

    // ---- IEngineHost ----
    void AppendLog(const std::string& text) override;
    void ResetPages() override;
    void CollectParamList(std::vector<SCmdItem>& list) override;
    void SetParam(int code, const std::string& value) override;
    void SetPinCaptions(bool numbered) override;
    void EnableSleepSettings(bool enable) override;
    void HideLinkKey(bool hide) override;
    void SetSoftVersion(const std::string& text) override;
    void SetBootVersion(const std::string& text) override;
    void SetOwnAddress(int address) override;
    void AddNode(const std::string& address, const std::string& status, const std::string& mac,
                 const std::string& nodeType) override;
    void EndSearch() override;
    void StopAutoSearch() override;
    void RememberNewAddress(const std::string& address) override;
    void SetProgressText(const std::string& text) override;
    void ShowProgress(int showCommand) override;
    void SetProgressRange(int low, int high) override;
    int GetProgressMax() override;
    void StepProgress(int position) override;
    bool IsProgressShown() override;
    int CustomMessageBox(const std::string& text, int style) override;
    void SetJobRunning(bool running) override;
    int ConfigModeIndex() override;
    void ImportConfig() override { OnImportConfig(); }
    void ExportConfig() override { OnExportConfig(); }
    void PortClosed() override;

    // ---- Parts, for the application and the tests ----
    CCommSettings* Comm() const { return comm; }
    CLogPane* Log() const { return logPane; }
    CWaitDialog* Progress() const { return progress; }
    QTabWidget* DeviceTabs() const { return deviceTabs; }
    QTabWidget* ConfigTabs() const { return configTabs; }
    QComboBox* LanguageList() const { return languageList; }
    QPushButton* CollapseButton() const { return collapseButton; }
    QLabel* PageSourceLabel() const { return pageSourceLabel; }
    QPushButton* LoadButton() const { return loadButton; }
    QPushButton* SaveButton() const { return saveButton; }
    QPushButton* RestartButton() const { return restartButton; }
    QPushButton* FactoryButton() const { return factoryButton; }
    QPushButton* ImportButton() const { return importButton; }
    QPushButton* ExportButton() const { return exportButton; }
    CChangesButton* ChangesButton() const { return changesButton; }
    CChangeTracker* Changes() const { return changes; }
    CBaseConfigDialog* NetworkPage() const { return networkPage; }
    CAdvConfigDialog* AdvancedPage() const { return advancedPage; }
    CIOConfigDialog* IoPage() const { return ioPage; }
    CEncryptConfigDialog* EncryptPage() const { return encryptPage; }
    CCmdConfigDialog* ConsolePage() const { return consolePage; }
    CLocalDialog* LocalPage() const { return localPage; }
    CRemoteDialog* RemotePage() const { return remotePage; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void BuildControls();
    QWidget* BuildActionGroup();
    QWidget* BuildLanguageGroup();
    void BuildPages();
    void ConnectEngine();
    // Ctrl+O Open COM, Ctrl+L Load Params, Ctrl+S Save Params.
    void AddShortcuts();
    void RestoreSettings();
    void OnDeviceTabChanged(int index);
    // The closed state: lists enabled by the rules, caption "Open Com", text 224 in the log.
    void ShowPortClosed();
    // Settings that cannot be written are told, with the file and the reason.
    void SaveSettingsOnClose();
    void StartLogFile();
    void TellSettingsLocation();
    QString ChooseConfigFile(bool save);
    void SetListBeforeWriting(bool on);
    void SetPageOwner(EPageOwner owner, const QString& file = QString());
    void ShowPageSource();
    int AskPinNumber(const QString& device, int current);

    // The complete log outlives the engine, whose worker may still trace while it stops.
    std::unique_ptr<CLogFile> logFile;
    // Declared first, destroyed last: the engine's close may still run window tasks.
    CUiDispatcher dispatcher;
    std::unique_ptr<CQtUiWaker> waker;
    std::unique_ptr<CEngine> engine;
    std::unique_ptr<CEngineConsoleLink> consoleLink;
    CAppSettings settings; // ParamCfg.ini of the working directory at start-up
    FileChooser chooseFile;
    std::function<void()> restart;
    PinNumberChooser choosePinNumber;
    CPortList ports;
    QSocketNotifier* portNotifier = nullptr; // on the watcher's descriptor
    QTimer portRefresh;                      // only while the watcher needs polling
    static constexpr int kPortPollMs = 1000;
    // What the COM list was last checked against: the list's read count and the port state.
    unsigned long appliedReads = ~0UL;
    bool appliedOpen = false;
    int languageIndex = 1;
    bool collapsed = false;
    EPageOwner pageOwner = PO_NONE;
    QString pageFile; // PO_FILE: the imported file
    QSize expandedSize; // the size before the log column was collapsed

    CCommSettings* comm = nullptr;
    CLogPane* logPane = nullptr;
    CWaitDialog* progress = nullptr;
    QTabWidget* deviceTabs = nullptr;      // 1024
    QTabWidget* configTabs = nullptr;      // 1009
    QComboBox* languageList = nullptr;     // 1067
    QPushButton* loadButton = nullptr;     // 1008
    QPushButton* saveButton = nullptr;     // 1010
    QPushButton* restartButton = nullptr;  // 1012
    QPushButton* factoryButton = nullptr;  // 1013
    QPushButton* importButton = nullptr;   // 1014
    QPushButton* exportButton = nullptr;   // 1015
    QPushButton* collapseButton = nullptr; // 1057
    CChangesButton* changesButton = nullptr;
    CChangeTracker* changes = nullptr;
    QFrame* logLine = nullptr;             // 1058
    QLabel* pageSourceLabel = nullptr;     // whose values the pages hold
    CLocalDialog* localPage = nullptr;
    CRemoteDialog* remotePage = nullptr;
    CBaseConfigDialog* networkPage = nullptr;
    CAdvConfigDialog* advancedPage = nullptr;
    CIOConfigDialog* ioPage = nullptr;
    CEncryptConfigDialog* encryptPage = nullptr;
    CCmdConfigDialog* consolePage = nullptr;
};
