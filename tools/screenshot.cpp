// Takes the documentation's screenshot of the main window: the module simulator on a pseudo-
// terminal behind a COM alias, the window in the chosen language, the port opened and the
// parameters loaded, then the window grabbed into a PNG file.
// Usage: calyra_screenshot FILE [LANGUAGE] [marks]   (LANGUAGE: 0 Chinese, 1 English; default 1)
// With "marks", three values of the network page are changed after the load, so that the marks
// of pending changes, the count beside Save Params and one mark's tooltip are seen.
// Run it under a display server, e.g. xvfb-run -a build/bin/calyra_screenshot docs/main-window.png
#include "AppSettings.h"
#include "BaseConfigDialog.h"
#include "CalyraDlg.h"
#include "CommSettings.h"
#include "LimitEdit.h"
#include "LanguageBundle.h"
#include "Simulator.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <cstdio>
#include <cstring>

namespace {
// Changes three values of the network page as an operator would.
void ChangeThreeValues(CCalyraDlg& window) {
    CBaseConfigDialog* page = window.NetworkPage();
    QComboBox* channel = page->ChannelList();
    channel->setCurrentIndex(channel->findText("20"));
    page->PanIdModeList()->setCurrentIndex(1);
    emit page->PanIdModeList()->activated(1);
    page->PanIdField()->setText("4660");
    page->DataIntervalField()->setText("250");
}

// The window with the tooltip of one control painted where it shows (a tooltip is a window of
// its own, so grabbing the main window alone leaves it out).
QPixmap GrabWithToolTip(CCalyraDlg& window, QWidget* control) {
    QToolTip::showText(control->mapToGlobal(QPoint(8, control->height())), control->toolTip(), control);
    QTest::qWait(300);
    QPixmap shot = window.grab();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() || std::strcmp(top->metaObject()->className(), "QTipLabel") != 0) continue;
        QPainter painter(&shot);
        painter.drawPixmap(window.mapFromGlobal(top->pos()), top->grab());
    }
    return shot;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [LANGUAGE]\n", argv[0]);
        return 2;
    }
    const QString output = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    const int language = argc > 2 ? std::atoi(argv[2]) : 1;
    const bool marks = argc > 3 && std::strcmp(argv[3], "marks") == 0;

    QTemporaryDir workDir, portsDir;
    QDir::setCurrent(workDir.path());
    qputenv("CALYRA_PORTS_DIR", portsDir.path().toUtf8());
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
            if (loaded && marks) {
                ChangeThreeValues(window);
                QTest::qWait(200);
                if (GrabWithToolTip(window, window.NetworkPage()->ChannelList()).save(output)) code = 0;
            } else if (loaded && window.grab().save(output)) {
                code = 0;
            }
        }
        if (code != 0) std::fprintf(stderr, "could not load the simulator's parameters into %s\n", argv[1]);
    }
    sim.Stop();
    return code;
}
