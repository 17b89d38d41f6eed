#pragma once

#include "ChangeTracker.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

// The pending changes as a list: parameter caption, module value, new value. Before a save it asks
// whether to write them (Write / Cancel); otherwise it only shows them (Close).
class CChangeListDialog : public QDialog {
    Q_OBJECT
  public:
    enum EPurpose { CONFIRM_SAVE, SHOW_ONLY };
    CChangeListDialog(QWidget* owner, const std::vector<CChangeTracker::SRow>& rows, EPurpose purpose);

    QTableWidget* Table() const { return table; }
    // Write before a save, Close otherwise.
    QPushButton* AcceptButton() const { return acceptButton; }
    // Cancel before a save; nullptr otherwise.
    QPushButton* CancelButton() const { return cancelButton; }

  private:
    QTableWidget* table = nullptr;
    QPushButton* acceptButton = nullptr;
    QPushButton* cancelButton = nullptr;
};
