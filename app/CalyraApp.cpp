#include "CalyraApp.h"

#include "CalyraDlg.h"
#include "LanguageIndex.h"
#include "PendingParts.h"

#include <memory>

CCalyraApp::CCalyraApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Calyra");
}

int CCalyraApp::InitInstance() {
#ifdef CALYRA_HAVE_APP_SETTINGS
    // Filled in when the settings file lands.
#endif
    auto window = std::make_unique<CCalyraDlg>();
    window->show();
    const int code = exec();
    window.reset();
    return code;
}
