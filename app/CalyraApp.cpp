#include "CalyraApp.h"

#include "AppSettings.h"
#include "CalyraDlg.h"
#include "CalyraVersion.h"
#include "LanguageBundle.h"

#include <QIcon>

#include <memory>

CCalyraApp::CCalyraApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Calyra");
    setApplicationVersion(CALYRA_VERSION);
    // The desktop entry and icon of the installed program; the built-in icon elsewhere.
    setDesktopFileName("org.calyra.Calyra");
    QIcon icon(":/icons/calyra-256.png");
    icon.addFile(":/icons/calyra-48.png");
    setWindowIcon(QIcon::fromTheme("org.calyra.Calyra", icon));
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
