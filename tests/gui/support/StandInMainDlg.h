#pragma once

#include "MainDlgAccess.h"

#include <QStringList>
#include <QWidget>

// A stand-in for the main window as the pages, views and console reach it through GetMainDlg:
// it registers itself for its lifetime, keeps every log line, and hands out an engine only when
// a test gave it one (Engine() without one fails the test run).
class CStandInMainDlg : public IMainDlg {
  public:
    explicit CStandInMainDlg(int languageIndex = 1);
    ~CStandInMainDlg() override;

    void AppendLog(const QString& text) override { log << text; }
    CEngine& Engine() override;
    QWidget* Widget() override { return &window; }
    int LanguageIndex() const override { return language; }

    void SetEngine(CEngine* e) { engine = e; }
    void SetLanguageIndex(int index) { language = index; }

    QStringList log;

  private:
    QWidget window;
    CEngine* engine = nullptr;
    int language;
    IMainDlg* previous = nullptr;
};
