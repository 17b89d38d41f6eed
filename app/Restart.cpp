#include "Restart.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

SRestartCommand CurrentProgramCommand() {
    SRestartCommand command;
    command.program = QCoreApplication::applicationFilePath();
    command.arguments = QCoreApplication::arguments().mid(1);
    command.workingDirectory = QDir::currentPath();
    return command;
}

bool RestartProgram(const SRestartCommand& command) {
    const bool started =
        QProcess::startDetached(command.program, command.arguments, command.workingDirectory);
    // exit, not quit: quit would first try to close the windows, which runs the close request
    // (settings written, refused while a job runs).
    QCoreApplication::exit(0);
    return started;
}
