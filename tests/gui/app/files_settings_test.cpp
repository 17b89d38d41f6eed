// ParamCfg.ini: the defaults of a first start, what a close writes and in which order (the
// console page's keys through the settings store), the language key, and a settings file that
// cannot be written.

#include "AppSettings.h"
#include "CmdConfigDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "FilesFixture.h"

namespace {

// The close request as the window makes it, with the console page writing its own keys.
bool SaveOnClose(CAppSettings& settings, bool displayPacket, bool hexShow, const CCmdConfigDialog& console) {
    return settings.SaveOnClose(displayPacket, hexShow,
                                [&console](ISettingsStore& store) { console.SaveSettings(store); });
}

} // namespace

class CAppSettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void firstStartDefaults();
    void storedValues_data();
    void storedValues();
    void closeWritesSevenKeysInOrder();
    void closeIntoExistingFileKeepsItsLines();
    void languageChangeWritesOnlyTheLanguage();
    void fileStaysWhereItWasFound();
    void unwritableFileIsReported();

  private:
    QTemporaryDir dir;
};

void CAppSettingsTest::firstStartDefaults() {
    const QString path = dir.filePath("first/ParamCfg.ini");
    CAppSettings settings(path.toStdString());
    QCOMPARE(settings.Language(), 1);
    QVERIFY(settings.DisplayPacket());
    QVERIFY(settings.HexShow());
    CCmdConfigDialog console;
    console.HexBox()->setChecked(false);
    console.PeriodEdit()->setText("5");
    console.LoadSettings(settings.Store());
    QVERIFY(console.HexBox()->isChecked() && console.NewLineBox()->isChecked() &&
            console.RestartBox()->isChecked());
    QVERIFY(!console.SendTimerBox()->isChecked()); // no timer runs at start
    QCOMPARE(console.PeriodEdit()->text(), QString("1000"));
    QVERIFY(!QFile::exists(path)); // reading creates nothing
}

void CAppSettingsTest::storedValues_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("displayPacket");
    QTest::addColumn<bool>("hexShow");
    QTest::newRow("all set") << QByteArray("[CONFIG]\nLANGUAGE=0\nDisPlayPacket=0\nHexShow=0\n") << 0 << false
                             << false;
    QTest::newRow("names without regard to case")
        << QByteArray("[config]\nlanguage=0\ndisplaypacket=0\nHEXSHOW=1\n") << 0 << false << true;
    QTest::newRow("empty values take the defaults")
        << QByteArray("[CONFIG]\nLANGUAGE=\nDisPlayPacket=\nHexShow=\n") << 1 << true << true;
    QTest::newRow("not numbers read as 0")
        << QByteArray("[CONFIG]\nLANGUAGE=x\nDisPlayPacket=on\n") << 0 << false << true;
    QTest::newRow("keys of another section")
        << QByteArray("[OTHER]\nLANGUAGE=0\nHexShow=0\n") << 1 << true << true;
    QTest::newRow("other language index") << QByteArray("[CONFIG]\nLANGUAGE=2\n") << 2 << true << true;
}

void CAppSettingsTest::storedValues() {
    QFETCH(QByteArray, file);
    QFETCH(int, language);
    QFETCH(bool, displayPacket);
    QFETCH(bool, hexShow);
    const QString path = dir.filePath("stored.ini");
    WriteFileBytes(path, file);
    const CAppSettings settings(path.toStdString());
    QCOMPARE(settings.Language(), language);
    QCOMPARE(settings.DisplayPacket(), displayPacket);
    QCOMPARE(settings.HexShow(), hexShow);
}

void CAppSettingsTest::closeWritesSevenKeysInOrder() {
    const QString path = dir.filePath("close.ini");
    CAppSettings settings(path.toStdString());
    CCmdConfigDialog console;
    console.LoadSettings(settings.Store());
    console.HexBox()->setChecked(false);
    console.SendTimerBox()->setChecked(false);
    console.PeriodEdit()->setText("250");
    QVERIFY2(SaveOnClose(settings, false, true, console), settings.LastError().c_str());
    QCOMPARE(ReadFileBytes(path),
             QByteArray("[CONFIG]\nDisPlayPacket=0\nHexShow=1\nRestartDevice=1\nCmdHex=0\n"
                        "SendTimer=250\nSendTimerState=0\nSendNewLine=1\n"));
    // Read back as the next start does.
    CCmdConfigDialog next;
    next.LoadSettings(settings.Store());
    QVERIFY(!next.HexBox()->isChecked() && !next.SendTimerBox()->isChecked());
    QCOMPARE(next.PeriodEdit()->text(), QString("250"));
    QVERIFY(!settings.DisplayPacket() && settings.HexShow());
}

void CAppSettingsTest::closeIntoExistingFileKeepsItsLines() {
    const QString path = dir.filePath("existing.ini");
    WriteFileBytes(path, "; kept\n[CONFIG]\nLANGUAGE=0\nHexShow=0\nForeign=x\n\n[Other]\nDisPlayPacket=7\n");
    CAppSettings settings(path.toStdString());
    CCmdConfigDialog console;
    console.LoadSettings(settings.Store());
    QVERIFY(SaveOnClose(settings, true, true, console));
    QCOMPARE(ReadFileBytes(path),
             QByteArray("; kept\n[CONFIG]\nLANGUAGE=0\nHexShow=1\nForeign=x\nDisPlayPacket=1\n"
                        "RestartDevice=1\nCmdHex=1\nSendTimer=1000\nSendTimerState=0\n"
                        "SendNewLine=1\n\n[Other]\nDisPlayPacket=7\n"));
}

void CAppSettingsTest::languageChangeWritesOnlyTheLanguage() {
    const QString path = dir.filePath("language.ini");
    CAppSettings settings(path.toStdString());
    QVERIFY(settings.SaveLanguage(0));
    QCOMPARE(ReadFileBytes(path), QByteArray("[CONFIG]\nLANGUAGE=0\n"));
    QVERIFY(settings.SaveLanguage(1));
    QCOMPARE(ReadFileBytes(path), QByteArray("[CONFIG]\nLANGUAGE=1\n"));
    QCOMPARE(settings.Language(), 1);
}

void CAppSettingsTest::fileStaysWhereItWasFound() {
    // The file is the one of the working directory at start-up, even if the directory changes.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir(dir.path()).mkpath("start") && QDir(dir.path()).mkpath("later"));
    QVERIFY(QDir::setCurrent(dir.filePath("start")));
    CAppSettings settings;
    QVERIFY(QDir::setCurrent(dir.filePath("later")));
    const bool saved = settings.SaveLanguage(0);
    QDir::setCurrent(previous);
    QVERIFY(saved);
    QVERIFY(QFile::exists(dir.filePath("start/ParamCfg.ini")));
    QVERIFY(!QFile::exists(dir.filePath("later/ParamCfg.ini")));
}

void CAppSettingsTest::unwritableFileIsReported() {
    // Root ignores file modes: a folder in place of the file cannot be written by anyone.
    QVERIFY(QDir(dir.path()).mkpath("folder.ini"));
    CAppSettings settings(dir.filePath("folder.ini").toStdString());
    CCmdConfigDialog console;
    QVERIFY(!SaveOnClose(settings, true, true, console));
    QVERIFY(!settings.LastError().empty());
    QVERIFY(!settings.SaveLanguage(0));
    QVERIFY(!settings.LastError().empty());
    // Reading it gives the defaults.
    QCOMPARE(settings.Language(), 1);
    QVERIFY(settings.DisplayPacket() && settings.HexShow());
}

QTEST_MAIN(CAppSettingsTest)
#include "files_settings_test.moc"
