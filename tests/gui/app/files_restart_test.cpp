// The language change's restart: the new instance starts with this program's arguments in the
// same working directory, and this instance's event loop ends with 0 even when the start fails.

#include "Restart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class CRestartTest : public QObject {
    Q_OBJECT

  private slots:
    void commandIsThisProgram();
    void restart_data();
    void restart();
};

void CRestartTest::commandIsThisProgram() {
    const SRestartCommand command = CurrentProgramCommand();
    QCOMPARE(command.program, QCoreApplication::applicationFilePath());
    QCOMPARE(command.arguments, QCoreApplication::arguments().mid(1));
    QCOMPARE(command.workingDirectory, QDir::currentPath());
}

void CRestartTest::restart_data() {
    QTest::addColumn<bool>("startable");
    QTest::newRow("new instance starts") << true;
    QTest::newRow("new instance cannot start") << false;
}

void CRestartTest::restart() {
    QFETCH(bool, startable);
    QTemporaryDir dir;
    // A stand-in for the program that records where and with what it was started.
    SRestartCommand command{startable ? "/bin/sh" : dir.filePath("no-such-program"),
                            {"-c", "pwd > started; echo \"$0\" >> started", "arg one"},
                            dir.path()};
    bool started = !startable;
    // The application's own loop, as the window runs in it.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(5000);
    QTimer::singleShot(0, [&] { started = RestartProgram(command); });
    QCOMPARE(QCoreApplication::exec(), 0); // ended by the restart, not by the guard
    QCOMPARE(started, startable);
    if (!startable) return;
    const auto lines = [&] {
        QFile f(dir.filePath("started"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)
                                           : QStringList();
    };
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 5000);
    QCOMPARE(lines(), (QStringList{QDir(dir.path()).canonicalPath(), "arg one"}));
}

QTEST_GUILESS_MAIN(CRestartTest)
#include "files_restart_test.moc"
