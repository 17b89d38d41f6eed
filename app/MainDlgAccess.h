#pragma once

#include <QString>

class CEngine;
class QWidget;

// The main window as the pages and views reach it (GetMainDlg). The main window registers
// itself during its initialisation; tests may register a stand-in.
class IMainDlg {
public:
    virtual ~IMainDlg() = default;
    virtual void AppendLog(const QString& text) = 0;
    virtual CEngine& Engine() = 0;
    virtual QWidget* Widget() = 0;
    virtual int LanguageIndex() const = 0;
};

IMainDlg* GetMainDlg();
void SetMainDlg(IMainDlg* dlg);
