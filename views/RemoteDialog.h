#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QMenu;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

// The "Remote Device" page (template 132): network searches, by hand or every few minutes, the
// list of the modules they report, and a context menu that loads, saves, restarts or resets the
// module of a row. The page does no serial work: every action leaves as nodeAction, which the
// window hands to the engine's OnNodeAction (the signal is delivered synchronously, so the job is
// queued before the page goes on); the results come back through AddNode, SetOwnAddress,
// RememberNewAddress, EndSearch and StopAutoSearch.
class CRemoteDialog : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 132;
    static constexpr int kMenuId = 139;
    enum EControl : int {
        ID_AUTO_SEARCH = 1020,
        ID_MANUAL_SEARCH = 1021,
        ID_SEARCH = 1022,
        ID_FREQ_LIST = 1023,
        ID_NODE_LIST = 1018,
        // Labels without a control ID of their own.
        ID_FREQ_LABEL = 5000,
        ID_MINUTE_LABEL = 5001,
    };
    enum EMenuItem : int {
        IDM_LOAD = 32772,
        IDM_SAVE = 32774,
        IDM_RESTART = 32779,
        IDM_FACTORY = 32780,
        IDM_IMPORT = 32781,
        IDM_EXPORT = 32782,
    };
    enum EColumn : int { COL_NAME = 0, COL_ADDRESS = 1, COL_MAC = 2 };
    enum ESearchMode : int { MODE_AUTO = 0, MODE_MANUAL = 1 };
    // A search ends this many countdown ticks after it started unless something ends it earlier.
    static constexpr int kSearchSeconds = 66;
    // The address the network page writes for "random": the module leaves the list on restart.
    static constexpr long kRandomAddress = 65535;

    explicit CRemoteDialog(QWidget* parent = nullptr);

    // One network search record as the reply parser hands it over (all decimal texts but mac).
    void AddNode(const std::string& address, const std::string& status, const std::string& mac,
                 const std::string& nodeType);
    void SetOwnAddress(int address) { ownAddress = address; }
    // The address the module of the selected row takes at its next restart.
    void RememberNewAddress(const std::string& newAddress);
    void EndSearch();
    void StopAutoSearch();
    // While a job of the window runs (a node's load or save), no action of this page may start
    // traffic: Search, the mode radios and the context menu are locked, and an automatic search
    // that falls due is skipped (the next period comes as usual).
    void SetJobRunning(bool running);
    bool IsJobRunning() const { return jobRunning; }

    // The page's own tables of search record codes (not shown in the list); empty when unknown.
    static QString StatusText(long long status);
    static QString NodeTypeText(long long nodeType);

    // Timing of the two timers; tests shorten them.
    void SetTickPeriod(int ms) { tickPeriod = ms; }
    void SetMinuteLength(int ms) { minuteLength = ms; }
    // One tick of the countdown timer: counts, shows the seconds left, ends the search at 0.
    void CountdownTick();

    // Runs a context menu command on the row holding the selection mark.
    void RunMenuCommand(int itemId);
    // Opens the context menu for a right click at pos (list viewport coordinates); false when
    // pos is not on a row, in which case no menu opens.
    bool OpenContextMenu(const QPoint& pos);

    int SearchMode() const;
    int Countdown() const { return countdown; }
    int OwnAddress() const { return ownAddress; }
    bool IsSearching() const { return countdownTimer.isActive(); }
    bool IsAutoSearchArmed() const { return autoTimer.isActive(); }
    int AutoSearchInterval() const { return autoTimer.interval(); }
    // Remembered address changes: (node address text, new address text).
    const std::vector<std::pair<std::string, std::string>>& AddressChanges() const { return addressChanges; }

    QTreeWidget* NodeList() const { return nodeList; }
    QPushButton* SearchButton() const { return searchButton; }
    QRadioButton* AutoRadio() const { return autoRadio; }
    QRadioButton* ManualRadio() const { return manualRadio; }
    QComboBox* FreqList() const { return freqList; }
    QMenu* ContextMenu() const { return contextMenu; }

  signals:
    // A node action (ENodeAction) with the node address of the selected row, or 0.
    void nodeAction(int action, long value);

  private:
    void OnModeClicked();
    void OnSearchClicked();
    void StartAutoSearch();
    void BeginCountdown();
    void SetRadiosEnabled(bool on);
    // Search and the radios as the search mode, a running search and a running job allow.
    void UpdateSearchControls();
    QTreeWidgetItem* MarkedRow() const;
    long RowAddress(const QTreeWidgetItem* row) const;
    void ApplyRestartToRow(int rowIndex, const QString& addressText);
    void BuildContextMenu();

    QRadioButton* autoRadio = nullptr;
    QRadioButton* manualRadio = nullptr;
    QPushButton* searchButton = nullptr;
    QComboBox* freqList = nullptr;
    QTreeWidget* nodeList = nullptr;
    QMenu* contextMenu = nullptr;

    QTimer autoTimer;      // timer 1: repeat of the automatic search
    QTimer countdownTimer; // timer 3: one tick per second while a search runs
    int tickPeriod = 1000;
    int minuteLength = 60000;
    int ownAddress = -1;
    int countdown = 0;
    bool jobRunning = false;
    std::vector<std::pair<std::string, std::string>> addressChanges;
};
