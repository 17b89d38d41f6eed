#include "CalyraApp.h"

#include "AppSettings.h"
#include "CalyraDlg.h"
#include "LanguageBundle.h"

#include <memory>

CCalyraApp::CCalyraApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Calyra");
}

int CCalyraApp::InitInstance() {
    // The language of this process, from the settings file, with its bundle.
    const CAppSettings settings;
    StartLanguage(settings);
    auto window = std::make_unique<CCalyraDlg>();
    window->show();
    const int code = exec();
    window.reset();
    return code;
}
