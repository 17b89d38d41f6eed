#include "ChangesButton.h"

#include "Texts.h"
#include "UiText.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

CChangesButton::CChangesButton(QWidget* parent) : QToolButton(parent) {
    setObjectName("changesButton");
    // In the tab order like the buttons beside it.
    setFocusPolicy(Qt::StrongFocus);
    setPopupMode(QToolButton::MenuButtonPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setToolTip(UiText(TXT_PENDING_TIP));

    auto* menu = new QMenu(this);
    showList = menu->addAction(UiText(TXT_SHOW_CHANGES));
    listBeforeWriting = menu->addAction(UiText(TXT_LIST_BEFORE_WRITING));
    listBeforeWriting->setCheckable(true);
    menu->addSeparator();
    compare = menu->addAction(UiText(TXT_COMPARE_FILE));
    endComparison = menu->addAction(UiText(TXT_CLEAR_COMPARISON));
    endComparison->setEnabled(false);
    setMenu(menu);
    connect(this, &QToolButton::clicked, showList, &QAction::trigger);
    SetCount(0);
}

void CChangesButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down) {
        showMenu();
        return;
    }
    QToolButton::keyPressEvent(event);
}

void CChangesButton::SetCount(int n) {
    if (n == count) return;
    count = n;
    setText(QString::fromStdString(FormatText(TXT_PENDING_COUNT, {std::to_string(n)})));
}

void CChangesButton::SetComparing(bool comparing) {
    endComparison->setEnabled(comparing);
}
