// CPU use of the window at rest with the port open on the simulator and the 20 ms port list
// refresh running, with the program's own timings. The simulator runs in this process too, so
// the figure includes it. CALYRA_CPU_SECONDS sets the measured time (default 2 s);
// CALYRA_CPU_THREADS=1 also prints the CPU time of every thread.
#include "SimWindowFixture.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QtTest>

#include <ctime>
#include <unistd.h>

namespace {
double Seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// utime + stime of this process in clock ticks.
long long ProcessTicks() {
    QFile stat("/proc/self/stat");
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = stat.readAll();
    // The fields after the command name (which may hold blanks) start after the last ')'.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // fields[0] is field 3 (state); utime and stime are fields 14 and 15.
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}
// Run time of every thread in ns (schedstat), by thread id and name.
QMap<QString, long long> ThreadNs() {
    QMap<QString, long long> out;
    QDir tasks("/proc/self/task");
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile sched(tasks.filePath(tid) + "/schedstat"), comm(tasks.filePath(tid) + "/comm");
        if (!sched.open(QIODevice::ReadOnly) || !comm.open(QIODevice::ReadOnly)) continue;
        out[tid + " " + comm.readAll().trimmed()] = sched.readAll().split(' ').value(0).toLongLong();
    }
    return out;
}
} // namespace

class IdleCpuTest : public QObject {
    Q_OBJECT
  private slots:
    void restingWindowWithOpenPortStaysCheap();
};

void IdleCpuTest::restingWindowWithOpenPortStaysCheap() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    f.Start(STimings());
    QVERIFY(f.OpenSimPort());
    QTest::qWait(200); // past start-up work
    const int seconds = qEnvironmentVariableIsSet("CALYRA_CPU_SECONDS")
                            ? qEnvironmentVariableIntValue("CALYRA_CPU_SECONDS")
                            : 2;
    const QMap<QString, long long> threadsBefore = ThreadNs();
    const double wallBefore = Seconds(CLOCK_MONOTONIC);
    const double cpuBefore = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    const long long ticksBefore = ProcessTicks();
    // A plain event loop: QTest::qWait would add wake-ups of its own.
    QEventLoop rest;
    QTimer::singleShot(seconds * 1000, &rest, &QEventLoop::quit);
    rest.exec();
    const long long ticksAfter = ProcessTicks();
    const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore;
    const double wall = Seconds(CLOCK_MONOTONIC) - wallBefore;
    QVERIFY(ticksBefore >= 0);
    const double percent = 100.0 * cpu / wall;
    // The same from utime + stime of /proc/self/stat (10 ms resolution).
    const double statPercent = 100.0 * double(ticksAfter - ticksBefore) / double(sysconf(_SC_CLK_TCK)) / wall;
    qInfo("at rest with the port open: %.4f s CPU in %.2f s = %.2f %% of one core (/proc/self/stat: %.2f %%)",
          cpu, wall, percent, statPercent);
    if (qEnvironmentVariableIsSet("CALYRA_CPU_THREADS"))
        for (auto it = threadsBefore.begin(); it != threadsBefore.end(); ++it)
            qInfo("thread %s: %.2f ms", qPrintable(it.key()),
                  (ThreadNs().value(it.key()) - it.value()) / 1e6);
    QVERIFY2(percent < 1.0, qPrintable(QString::number(percent)));
}

QTEST_MAIN(IdleCpuTest)
#include "window_idle_cpu_test.moc"
