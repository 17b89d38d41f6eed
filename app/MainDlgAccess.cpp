#include "MainDlgAccess.h"

#include <atomic>

namespace {
std::atomic<IMainDlg*> mainDlg{nullptr};
}

IMainDlg* GetMainDlg() { return mainDlg.load(); }
void SetMainDlg(IMainDlg* dlg) { mainDlg.store(dlg); }
