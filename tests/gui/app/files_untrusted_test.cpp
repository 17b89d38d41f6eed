// Files an operator (or anyone who can write the working folder) names are read without ever
// blocking or exhausting the program: the settings file, parameter sets and language bundles that
// are FIFOs, links to /dev/zero, folders or far too large, and parameter values or translations
// that would end a command early or misread a substitution.

#include "AppSettings.h"
#include "ConfigFile.h"
#include "LanguageBundle.h"
#include "ParamCatalogue.h"
#include "Texts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FilesFixture.h"

#include <sys/stat.h>

class CUntrustedFilesTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup();
    void specialFilesAreRefusedAtOnce_data();
    void specialFilesAreRefusedAtOnce();
    void hugeSettingsFileIsNeitherReadNorReplaced();
    void importTakesNoValueWithALineBreak();
    void bundleEntryWithOtherConversionsKeepsEnglish();
};

void CUntrustedFilesTest::cleanup() {
    SetTextTable({});
    SetCaptionTable({});
}

void CUntrustedFilesTest::specialFilesAreRefusedAtOnce_data() {
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"fifo", "zero", "folder"})
        QTest::newRow(kind) << kind;
}

// Each reader in turn gets the special file: the settings give their defaults and are not
// written, an import is refused with the reason, a bundle is not used. A FIFO would block an
// ordinary open (the test would hang), /dev/zero would be read until memory runs out.
void CUntrustedFilesTest::specialFilesAreRefusedAtOnce() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    for (const char* name : {"ParamCfg.ini", "set.ini", "Chinese.ini"}) {
        const QByteArray p = QFile::encodeName(dir.filePath(name));
        if (kind == "fifo") QVERIFY(mkfifo(p.constData(), 0600) == 0);
        if (kind == "zero") QVERIFY(QFile::link("/dev/zero", QFile::decodeName(p)));
        if (kind == "folder") QVERIFY(QDir().mkpath(QFile::decodeName(p)));
    }
    QElapsedTimer clock;
    clock.start();

    CAppSettings settings(dir.filePath("ParamCfg.ini").toStdString());
    QCOMPARE(settings.Language(), 1);
    QVERIFY(settings.DisplayPacket());
    QVERIFY(!settings.SaveOnClose(false, false, nullptr));
    QVERIFY(!settings.LastError().empty());

    const std::string setPath = dir.filePath("set.ini").toStdString();
    std::vector<std::string> messages;
    bool reset = false;
    QVERIFY(!ImportConfig(setPath, [&] { reset = true; }, [](const SCmdResult&) {}, &messages));
    QVERIFY(reset);
    QCOMPARE(messages, (std::vector<std::string>{
                           FormatText(TXT_IMPORT_FAILED, {FormatText(TXT_NOT_REGULAR_FILE, {setPath})})}));

    QVERIFY(!InstallLanguage(0, dir.path()));
    QCOMPARE(QString::fromStdString(Text(166)), QString("Local Device"));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
}

// A settings file of 100 MB: the start-up reads do not read it (the defaults hold), and the close
// does not replace it.
void CUntrustedFilesTest::hugeSettingsFileIsNeitherReadNorReplaced() {
    QTemporaryDir dir;
    const QString path = dir.filePath("ParamCfg.ini");
    WriteFileBytes(path, "[CONFIG]\nLANGUAGE=0\nHexShow=0\n");
    QVERIFY(QFile::resize(path, 100 << 20)); // sparse: the test costs no disk
    QElapsedTimer clock;
    clock.start();
    CAppSettings settings(path.toStdString());
    QCOMPARE(settings.Language(), 1);
    QVERIFY(settings.HexShow());
    QVERIFY(!settings.SaveOnClose(true, true, nullptr));
    QVERIFY(settings.LastError().find("larger than") != std::string::npos);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(QFileInfo(path).size(), qint64(100 << 20));

    // Just inside the bound the file is a settings file like any other.
    WriteFileBytes(path, "[CONFIG]\nLANGUAGE=0\n");
    QVERIFY(QFile::resize(path, qint64(CProfileFile::kMaxBytes)));
    QCOMPARE(CAppSettings(path.toStdString()).Language(), 0);
}

void CUntrustedFilesTest::importTakesNoValueWithALineBreak() {
    QTemporaryDir dir;
    const QString path = dir.filePath("set.ini");
    static const char kFile[] = "[CONFIG]\r\nKEY=00112233445566778899AABBCCDDEEFF\rAT+FAC\r\n"
                                "PID=4660\r\nTID=12\0AT+FAC\r\n";
    WriteFileBytes(path, QByteArray(kFile, sizeof kFile - 1));
    std::vector<std::string> messages;
    std::vector<SCmdResult> applied;
    QVERIFY(ImportConfig(path.toStdString(), [] {}, [&](const SCmdResult& r) { applied.push_back(r); }, &messages));
    QCOMPARE(applied.size(), std::size_t(1));
    QCOMPARE(applied[0].type, int(PT_PID));
    QCOMPARE(messages, (std::vector<std::string>{FormatText(TXT_VALUE_LINE_BREAK, {ParamCaption(PT_TID)}),
                                                 FormatText(TXT_VALUE_LINE_BREAK, {ParamCaption(PT_KEY)})}));
}

// Entry 287 as "%s is %s (%s)" crashed Open COM: it is refused at load time, the rest of the
// bundle is used.
void CUntrustedFilesTest::bundleEntryWithOtherConversionsKeepsEnglish() {
    QTemporaryDir dir;
    WriteFileBytes(dir.filePath("Chinese.ini"),
                   "[Strings]\n166=本地设备\n285=%s%s%s%s\n286=%n\n287=%s is %s (%s)\n282=导出失败：%s\n");
    QVERIFY(InstallLanguage(0, dir.path()));
    QCOMPARE(QString::fromStdString(Text(166)), QString("本地设备"));
    QCOMPARE(QString::fromStdString(Text(282)), QString("导出失败：%s"));
    for (int id : {285, 286, 287})
        QCOMPARE(Text(id), BuiltinEnglishTexts().at(id));
    QCOMPARE(FormatText(TXT_OPENED_DEVICE, {"COM3", "/dev/ttyUSB0"}), std::string("COM3 is /dev/ttyUSB0"));
}

QTEST_GUILESS_MAIN(CUntrustedFilesTest)
#include "files_untrusted_test.moc"
