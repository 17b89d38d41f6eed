// The local device page: the version field always shows the software block, then the boot block.
#include "LocalDialog.h"
#include "Texts.h"

#include <QPlainTextEdit>
#include <QTest>

class LocalDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void versionBlocks_data();
    void versionBlocks();
    void headingsFollowLanguage();
};

// Each step: "S:<text>" SetSoftVersion, "B:<text>" SetBootVersion, "C" ClearVersions.
void LocalDialogTest::versionBlocks_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected");
    const QString soft1 = "Soft Version:\r\nV1.2\r\n\r\n";
    const QString boot = "Boot Version:\r\nB0.9\r\n";
    QTest::newRow("boot only after clear") << QStringList{"C", "B:B0.9"} << boot;
    QTest::newRow("soft then boot") << QStringList{"S:V1.2", "B:B0.9"} << soft1 + boot;
    QTest::newRow("boot then soft, same order shown") << QStringList{"B:B0.9", "S:V1.2"} << soft1 + boot;
    QTest::newRow("second soft replaces, boot kept")
        << QStringList{"S:V0.1", "B:B0.9", "S:V1.2"} << soft1 + boot;
    QTest::newRow("clear empties both") << QStringList{"S:V1.2", "B:B0.9", "C"} << QString();
    QTest::newRow("empty version text") << QStringList{"S:"} << QString("Soft Version:\r\n\r\n\r\n");
}

void LocalDialogTest::versionBlocks() {
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    CLocalDialog page;
    for (const QString& step : steps) {
        const std::string value = step.mid(2).toStdString();
        if (step.startsWith("S:")) page.SetSoftVersion(value);
        if (step.startsWith("B:")) page.SetBootVersion(value);
        if (step == "C") page.ClearVersions();
    }
    QCOMPARE(page.VersionText(), expected);
    QString shown = expected;
    shown.replace("\r\n", "\n");
    QCOMPARE(page.VersionEdit()->toPlainText(), shown);
    QVERIFY(page.VersionEdit()->isReadOnly());
    QVERIFY(page.VersionEdit()->textCursor().atEnd());
}

void LocalDialogTest::headingsFollowLanguage() {
    SetTextTable({{230, "软件版本"}, {269, "引导版本"}});
    CLocalDialog page;
    page.SetSoftVersion("1");
    page.SetBootVersion("2");
    SetTextTable({});
    QCOMPARE(page.VersionText(), QString::fromUtf8("软件版本:\r\n1\r\n\r\n引导版本:\r\n2\r\n"));
}

QTEST_MAIN(LocalDialogTest)
#include "local_dialog_test.moc"
