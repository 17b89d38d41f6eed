// The main window as the engine's host: log, pages, device views, progress dialog, prompts and
// parameter set files.
#include "CalyraDlg.h"

#include "AdvConfigDialog.h"
#include "BaseConfigDialog.h"
#include "ChangeListDialog.h"
#include "ChangeTracker.h"
#include "ChangesButton.h"
#include "CommSettings.h"
#include "ConfigFile.h"
#include "EncryptConfigDialog.h"
#include "Engine.h"
#include "IOConfigDialog.h"
#include "LanguageIndex.h"
#include "LocalDialog.h"
#include "LogPane.h"
#include "MessageBoxCustom.h"
#include "ParamCatalogue.h"
#include "RemoteDialog.h"
#include "TextUtil.h"
#include "Texts.h"
#include "UiText.h"
#include "WaitDialog.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QTabWidget>

void CCalyraDlg::AppendLog(const QString& text) {
    logPane->AppendLog(text);
}
void CCalyraDlg::AppendLog(const std::string& text) {
    logPane->AppendLog(QString::fromStdString(text));
}

void CCalyraDlg::ResetPages() {
    networkPage->ClearParams();
    encryptPage->ClearParams();
    ioPage->ClearParams();
    advancedPage->ClearParams();
    localPage->ClearVersions();
    // The reads of a firmware download (backup, check, restore) keep its log whole: the backup's
    // file name and the transfer's figures stay in view.
    if (!engine || engine->UpgradePhase() == CEngine::UP_NONE) logPane->Clear();
    configTabs->setCurrentIndex(0);
    // The engine empties the pages for a load: they hold that module's values from now on.
    SetPageOwner(engine->PagesNode() == CEngine::kPagesLocal ? PO_LOCAL : PO_NODE);
    // New values come: a comparison with a file no longer holds.
    changes->EndComparison();
    changesButton->SetComparing(false);
}

void CCalyraDlg::CollectParamList(std::vector<SCmdItem>& list) {
    for (IParamPage* page :
         std::initializer_list<IParamPage*>{networkPage, advancedPage, ioPage, encryptPage})
        page->GetParamList(list);
}

void CCalyraDlg::SetParam(int code, const std::string& value) {
    changes->Schedule(); // a value read (or imported) is compared with the last read ones
    const SParamInfo* info = FindParam(code);
    if (!info) return;
    switch (info->page) {
    case PG_NETWORK:
        networkPage->SetParam(code, value);
        if (code == PT_MID) ShowPageSource();
        break;
    case PG_ADVANCED:
        advancedPage->SetParam(code, value);
        break;
    case PG_IO:
        ioPage->SetParam(code, value);
        break;
    case PG_ENCRYPT:
        encryptPage->SetParam(code, value);
        break;
    default:
        break;
    }
}

void CCalyraDlg::SetPinCaptions(bool numbered) {
    ioPage->SetPinCaptions(numbered, languageIndex);
}
void CCalyraDlg::EnableSleepSettings(bool enable) {
    advancedPage->EnableSleepSettings(enable);
    changes->Schedule(); // the sleep times are given or not
}
void CCalyraDlg::HideLinkKey(bool hide) {
    encryptPage->HideLinkKey(hide);
    changes->Schedule();
}

void CCalyraDlg::SetSoftVersion(const std::string& text) {
    localPage->SetSoftVersion(text);
}
void CCalyraDlg::SetBootVersion(const std::string& text) {
    localPage->SetBootVersion(text);
}
void CCalyraDlg::SetOwnAddress(int address) {
    remotePage->SetOwnAddress(address);
}
void CCalyraDlg::AddNode(const std::string& address, const std::string& status, const std::string& mac,
                         const std::string& nodeType) {
    remotePage->AddNode(address, status, mac, nodeType);
}
void CCalyraDlg::EndSearch() {
    remotePage->EndSearch();
}
void CCalyraDlg::StopAutoSearch() {
    remotePage->StopAutoSearch();
}
void CCalyraDlg::RememberNewAddress(const std::string& address) {
    remotePage->RememberNewAddress(address);
}

