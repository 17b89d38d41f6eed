// The log pane: entry format, the 256-line rule, entries from other threads, the packet switches.
#include "LogPane.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

class LogPaneTest : public QObject {
    Q_OBJECT
  private slots:
    void entryIsTimeStampLineThenMessage();
    void messageWithLineBreaksTakesSeveralLines();
    void limitClearsOnlyPastMaxLines_data();
    void limitClearsOnlyPastMaxLines();
    void entriesAloneReachTheLimit();
    void entriesFromAnotherThreadArriveWhole();
    void clearLogEmptiesThePane();
    void floodNeverHoldsTheWindow();
    void displayPacketGatesHexShow();
};

void LogPaneTest::entryIsTimeStampLineThenMessage() {
    CLogPane pane;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    pane.AppendLog("Open COM Success!");
    const QRegularExpression form(R"(^\[(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)\]\nOpen COM Success!\n$)");
    const auto match = form.match(pane.Text());
    QVERIFY2(match.hasMatch(), qPrintable(pane.Text()));
    const QDateTime stamp = QDateTime::fromString(match.captured(1), "yyyy-MM-dd hh:mm:ss");
    QVERIFY(stamp >= before.addSecs(-1) && stamp <= QDateTime::currentDateTime().addSecs(1));
    QCOMPARE(pane.LineCount(), 3); // stamp, message, the empty line after the terminator
}

void LogPaneTest::messageWithLineBreaksTakesSeveralLines() {
    CLogPane pane;
    pane.AppendLog("Enter Configuration State Failed, Please \r\nre-powered device!");
    pane.AppendLog("[Recv COM Data,Size(4)]OK\r\n");
    const QStringList lines = pane.Text().split('\n');
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[1], QString("Enter Configuration State Failed, Please "));
    QCOMPARE(lines[2], QString("re-powered device!"));
    QCOMPARE(lines[4], QString("[Recv COM Data,Size(4)]OK"));
    QCOMPARE(lines[5], QString());
}

void LogPaneTest::limitClearsOnlyPastMaxLines_data() {
    QTest::addColumn<int>("linesBefore");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("255") << 255 << false;
    QTest::newRow("256 kept") << 256 << false;
    QTest::newRow("257 cleared") << 257 << true;
    QTest::newRow("400 cleared") << 400 << true;
}

void LogPaneTest::limitClearsOnlyPastMaxLines() {
    QFETCH(int, linesBefore);
    QFETCH(bool, cleared);
    CLogPane pane;
    QStringList old;
    for (int i = 0; i < linesBefore; ++i)
        old << QString("old %1").arg(i);
    pane.Edit()->setPlainText(old.join('\n'));
    QCOMPARE(pane.LineCount(), linesBefore);
    pane.AppendLog("newest");
    QCOMPARE(pane.Text().startsWith("old 0"), !cleared);
    QCOMPARE(pane.LineCount(), cleared ? 3 : linesBefore + 2);
    QVERIFY(pane.Text().endsWith("]\nnewest\n"));
}

void LogPaneTest::entriesAloneReachTheLimit() {
    // Each entry adds two lines to the one line of an empty pane: 128 entries give 257 lines, so
    // the 129th entry stands alone at the top.
    CLogPane pane;
    for (int i = 0; i < 128; ++i)
        pane.AppendLog(QString("entry %1").arg(i));
    QCOMPARE(pane.LineCount(), 257);
    QVERIFY(pane.Text().contains("\nentry 0\n"));
    pane.AppendLog("entry 128");
    QCOMPARE(pane.LineCount(), 3);
    QVERIFY(pane.Text().endsWith("]\nentry 128\n"));
}

namespace {
class CLogWriter : public QThread {
  public:
    CLogWriter(CLogPane& p, int n) : pane(p), count(n) {}
    void run() override {
        for (int i = 0; i < count; ++i)
            pane.AppendLog(QString("worker %1\r\nsecond line %1").arg(i));
    }
    CLogPane& pane;
    int count;
};
} // namespace

