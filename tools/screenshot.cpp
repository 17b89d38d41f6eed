// Takes the documentation's screenshot of the main window: the module simulator on a pseudo-
// terminal behind a COM alias, the window in the chosen language, the port opened and the
// parameters loaded, then the window grabbed into a PNG file at 1280 x 720.
// Usage: calyra_screenshot FILE [LANGUAGE]   (LANGUAGE: 0 Chinese, 1 English; default 1)
// Run it under a display server, e.g. xvfb-run -a build/bin/calyra_screenshot docs/main-window.png
#include "AppSettings.h"
#include "CalyraDlg.h"
#include "CommSettings.h"
#include "LanguageBundle.h"
#include "Simulator.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [LANGUAGE]\n", argv[0]);
        return 2;
    }
    const QString output = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    const int language = argc > 2 ? std::atoi(argv[2]) : 1;

    QTemporaryDir workDir, portsDir;
    QDir::setCurrent(workDir.path());
    qputenv("CALYRA_PORTS_DIR", portsDir.path().toUtf8());
    qputenv("XDG_STATE_HOME", workDir.path().toUtf8()); // the log file goes with the folder
    CAppSettings settings;
    settings.SaveLanguage(language);
    StartLanguage(settings);

    constexpr int kAlias = 1;
    CSimulator sim;
    SSimOptions options;
    options.portsDir = portsDir.path().toStdString();
    options.aliasNumber = kAlias;
    std::string error;
    if (!sim.Start(options, &error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }

    int code = 1;
    {
        CCalyraDlg window;
        // The size of a 1280 x 720 screen, which every control must fit.
        window.resize(1280, 720);
        window.show();
        QComboBox* ports = window.Comm()->PortList();
        const QString name = QString("COM%1").arg(kAlias);
        if (QTest::qWaitFor([&] { return ports->findText(name) >= 0; }, 5000)) {
            ports->setCurrentIndex(ports->findText(name));
            window.Comm()->OpenButton()->click();
            window.LoadButton()->click();
            const bool loaded = QTest::qWaitFor(
                [&] { return !window.IsProgressShown() && window.LoadButton()->isEnabled(); }, 20000);
            QTest::qWait(200);
            if (loaded && window.grab().save(output)) code = 0;
        }
        if (code != 0) std::fprintf(stderr, "could not load the simulator's parameters into %s\n", argv[1]);
    }
    sim.Stop();
    return code;
}
