#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <string>

class IConsoleLink;
class ISettingsStore;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QValidator;
struct SCommandPayload;

// The "Cmd / Upgrade" page (template 135): free-form commands to the local module, once or on a
// timer, as text or as hex bytes, and the start of a firmware download. Replies are not decoded:
// a send sets raw mode, in which the receive dispatcher only logs what arrives.
class CCmdConfigDialog : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 135;
    static constexpr int kMinSendPeriod = 100; // ms
    enum EControl : int {
        ID_COMMAND = 1038,
        ID_HEX = 1031,
        ID_NEW_LINE = 1032,
        ID_SEND_TIMER = 1033,
        ID_PERIOD = 1034,
        ID_RESTART = 1035,
        ID_CLEAR = 1036,
        ID_SEND = 1037,
        ID_UPGRADE_GROUP = 1021,
        ID_UPGRADE = 1073,
        ID_FILE = 1075,
        ID_BROWSE = 1076,
        ID_FILE_LABEL = 1077,
        // Captions without a control ID of their own.
        ID_MS_LABEL = 5000,
        ID_FORMAT_ERROR_TEXT = 5001,
        ID_BIN_FILES_TEXT = 5002,
        ID_ALL_FILES_TEXT = 5003,
    };
    // The command the field starts with ("2B 2B 2B" while Hex is ticked).
    static constexpr const char* kDefaultCommand = "+++";
    // Longest "SendTimer" text taken from the settings file.
    static constexpr int kMaxPeriodText = 1023;

    explicit CCmdConfigDialog(QWidget* parent = nullptr);

    // The engine the page sends through; the page does not own it.
    void SetLink(IConsoleLink* l) { link = l; }

    // The five console keys: RestartDevice, CmdHex, SendTimer, SendTimerState, SendNewLine.
    void LoadSettings(ISettingsStore& store);
    void SaveSettings(ISettingsStore& store) const;

    int IsRawMode() const;
    void SetRawMode(int value);

    // While a job of the window runs, nothing of this page may put bytes on the line: Send,
    // Clear, Send Timer, Browse and Upgrade are locked, Enter in the command field sends nothing
    // and the send timer's ticks are skipped until the job ends.
    void SetJobRunning(bool running);
    bool IsJobRunning() const { return jobRunning; }

    // Send once (Send button, Enter in the command field).
    void OnSend();
    // One tick of the send timer: sends what Send sends, and always logs it.
    void OnSendTimer();
    void OnHexClicked();
    void OnSendTimerClicked();
    void OnBrowse();
    void OnUpgrade();
    // The Browse outcome: a path with ".bin" or ".BIN" becomes the image; any other is refused
    // with the "File Format Error" notice and changes nothing.
    void ChooseImage(const QString& path);

    static bool IsImagePath(const QString& path);
    // The file dialog's filter: the image files first, then all files.
    static QString BrowseFilter();
    // The send period of a period text: its decimal value, at least kMinSendPeriod.
    static int SendPeriod(const QString& text);

    QString ImagePath() const { return imagePath; }
    bool IsSendTimerActive() const { return sendTimer.isActive(); }
    int SendTimerInterval() const { return sendTimer.interval(); }

    QLineEdit* CommandEdit() const { return commandEdit; }
    QCheckBox* HexBox() const { return hexBox; }
    QCheckBox* NewLineBox() const { return newLineBox; }
    QCheckBox* SendTimerBox() const { return sendTimerBox; }
    QLineEdit* PeriodEdit() const { return periodEdit; }
    QLineEdit* FileEdit() const { return fileEdit; }
    QCheckBox* RestartBox() const { return restartBox; }
    QPushButton* SendButton() const { return sendButton; }
    QPushButton* ClearButton() const { return clearButton; }
    QPushButton* BrowseButton() const { return browseButton; }
    QPushButton* UpgradeButton() const { return upgradeButton; }

  signals:
    // A notice for the operator (CustomMessageBox with owner this page, style 0).
    void noticeRequested(const QString& text, const QString& caption, int style);

  private:
    // The payload of the command field, or a log line and false when it is refused.
    bool BuildPayload(SCommandPayload& payload) const;
    void SetHexFilter(bool on);
    void ShowDefaultCommand();

    IConsoleLink* link = nullptr;
    bool jobRunning = false;
    QString imagePath;
    QTimer sendTimer; // timer 1
    QLineEdit* commandEdit = nullptr;
    QValidator* hexValidator = nullptr; // the command field's filter while Hex is ticked
    QCheckBox* hexBox = nullptr;
    QCheckBox* newLineBox = nullptr;
    QCheckBox* sendTimerBox = nullptr;
    QLineEdit* periodEdit = nullptr;
    QLineEdit* fileEdit = nullptr;
    QCheckBox* restartBox = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* sendButton = nullptr;
    QPushButton* browseButton = nullptr;
    QPushButton* upgradeButton = nullptr;
};
