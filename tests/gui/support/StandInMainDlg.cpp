#include "StandInMainDlg.h"

#include <QtGlobal>

CStandInMainDlg::CStandInMainDlg(int languageIndex) : language(languageIndex) {
    previous = GetMainDlg();
    SetMainDlg(this);
}

CStandInMainDlg::~CStandInMainDlg() {
    SetMainDlg(previous);
}

CEngine& CStandInMainDlg::Engine() {
    if (!engine) qFatal("CStandInMainDlg::Engine: the test gave the stand-in window no engine");
    return *engine;
}
