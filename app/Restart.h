#pragma once

#include <QString>
#include <QStringList>

// How this program was started: its file, its arguments (without the program name) and the
// working directory, where its settings file lies.
struct SRestartCommand {
    QString program;
    QStringList arguments;
    QString workingDirectory;
};
SRestartCommand CurrentProgramCommand();

// The language change: starts command as a new, independent process, then ends this one's event
// loop with exit code 0 without the window's close request (so no setting other than the
// language is written). This instance ends even when the new one could not be started; the
// stored language then applies at the next start. True when the new instance started.
bool RestartProgram(const SRestartCommand& command = CurrentProgramCommand());
