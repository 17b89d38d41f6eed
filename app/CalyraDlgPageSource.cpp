// The main window's record of whose values the pages hold, the line that shows it, and the
// question before a local save of another node's values.
#include "CalyraDlg.h"

#include "BaseConfigDialog.h"
#include "ChangeListDialog.h"
#include "ChangeTracker.h"
#include "ChangesButton.h"
#include "CommSettings.h"
#include "Engine.h"
#include "MessageBoxCustom.h"
#include "ParamCatalogue.h"
#include "UiText.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {
std::vector<SCmdResult> Entries(const CResultList& list) {
    std::vector<SCmdResult> out;
    out.reserve(list.Size());
    for (int i = 0; i < list.Size(); ++i)
        out.push_back(list[i]);
    return out;
}
} // namespace

SPageSource CCalyraDlg::PageSource() const {
    SPageSource source;
    source.owner = pageOwner;
    source.localPort = comm->PortList()->currentText();
    if (pageOwner == PO_NODE) source.node = engine->PagesNode();
    if (pageOwner == PO_LOCAL || pageOwner == PO_NODE) source.mac = networkPage->MacAddressField()->text();
    if (pageOwner == PO_FILE) source.file = pageFile;
    source.lastRead = Entries(engine->LastReadValues(pageOwner == PO_NODE));
    return source;
}

void CCalyraDlg::SetPageOwner(EPageOwner owner, const QString& file) {
    pageOwner = owner;
    pageFile = owner == PO_FILE ? file : QString();
    ShowPageSource();
    changes->Schedule(); // compared with another module's values now
}

void CCalyraDlg::ShowPageSource() {
    pageSourceLabel->setText(PageSourceText(PageSource()));
}

void CCalyraDlg::OnNodeAction(int action, long value) {
    // A node's save writes whatever the pages hold: the local module's or another node's PAN ID,
    // node type and addresses only when the operator says so.
    if (action == NA_WRITE && engine->IsOpen()) {
        const QString question = SaveOtherValuesToNodeQuestion(PageSource(), value);
        if (!question.isEmpty() &&
            ::CustomMessageBox(this, question, QString(), MB_STYLE_YESNO) != MB_RESULT_YES) {
            AppendLog(UiText(TXT_NODE_SAVE_NOT_WRITTEN).arg(value));
            return;
        }
    }
    engine->OnNodeAction(action, value);
}

void CCalyraDlg::OnSaveParams() {
    // A save writes into the local module whatever the pages hold: another node's PAN ID, node
    // type and addresses only when the operator says so.
    if (pageOwner == PO_NODE && engine->IsOpen()) {
        const SCmdResult* localMac = engine->LastReadValues(false).Find(PT_MID);
        const QString mac = localMac ? QString::fromStdString(localMac->values.front()).trimmed() : QString();
        if (::CustomMessageBox(this, SaveNodeValuesQuestion(PageSource(), mac), QString(), MB_STYLE_YESNO) !=
            MB_RESULT_YES) {
            AppendLog(UiText(TXT_SAVE_NOT_WRITTEN));
            return;
        }
    }
    if (changesButton->ListBeforeWritingAction()->isChecked() && engine->IsOpen()) {
        // What this save sends: the pages against the local module's last read values.
        const std::vector<CChangeTracker::SRow> rows = changes->PendingRows(engine->LastReadValues(false));
        if (!rows.empty()) {
            CChangeListDialog list(this, rows, CChangeListDialog::CONFIRM_SAVE);
            if (list.exec() != QDialog::Accepted) return;
        }
    }
    engine->SaveParams();
}
