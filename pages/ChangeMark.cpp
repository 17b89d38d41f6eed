#include "ChangeMark.h"

#include <QFont>
#include <QString>
#include <QVariant>
#include <QWidget>

namespace {
constexpr const char* kMarksProperty = "calyraChangeMarks";
constexpr const char* kTipProperty = "calyraChangeTip";
constexpr const char* kOwnTipProperty = "calyraOwnToolTip";
} // namespace

int ChangeMarksOf(const QWidget* control) {
    return control->property(kMarksProperty).toInt();
}

void SetChangeMarks(QWidget* control, int marks, const QString& tip) {
    const int before = ChangeMarksOf(control);
    const QString shownTip = marks ? tip : QString();
    if (marks == before && control->property(kTipProperty).toString() == shownTip) return;
    if (before == MARK_NONE && marks != MARK_NONE) control->setProperty(kOwnTipProperty, control->toolTip());

    // Only the marked attributes are set: everything else is still inherited from the page.
    QFont font;
    if (marks & MARK_PENDING) {
        font.setBold(true);
        font.setItalic(true);
    }
    if (marks & MARK_FILE) font.setUnderline(true);
    control->setFont(font);

    control->setProperty(kMarksProperty, marks);
    control->setProperty(kTipProperty, shownTip);
    const QString own = control->property(kOwnTipProperty).toString();
    control->setToolTip(marks ? shownTip : own);
    control->setAccessibleDescription(shownTip);
}
