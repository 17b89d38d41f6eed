#pragma once

#include <QApplication>

// The application object: reads the language from the settings file, loads that language's
// bundle, then runs the main window until it closes.
class CCalyraApp : public QApplication {
    Q_OBJECT
  public:
    CCalyraApp(int& argc, char** argv);
    // Start-up and the main window's life; the program's exit code.
    int InitInstance();
};
