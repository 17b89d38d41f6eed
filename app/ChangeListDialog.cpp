#include "ChangeListDialog.h"

#include "Texts.h"
#include "UiText.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CChangeListDialog::CChangeListDialog(QWidget* owner, const std::vector<CChangeTracker::SRow>& rows,
                                     EPurpose purpose)
    : QDialog(owner) {
    setWindowTitle(UiText(TXT_PENDING_TITLE));
    table = new QTableWidget(static_cast<int>(rows.size()), 3, this);
    table->setHorizontalHeaderLabels(
        {UiText(TXT_COLUMN_PARAMETER), UiText(TXT_COLUMN_MODULE), UiText(TXT_COLUMN_NEW)});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const QString cells[] = {rows[row].caption, rows[row].moduleValue, rows[row].newValue};
        for (int column = 0; column < 3; ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setMinimumWidth(table->horizontalHeader()->length() + 40);

    auto* buttons = new QDialogButtonBox(this);
    if (purpose == CONFIRM_SAVE) {
        acceptButton = buttons->addButton(UiText(TXT_WRITE), QDialogButtonBox::AcceptRole);
        cancelButton = buttons->addButton(UiText(TXT_CANCEL), QDialogButtonBox::RejectRole);
    } else {
        acceptButton = buttons->addButton(UiText(TXT_CLOSE), QDialogButtonBox::AcceptRole);
    }
    acceptButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    if (rows.empty()) layout->addWidget(new QLabel(UiText(TXT_NOTHING_PENDING), this));
    layout->addWidget(table);
    layout->addWidget(buttons);
    table->setFocus();
}
