#pragma once

#include "ParamPage.h"

#include <QWidget>

#include <string>

class CLimitEdit;
class QComboBox;
class QLabel;

// The encryption page (fourth configuration tab): data encryption on or off, and the network and
// link keys of 32 hexadecimal characters. A key shorter than 32 characters is drawn in red.
class CEncryptConfigDialog : public QWidget, public IParamPage {
    Q_OBJECT
  public:
    enum { kTemplateId = 134 };
    enum { kKeyLength = 32 };
    // Captions of the labels (template 134).
    enum {
        ID_ENCRYPTION_LABEL = 5000,
        ID_NETWORK_KEY_LABEL = 5001,
        ID_LINK_KEY_LABEL = 5002,
    };

    explicit CEncryptConfigDialog(QWidget* parent = nullptr);

    void SetParam(int code, const std::string& value) override;
    void GetParamList(std::vector<SCmdItem>& list) override;
    void ClearParams() override;
    std::vector<QWidget*> ControlsOf(int code) const override;
    QString ShownText(int code, const std::string& value) const override;

    void SetDataEncryption(const std::string& value); // 38
    void SetNetworkKey(const std::string& value);     // 39, shown exactly as given
    void SetLinkKey(const std::string& value);        // 40, shown exactly as given
    // A remote module's link key cannot be read: hidden (and left out of GetParamList) while a
    // remote module's parameters are shown.
    void HideLinkKey(bool hide);

    QComboBox* EncryptionList() const { return encryptionList; }
    CLimitEdit* NetworkKeyField() const { return networkKey; }
    CLimitEdit* LinkKeyField() const { return linkKey; }
    QLabel* LinkKeyLabel() const { return linkKeyLabel; }

  private:
    CLimitEdit* MakeKeyField();
    static void ApplyKeyColour(CLimitEdit* field);

    QComboBox* encryptionList = nullptr;
    CLimitEdit* networkKey = nullptr;
    CLimitEdit* linkKey = nullptr;
    QLabel* linkKeyLabel = nullptr;
};
