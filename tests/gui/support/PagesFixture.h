#pragma once

// Shared helpers of the parameter page tests (tests/gui/pages): the field messages as a list, and
// a page's value records as text.

#include "CmdItem.h"
#include "LimitEdit.h"
#include "ParamPage.h"

#include <QString>
#include <QStringList>

#include <vector>

// Records the messages of the range-checked fields instead of showing them, for its lifetime.
class CNoticeRecorder {
  public:
    CNoticeRecorder() {
        CLimitEdit::SetNoticeHandler([this](QWidget*, const QString& text) { notices << text; });
    }
    ~CNoticeRecorder() { CLimitEdit::SetNoticeHandler(nullptr); }
    QStringList notices;
};

// The page's value records as "code=value", in list order.
inline QStringList ValueList(IParamPage& page) {
    std::vector<SCmdItem> list;
    page.GetParamList(list);
    QStringList out;
    for (const SCmdItem& item : list)
        out << QString("%1=%2").arg(item.type).arg(QString::fromStdString(item.Text()));
    return out;
}

// The codes of the page's value records, in list order.
inline QList<int> ValueCodes(IParamPage& page) {
    std::vector<SCmdItem> list;
    page.GetParamList(list);
    QList<int> out;
    for (const SCmdItem& item : list)
        out << item.type;
    return out;
}

// The value text of the first record of a code, "<none>" when the page gives none.
inline QString ValueOf(IParamPage& page, int code) {
    std::vector<SCmdItem> list;
    page.GetParamList(list);
    for (const SCmdItem& item : list)
        if (item.type == code) return QString::fromStdString(item.Text());
    return "<none>";
}
