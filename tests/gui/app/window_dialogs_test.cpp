// The prompt (button texts by language, results) and the progress dialog (steps, end, Abort).
#include "LanguageIndex.h"
#include "MessageBoxCustom.h"
#include "WaitDialog.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {
// Runs action on the next modal prompt as soon as it is up.
void OnNextPrompt(const std::function<void(CMessageBoxCustom*)>& action) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        if (auto* box = qobject_cast<CMessageBoxCustom*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(box);
        }
    });
    poll->start(5);
}
} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void buttonTextsFollowLanguage_data();
    void buttonTextsFollowLanguage();
    void emptyCaptionShowsProgramName();
    void longMessageIsReadWholeWithoutScrolling_data();
    void longMessageIsReadWholeWithoutScrolling();
    void resultIsYesOnlyThroughYes_data();
    void resultIsYesOnlyThroughYes();
    void progressHidesExactlyAtEndPosition();
    void stepPastEndNeverHides();
    void abortAndEscape();
};

void DialogsTest::buttonTextsFollowLanguage_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("yesShown");
    QTest::addColumn<QString>("yesText");
    QTest::addColumn<QString>("noText");
    QTest::newRow("English notice") << 1 << 0 << false << ""
                                    << "OK";
    QTest::newRow("English question") << 1 << 4 << true << "Yes"
                                      << "No";
    QTest::newRow("Chinese notice") << 0 << 0 << false << "" << QString::fromUtf8("确认");
    QTest::newRow("Chinese question") << 0 << 4 << true << QString::fromUtf8("是") << QString::fromUtf8("否");
    QTest::newRow("unknown language question") << 7 << 4 << true << ""
                                               << "";
    QTest::newRow("unknown language notice") << -1 << 0 << false << ""
                                             << "";
}

void DialogsTest::buttonTextsFollowLanguage() {
    QFETCH(int, language);
    QFETCH(int, style);
    QFETCH(bool, yesShown);
    QFETCH(QString, yesText);
    QFETCH(QString, noText);
    CMessageBoxCustom box(nullptr, "Text", "", style, language);
    box.show();
    QCOMPARE(box.YesButton()->isVisible(), yesShown);
    if (yesShown) QCOMPARE(box.YesButton()->text(), yesText);
    QCOMPARE(box.NoButton()->text(), noText);
    QCOMPARE(box.MessageText(), QString("Text"));
}

void DialogsTest::emptyCaptionShowsProgramName() {
    CMessageBoxCustom untitled(nullptr, "x", "", 0, 1);
    QCOMPARE(untitled.windowTitle(), QString("Calyra"));
    CMessageBoxCustom titled(nullptr, "x", "Export", 0, 1);
    QCOMPARE(titled.windowTitle(), QString("Export"));
}

void DialogsTest::longMessageIsReadWholeWithoutScrolling_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("small"); // keeps the size of a short message
    QTest::newRow("short") << "Import Success!" << true;
    QTest::newRow("two modules named") << QString("The pages hold the values of node 61234 (MAC 00124B00B8672F8C), "
                                                  "not those of the local module on COM201 (FT232R USB UART, "
                                                  "/dev/ttyUSB0) (MAC 00124B006AC1F425).\r\nWrite the values that "
                                                  "differ into the local module?")
                                       << false;
    QTest::newRow("Chinese") << QString::fromUtf8("页面中是节点 61234（MAC 00124B00B8672F8C）的参数，而不是本地模块"
                                                  "（COM201 (FT232R USB UART, /dev/ttyUSB0)，MAC 00124B006AC1F425）"
                                                  "的参数。\r\n是否将不同的参数写入本地模块？")
                             << false;
}

