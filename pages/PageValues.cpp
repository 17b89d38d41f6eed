#include "PageValues.h"

#include "LimitEdit.h"
#include "MainDlgAccess.h"
#include "ParamCatalogue.h"
#include "ParseDecimal.h"
#include "TextUtil.h"
#include "UiText.h"

#include <QComboBox>
#include <QLineEdit>

#include <cstring>

void LogInvalidValue(int code) {
    if (IMainDlg* dlg = GetMainDlg())
        dlg->AppendLog(
            QString::fromStdString(Format("%s %s!", Text(268).c_str(), ParamCaption(code).c_str())));
}

bool SelectListValue(QComboBox* list, int code, const std::string& text, int offset) {
    const int value = ParseDecimal(text);
    if (value < offset || value - offset >= list->count()) {
        LogInvalidValue(code);
        return false;
    }
    list->setCurrentIndex(value - offset);
    return true;
}

bool SetFieldValue(QLineEdit* field, int code, const std::string& text, int min, int max) {
    const int value = ParseDecimal(text);
    if (value < min || value > max) {
        LogInvalidValue(code);
        return false;
    }
    ShowValueText(field, code, text, value);
    return true;
}

int ValueRoom(int code) {
    const SParamInfo* info = FindParam(code);
    const size_t prefix = info && info->writePrefix ? std::strlen(info->writePrefix) : 0;
    return CMD_MAX_TEXT - static_cast<int>(prefix);
}

void ShowValueText(QLineEdit* field, int code, const std::string& text, int value) {
    if (static_cast<int>(text.size()) <= ValueRoom(code))
        field->setText(QString::fromStdString(text));
    else
        field->setText(QString::number(value));
}

CLimitEdit* MakeNumberField(QWidget* parent, int code) {
    auto* field = new CLimitEdit(parent);
    field->SetDigitsOnly(true);
    field->SetTypedLimit(ValueRoom(code));
    return field;
}

CLimitEdit* MakeNumberField(QWidget* parent, int code, int min, int max) {
    CLimitEdit* field = MakeNumberField(parent, code);
    field->SetMinValue(min);
    field->SetMaxValue(max);
    return field;
}

void AppendSelection(std::vector<SCmdItem>& list, int code, const QComboBox* combo, int offset) {
    if (combo->currentIndex() < 0) return;
    list.push_back(MakeValueRecord(code, std::to_string(combo->currentIndex() + offset)));
}

void AppendTrimmedText(std::vector<SCmdItem>& list, int code, const QLineEdit* field) {
    const std::string value = TrimLineEnds(field->text().toStdString());
    if (!value.empty()) list.push_back(MakeValueRecord(code, value));
}

bool IsShownAndEnabled(const QWidget* control, const QWidget* page) {
    return !control->isHidden() && control->isEnabledTo(page);
}

QString ListItemText(const QComboBox* list, const std::string& value, int offset) {
    const int index = ParseDecimal(value) - offset;
    if (ParseDecimal(value) < 0 || index < 0 || index >= list->count()) return QString::fromStdString(value);
    return list->itemText(index);
}

QComboBox* MakeList(QWidget* parent, const std::vector<int>& textIds) {
    auto* list = new QComboBox(parent);
    for (const int id : textIds)
        list->addItem(UiText(id));
    list->setCurrentIndex(0);
    return list;
}
