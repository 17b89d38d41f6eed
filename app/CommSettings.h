#pragma once

#include <QGroupBox>
#include <QStringList>

class QComboBox;
class QPushButton;

// Line settings as the port takes them.
struct SLineSettings {
    unsigned portNumber = 0; // 0 when the COM text has no number
    unsigned baudRate = 0;
    int dataBits = 0;
    int parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 0; // 0 one, 1 one and a half, 2 two
};

// One entry of the COM list: the name ("COM34"), the Linux device, what the adapter is (udev's
// vendor, model and serial) and what identifies the adapter across list changes (its
// /dev/serial/by-id name, else its device).
struct SPortItem {
    QString name;
    QString device;
    QString label;
    QString identity;
};

// The "Communication Setting" group (1047): the COM list (1000), Config Mode (1011), the four
// line-setting lists (1001..1004) and the Open COM button (1005), with the rules that tie them:
// the line settings can be changed only in Custom mode, and nothing can while the port is open.
class CCommSettings : public QGroupBox {
    Q_OBJECT
  public:
    enum { MODE_DEFAULT = 0, MODE_CUSTOM = 1 };

    explicit CCommSettings(QWidget* parent = nullptr);

    SLineSettings Settings() const;
    // Port number of a list name: the decimal value from the fourth character on; 0 when none.
    static unsigned PortNumberOf(const QString& name);

    int ConfigModeIndex() const;
    void SetConfigMode(int index);
    // Open: all six lists disabled. Closed: COM and Config Mode enabled, line settings by mode.
    void SetPortOpen(bool open);
    bool IsPortOpen() const { return portOpen; }

    // Port closed: rebuilds the COM list (entry 0 selected) when the set of names changed (names
    // compare without regard to case), so a selection survives an unchanged refresh. Returns true
    // when it rebuilt. Tooltips (the Linux devices) are refreshed in place either way.
    bool UpdatePorts(const QStringList& names, const QStringList& tooltips);
    // The same with the adapters' labels, shown beside the names, and their identities: a
    // rebuild keeps the selected adapter selected where it is still present.
    bool UpdatePorts(const QList<SPortItem>& ports);
    // The device and the label of the selected entry ("" when none).
    QString CurrentDevice() const;
    QString CurrentName() const;
    // Port open: true when the COM list has items and its current name is not among names, or
    // that name now stands for another device than openedDevice (an alias that went away leaves
    // its number to a fixed device, a re-pointed alias): the device that was opened is gone.
    bool OpenPortVanished(const QStringList& names, const QStringList& devices,
                          const QString& openedDevice) const;

    QComboBox* PortList() const { return portList; }
    QComboBox* ConfigModeList() const { return modeList; }
    QComboBox* BaudList() const { return baudList; }
    QComboBox* DataBitsList() const { return dataBitsList; }
    QComboBox* StopBitsList() const { return stopBitsList; }
    QComboBox* ParityList() const { return parityList; }
    QPushButton* OpenButton() const { return openButton; }
    QPushButton* PinButton() const { return pinButton; }

    enum { ROLE_LABEL = Qt::UserRole + 1, ROLE_IDENTITY, ROLE_DEVICE };

  signals:
    // "Pin": the operator wants the selected adapter to keep its COM number.
    void pinRequested();

  private:
    void ApplyConfigMode(int index);
    void UpdateEnabled();
    void ShowCurrentTooltip();

    QComboBox* portList = nullptr;     // 1000
    QComboBox* modeList = nullptr;     // 1011
    QComboBox* baudList = nullptr;     // 1001
    QComboBox* dataBitsList = nullptr; // 1002
    QComboBox* stopBitsList = nullptr; // 1003
    QComboBox* parityList = nullptr;   // 1004
    QPushButton* openButton = nullptr; // 1005
    QPushButton* pinButton = nullptr;
    bool portOpen = false;
};