void DialogsTest::longMessageIsReadWholeWithoutScrolling() {
    QFETCH(QString, text);
    QFETCH(bool, small);
    CMessageBoxCustom box(nullptr, text, "", 4, 1);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    auto* message = box.findChild<QPlainTextEdit*>("message");
    QVERIFY(message);
    QCOMPARE(message->verticalScrollBar()->maximum(), 0);
    QVERIFY(box.width() <= 1280 && box.height() <= 720);
    QCOMPARE(box.size() == QSize(348, 115).expandedTo(box.minimumSizeHint()), small);
}

void DialogsTest::resultIsYesOnlyThroughYes_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("question Yes") << 4 << "yes" << 6;
    QTest::newRow("question No") << 4 << "no" << 7;
    QTest::newRow("question close box") << 4 << "close" << 7;
    QTest::newRow("question Escape") << 4 << "escape" << 7;
    QTest::newRow("notice OK") << 0 << "no" << 7;
    QTest::newRow("question Enter on focused Yes") << 4 << "enter" << 6;
}

void DialogsTest::resultIsYesOnlyThroughYes() {
    QFETCH(int, style);
    QFETCH(QString, how);
    QFETCH(int, result);
    SetProcessLanguageIndex(LANG_ENGLISH);
    QWidget owner;
    owner.show();
    OnNextPrompt([how](CMessageBoxCustom* box) {
        if (how == "yes") QTest::mouseClick(box->YesButton(), Qt::LeftButton);
        if (how == "no") QTest::mouseClick(box->NoButton(), Qt::LeftButton);
        if (how == "close") box->close();
        if (how == "escape") QTest::keyClick(box, Qt::Key_Escape);
        if (how == "enter") QTest::keyClick(box->focusWidget(), Qt::Key_Return);
    });
    QCOMPARE(CustomMessageBox(&owner, "Question?", "", style), result);
}

void DialogsTest::progressHidesExactlyAtEndPosition() {
    QWidget owner;
    owner.show();
    CWaitDialog wait(&owner);
    QVERIFY(!wait.isVisible());
    QCOMPARE(wait.GetProgressMax(), 100);
    wait.SetProgressText("Loading....");
    wait.ShowProgress(5);
    wait.SetProgressRange(0, 5);
    QCOMPARE(wait.GetProgressMax(), 5);
    for (int step = 1; step < 5; ++step) {
        wait.StepProgress(step);
        QVERIFY(wait.isVisible());
        QCOMPARE(wait.IsProgressShown(), 5);
        QCOMPARE(wait.ProgressValue(), step);
    }
    wait.StepProgress(5);
    QVERIFY(!wait.isVisible());
    QCOMPARE(wait.IsProgressShown(), 0);
    QCOMPARE(wait.ProgressValue(), 0);
    QCOMPARE(wait.ProgressText(), QString("Loading...."));
}

void DialogsTest::stepPastEndNeverHides() {
    QWidget owner;
    owner.show();
    CWaitDialog wait(&owner);
    wait.ShowProgress(5);
    wait.SetProgressRange(0, 3);
    wait.StepProgress(4);
    QVERIFY(wait.isVisible());
    QCOMPARE(wait.IsProgressShown(), 5);
    wait.ShowProgress(0);
    QVERIFY(!wait.isVisible());
    QCOMPARE(wait.IsProgressShown(), 0);
}

void DialogsTest::abortAndEscape() {
    QWidget owner;
    owner.show();
    CWaitDialog wait(&owner);
    int aborts = 0;
    // The abort is handled before the click returns, as a sent message.
    connect(&wait, &CWaitDialog::abortRequested, [&] {
        ++aborts;
        wait.StepProgress(wait.GetProgressMax());
    });
    wait.ShowProgress(5);
    QTest::keyClick(&wait, Qt::Key_Escape);
    wait.close();
    QVERIFY(wait.isVisible());
    QCOMPARE(aborts, 0);
    QTest::mouseClick(wait.AbortButton(), Qt::LeftButton);
    QCOMPARE(aborts, 1);
    QVERIFY(!wait.isVisible());
}

QTEST_MAIN(DialogsTest)
#include "window_dialogs_test.moc"
