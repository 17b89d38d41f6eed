#include "EncryptConfigDialog.h"

#include "LimitEdit.h"
#include "PageValues.h"
#include "ParamCatalogue.h"
#include "UiText.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

CEncryptConfigDialog::CEncryptConfigDialog(QWidget* parent) : QWidget(parent) {
    encryptionList = MakeList(this, {205, 206});
    networkKey = MakeKeyField();
    linkKey = MakeKeyField();
    linkKeyLabel = new QLabel(UiCaption(kTemplateId, ID_LINK_KEY_LABEL, "Link Key(0-9,A-F,a-f,32bit)"), this);

    auto* top = new QGridLayout;
    top->addWidget(new QLabel(UiCaption(kTemplateId, ID_ENCRYPTION_LABEL, "Open Data Encryption"), this), 0,
                   0);
    top->addWidget(encryptionList, 0, 1);
    top->setColumnStretch(2, 1);

    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addSpacing(8);
    page->addWidget(
        new QLabel(UiCaption(kTemplateId, ID_NETWORK_KEY_LABEL, "Network Key(0-9,A-F,a-f,32bit)"), this));
    page->addWidget(networkKey);
    page->addSpacing(8);
    page->addWidget(linkKeyLabel);
    page->addWidget(linkKey);
    page->addStretch(1);
}

CLimitEdit* CEncryptConfigDialog::MakeKeyField() {
    auto* field = new CLimitEdit(this);
    field->SetTypedLimit(kKeyLength);
    field->SetUpperCase(true);
    field->SetCharRange('0', '9');
    field->AddCharRange('A', 'F');
    field->AddCharRange('a', 'f');
    // Wide enough for the 32 characters of a key.
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QString(kKeyLength + 2, QChar('D'))));
    connect(field, &QLineEdit::textChanged, this, [field] { ApplyKeyColour(field); });
    ApplyKeyColour(field);
    return field;
}

void CEncryptConfigDialog::ApplyKeyColour(CLimitEdit* field) {
    // Red until the key has its 32 characters; the disabled look stays the style's own.
    const QColor colour = field->text().size() < kKeyLength
                              ? QColor(255, 0, 0)
                              : QApplication::palette(field).color(QPalette::Text);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Active, QPalette::Text, colour);
    palette.setColor(QPalette::Inactive, QPalette::Text, colour);
    field->setPalette(palette);
}

void CEncryptConfigDialog::SetParam(int code, const std::string& value) {
    if (code == PT_SEC)
        SetDataEncryption(value);
    else if (code == PT_KEY)
        SetNetworkKey(value);
    else if (code == PT_TLK)
        SetLinkKey(value);
}

void CEncryptConfigDialog::SetDataEncryption(const std::string& value) {
    SelectListValue(encryptionList, PT_SEC, value);
}

void CEncryptConfigDialog::SetNetworkKey(const std::string& value) {
    networkKey->setText(QString::fromStdString(value));
}

void CEncryptConfigDialog::SetLinkKey(const std::string& value) {
    linkKey->setText(QString::fromStdString(value));
}

void CEncryptConfigDialog::HideLinkKey(bool hide) {
    linkKey->setEnabled(!hide);
    linkKey->setVisible(!hide);
    linkKeyLabel->setVisible(!hide);
}

void CEncryptConfigDialog::GetParamList(std::vector<SCmdItem>& list) {
    AppendSelection(list, PT_SEC, encryptionList);
    AppendTrimmedText(list, PT_KEY, networkKey);
    if (linkKey->isEnabledTo(this)) AppendTrimmedText(list, PT_TLK, linkKey);
}

void CEncryptConfigDialog::ClearParams() {
    encryptionList->setCurrentIndex(-1);
    networkKey->clear();
    linkKey->clear();
}

std::vector<QWidget*> CEncryptConfigDialog::ControlsOf(int code) const {
    if (code == PT_SEC) return {encryptionList};
    if (code == PT_KEY) return {networkKey};
    if (code == PT_TLK) return {linkKey};
    return {};
}

QString CEncryptConfigDialog::ShownText(int code, const std::string& value) const {
    if (code == PT_SEC) return ListItemText(encryptionList, value);
    return QString::fromStdString(value);
}