void CCalyraDlg::SetProgressText(const std::string& text) {
    progress->SetProgressText(QString::fromStdString(text));
}
void CCalyraDlg::ShowProgress(int showCommand) {
    progress->ShowProgress(showCommand);
}
void CCalyraDlg::SetProgressRange(int low, int high) {
    progress->SetProgressRange(low, high);
}
int CCalyraDlg::GetProgressMax() {
    return progress->GetProgressMax();
}
void CCalyraDlg::StepProgress(int position) {
    progress->StepProgress(position);
    // Every result steps the progress: a read value stored, a written one remembered.
    changes->Schedule();
}
bool CCalyraDlg::IsProgressShown() {
    return progress->IsProgressShown() != 0;
}

int CCalyraDlg::CustomMessageBox(const std::string& text, int style) {
    return ::CustomMessageBox(this, QString::fromStdString(text), QString(), style);
}

int CCalyraDlg::ConfigModeIndex() {
    return comm->ConfigModeIndex();
}

QString CCalyraDlg::ChooseConfigFile(bool save) {
    const QString name = QStringLiteral("ConfigFile.ini");
    const QString filter = QStringLiteral("INI Files (*.ini);;All Files (*.*)");
    const auto options = QFileDialog::Options();
    return save ? QFileDialog::getSaveFileName(this, QString(), name, filter, nullptr, options)
                : QFileDialog::getOpenFileName(this, QString(), name, filter, nullptr, options);
}

void CCalyraDlg::OnExportConfig() {
    std::vector<SCmdItem> values;
    CollectParamList(values);
    const SExportResult result = ::ExportConfig(values, [this] { return chooseFile(true).toStdString(); });
    const QString message = QString::fromStdString(result.Message());
    switch (result.outcome) {
    case EXPORT_EMPTY:
        AppendLog(message);
        break;
    case EXPORT_WRITTEN:
        ::CustomMessageBox(this, message, QString(), MB_STYLE_OK);
        break;
    case EXPORT_FAILED:
        // Reported instead of a success that did not happen.
        AppendLog(message);
        ::CustomMessageBox(this, message, QString(), MB_STYLE_OK);
        break;
    case EXPORT_CANCELLED:
        break;
    }
}

void CCalyraDlg::OnImportConfig() {
    const QString path = chooseFile(false);
    if (path.isEmpty()) return;
    std::vector<std::string> messages;
    const bool found = ::ImportConfig(
        QFile::encodeName(path).toStdString(),
        [this, &path] {
            ResetPages();
            SetPageOwner(PO_FILE, path);
        },
        [this](const SCmdResult& r) { engine->ApplyResult(r); }, &messages);
    for (const std::string& m : messages)
        AppendLog(QString::fromStdString(m));
    if (!found) SetPageOwner(PO_NONE); // a foreign file leaves the pages empty
    if (found)
        ::CustomMessageBox(this, UiText(211), QString(), MB_STYLE_OK);
    else if (!messages.empty())
        ::CustomMessageBox(this, QString::fromStdString(messages.front()), QString(), MB_STYLE_OK);
}

const CResultList& CCalyraDlg::LastReadValues() const {
    return engine->LastReadValues(pageOwner == PO_NODE);
}

void CCalyraDlg::OnShowChanges() {
    changes->Refresh();
    CChangeListDialog list(this, changes->PendingRows(), CChangeListDialog::SHOW_ONLY);
    list.exec();
}

void CCalyraDlg::OnCompareWithFile() {
    const QString path = chooseFile(false);
    if (path.isEmpty()) return;
    // The import's own reader, with its messages (a file that cannot be read, a value not taken).
    std::vector<std::string> messages;
    const std::vector<SCmdResult> values = ReadConfigFile(QFile::encodeName(path).toStdString(), &messages);
    for (const std::string& m : messages)
        AppendLog(QString::fromStdString(m));
    const int differences = changes->Compare(values);
    changesButton->SetComparing(changes->Comparing());
    const std::string file = path.toStdString();
    if (!changes->Comparing())
        AppendLog(FormatText(TXT_COMPARE_EMPTY, {file}));
    else
        AppendLog(FormatText(TXT_COMPARED, {file, std::to_string(differences)}));
}