void LogPaneTest::entriesFromAnotherThreadArriveWhole() {
    CLogPane pane;
    CLogWriter writer(pane, 40);
    writer.start();
    for (int i = 0; i < 40; ++i)
        pane.AppendLog(QString("window %1").arg(i));
    QVERIFY(writer.wait(5000));
    QTRY_VERIFY(pane.Text().count("second line") == 40);
    // Every worker entry is whole: its second line follows its first line directly.
    const QStringList lines = pane.Text().split('\n');
    int workerEntries = 0;
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith("worker ")) continue;
        ++workerEntries;
        QVERIFY(lines[i - 1].startsWith("["));
        QCOMPARE(lines[i + 1], "second line " + lines[i].mid(7));
    }
    QCOMPARE(workerEntries, 40);
    QCOMPARE(pane.Text().count("]\nwindow "), 40);
}

void LogPaneTest::clearLogEmptiesThePane() {
    CLogPane pane;
    pane.AppendLog("something");
    QTest::mouseClick(pane.ClearButton(), Qt::LeftButton);
    QCOMPARE(pane.Text(), QString());
    QCOMPARE(pane.LineCount(), 1);
}

// 1 MB without a line end as the dispatcher logs it with packet display and hex on: 256 chunks of
// 4096 bytes, each handled in its own event on the window thread as the chunks of a flood are. A
// probe timer measures the longest time the window thread did not get to it.
void LogPaneTest::floodNeverHoldsTheWindow() {
    CLogPane pane;
    pane.resize(640, 400);
    pane.show();
    const QString chunk = "[Recv COM Data,Size(4096)]" + QString("A5").repeated(4096);
    for (int i = 0; i < 256; ++i)
        QMetaObject::invokeMethod(
            &pane, [&pane, chunk] { pane.AppendLog(chunk); }, Qt::QueuedConnection);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    probe.start(5);
    // The last 128 entries stand alone after the line rule dropped the first 128: 257 lines.
    QTRY_VERIFY_WITH_TIMEOUT(pane.Edit()->document()->blockCount() == 257 && clock.elapsed() > 50, 30000);
    qInfo("flood of 256 chunks drawn in %lld ms, longest hold of the window thread %lld ms", clock.elapsed(),
          longest);
    QVERIFY2(longest < 200, qPrintable(QString::number(longest)));
    QVERIFY(pane.Text().startsWith("["));
    QCOMPARE(pane.Text().count(chunk), 128);
}

void LogPaneTest::displayPacketGatesHexShow() {
    CLogPane pane;
    pane.show();
    QSignalSpy display(&pane, &CLogPane::displayPacketChanged);
    QSignalSpy hex(&pane, &CLogPane::hexShowChanged);
    pane.SetDisplayPacket(true);
    pane.SetHexShow(true);
    QVERIFY(pane.HexShowBox()->isEnabled());
    QCOMPARE(display.takeLast().at(0).toBool(), true);
    QCOMPARE(hex.takeLast().at(0).toBool(), true);

    // Unticking "Display packet" disables "Hex show" and leaves its tick alone.
    QTest::mouseClick(pane.DisplayPacketBox(), Qt::LeftButton);
    QVERIFY(!pane.DisplayPacket());
    QCOMPARE(display.takeLast().at(0).toBool(), false);
    QVERIFY(!pane.HexShowBox()->isEnabled());
    QVERIFY(pane.HexShow());

    QTest::mouseClick(pane.DisplayPacketBox(), Qt::LeftButton);
    QVERIFY(pane.HexShowBox()->isEnabled());
    QTest::mouseClick(pane.HexShowBox(), Qt::LeftButton);
    QVERIFY(!pane.HexShow());
    QCOMPARE(hex.takeLast().at(0).toBool(), false);
}

QTEST_MAIN(LogPaneTest)
#include "window_logpane_test.moc"
