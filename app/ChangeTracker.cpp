#include "ChangeTracker.h"

#include "ChangeMark.h"
#include "ParamCatalogue.h"
#include "ParamPage.h"
#include "Texts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <map>

CChangeTracker::CChangeTracker(std::vector<IParamPage*> pages, LastReadValues lastRead, QObject* parent)
    : QObject(parent), pages(std::move(pages)), lastRead(std::move(lastRead)) {}

void CChangeTracker::Watch(QWidget* page) {
    for (QComboBox* list : page->findChildren<QComboBox*>())
        connect(list, &QComboBox::currentIndexChanged, this, &CChangeTracker::Schedule);
    for (QLineEdit* field : page->findChildren<QLineEdit*>())
        connect(field, &QLineEdit::textChanged, this, &CChangeTracker::Schedule);
}

void CChangeTracker::Schedule() {
    if (scheduled) return;
    scheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (scheduled) Refresh();
    });
}

std::vector<QWidget*> CChangeTracker::ControlsOf(int code) const {
    for (IParamPage* page : pages) {
        std::vector<QWidget*> controls = page->ControlsOf(code);
        if (!controls.empty()) return controls;
    }
    return {};
}

QString CChangeTracker::Shown(int code, const std::string& value) const {
    for (IParamPage* page : pages)
        if (!page->ControlsOf(code).empty()) return page->ShownText(code, value);
    return QString::fromStdString(value);
}

std::vector<SCmdItem> CChangeTracker::PageValues() const {
    std::vector<SCmdItem> values;
    for (IParamPage* page : pages)
        page->GetParamList(values);
    return values;
}

void CChangeTracker::Refresh() {
    scheduled = false;
    const std::vector<SCmdItem> values = PageValues();
    pending = PendingWrites(values, lastRead());

    std::map<QWidget*, std::pair<int, QStringList>> marks;
    const auto mark = [&](int code, int kind, const QString& tip) {
        for (QWidget* control : ControlsOf(code)) {
            marks[control].first |= kind;
            marks[control].second << tip;
        }
    };
    for (const SPendingWrite& change : pending) {
        const QString tip = QString::fromStdString(
            change.moduleRead
                ? FormatText(TXT_MODULE_VALUE_TIP, {Shown(change.type, change.moduleValue).toStdString()})
                : Text(TXT_NOT_READ_TIP));
        mark(change.type, MARK_PENDING, tip);
    }
    fileDifferences = 0;
    for (const SCmdResult& file : fileValues) {
        const auto page = std::find_if(values.begin(), values.end(),
                                       [&](const SCmdItem& v) { return v.type == file.type; });
        // A value the pages do not give (a hidden or switched-off field) differs from the file's.
        if (page != values.end() && SameParamValue(file.values[0], page->Text())) continue;
        ++fileDifferences;
        mark(file.type, MARK_FILE,
             QString::fromStdString(
                 FormatText(TXT_FILE_VALUE_TIP, {Shown(file.type, file.values[0]).toStdString()})));
    }

    for (int code = PT_IPR; code <= PT_TLK; ++code)
        for (QWidget* control : ControlsOf(code)) {
            const auto it = marks.find(control);
            if (it == marks.end())
                SetChangeMarks(control, MARK_NONE, QString());
            else
                SetChangeMarks(control, it->second.first, it->second.second.join('\n'));
        }
    emit pendingChanged(PendingCount());
}

std::vector<CChangeTracker::SRow> CChangeTracker::PendingRows() const {
    return Rows(pending);
}

std::vector<CChangeTracker::SRow> CChangeTracker::PendingRows(const CResultList& against) const {
    return Rows(PendingWrites(PageValues(), against));
}

std::vector<CChangeTracker::SRow> CChangeTracker::Rows(const std::vector<SPendingWrite>& writes) const {
    std::vector<SRow> rows;
    for (const SPendingWrite& change : writes)
        rows.push_back({QString::fromStdString(ParamCaption(change.type)),
                        change.moduleRead ? Shown(change.type, change.moduleValue)
                                          : QString::fromStdString(Text(TXT_NOT_READ)),
                        Shown(change.type, change.pageValue)});
    return rows;
}

int CChangeTracker::Compare(std::vector<SCmdResult> values) {
    fileValues.clear();
    for (SCmdResult& r : values) {
        const SParamInfo* info = FindParam(r.type);
        if (info && info->writePrefix && !r.values.empty()) fileValues.push_back(std::move(r));
    }
    Refresh();
    return fileDifferences;
}

void CChangeTracker::EndComparison() {
    if (fileValues.empty()) return;
    fileValues.clear();
    Schedule();
}
