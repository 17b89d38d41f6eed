// The main window's record of whose values the pages hold, the line that shows it, and the
// question before a local save of another node's values.
#include "CalyraDlg.h"

#include "BaseConfigDialog.h"
#include "CommSettings.h"
#include "Engine.h"
#include "MessageBoxCustom.h"
#include "ParamCatalogue.h"
#include "UiText.h"

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
    source.lastRead = Entries(pageOwner == PO_NODE ? engine->NodeResults() : engine->LocalResults());
    return source;
}

void CCalyraDlg::SetPageOwner(EPageOwner owner, const QString& file) {
    pageOwner = owner;
    pageFile = owner == PO_FILE ? file : QString();
    ShowPageSource();
}

void CCalyraDlg::ShowPageSource() {
    pageSourceLabel->setText(PageSourceText(PageSource()));
}

void CCalyraDlg::OnSaveParams() {
    // A save writes into the local module whatever the pages hold: another node's PAN ID, node
    // type and addresses only when the operator says so.
    if (pageOwner == PO_NODE && engine->IsOpen()) {
        const SCmdResult* localMac = engine->LocalResults().Find(PT_MID);
        const QString mac = localMac ? QString::fromStdString(localMac->values.front()).trimmed() : QString();
        if (::CustomMessageBox(this, SaveNodeValuesQuestion(PageSource(), mac), QString(), MB_STYLE_YESNO) !=
            MB_RESULT_YES) {
            AppendLog(UiText(TXT_SAVE_NOT_WRITTEN));
            return;
        }
    }
    engine->SaveParams();
}
