// The language bundles beside the program (bin/lang, copied there by the build): the English one
// is the built-in table, the Chinese one translates every numbered string with the same printf
// conversions, and a bundle that is missing or broken leaves the built-in English in place.

#include "AppSettings.h"
#include "LanguageBundle.h"
#include "LanguageIndex.h"
#include "Texts.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FilesFixture.h"

namespace {
SLanguageBundle LoadShipped(const QString& name) {
    SLanguageBundle bundle;
    std::string error;
    const bool ok = ReadLanguageBundle(LanguageBundleDir() + "/" + name, bundle, &error);
    if (!ok) qWarning("%s: %s", qPrintable(name), error.c_str());
    return ok ? bundle : SLanguageBundle{};
}

} // namespace

class CLanguageBundleTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup();
    void englishBundleIsTheBuiltInTable();
    void chineseBundleTranslatesEveryString();
    void parse_data();
    void parse();
    void install_data();
    void install();
    void startUpReadsTheLanguage_data();
    void startUpReadsTheLanguage();
};

void CLanguageBundleTest::cleanup() {
    SetTextTable({});
    SetCaptionTable({});
    SetProcessLanguageIndex(LANG_ENGLISH);
}

void CLanguageBundleTest::englishBundleIsTheBuiltInTable() {
    const SLanguageBundle english = LoadShipped("English.ini");
    QStringList differ;
    for (const auto& [id, text] : BuiltinEnglishTexts())
        if (!english.texts.count(id) || english.texts.at(id) != text) differ << QString::number(id);
    for (const auto& [id, text] : english.texts)
        if (!BuiltinEnglishTexts().count(id)) differ << QString::number(id);
    QVERIFY2(differ.isEmpty(), qPrintable("differ from the built-in table: " + differ.join(' ')));
    QVERIFY(english.captions.empty()); // the controls' own captions are the English ones
}

void CLanguageBundleTest::chineseBundleTranslatesEveryString() {
    const SLanguageBundle chinese = LoadShipped("Chinese.ini");
    QStringList missing;
    QStringList extra;
    QStringList untranslated;
    QStringList formatDiffers;
    for (const auto& [id, english] : BuiltinEnglishTexts()) {
        const auto it = chinese.texts.find(id);
        if (it == chinese.texts.end()) {
            missing << QString::number(id);
            continue;
        }
        // Texts that are names or abbreviations stay as they are; every other one is translated.
        static const QList<int> kept = {168, 194, 195, 200};
        if (it->second == english && !kept.contains(id)) untranslated << QString::number(id);
    }
    for (const auto& [id, text] : chinese.texts)
        if (!BuiltinEnglishTexts().count(id)) extra << QString::number(id);
    QVERIFY2(missing.isEmpty(), qPrintable("missing: " + missing.join(' ')));
    QVERIFY2(extra.isEmpty(), qPrintable("not in the table: " + extra.join(' ')));
    QVERIFY2(untranslated.isEmpty(), qPrintable("untranslated: " + untranslated.join(' ')));
    // The program's own check: every entry has the conversions and numbered places of its English
    // text, or the English text is used instead.
    for (int id : SetTextTable(chinese.texts))
        formatDiffers << QString::number(id);
    SetTextTable({});
    QVERIFY2(formatDiffers.isEmpty(), qPrintable("other conversions: " + formatDiffers.join(' ')));
    // The network search texts keep their line breaks.
    QVERIFY(chinese.texts.at(258).find("\r\n") != std::string::npos);
    QVERIFY(chinese.texts.at(222).find("\r\n") != std::string::npos);
}

void CLanguageBundleTest::parse_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("id");              // a string to look at, or a caption's template
    QTest::addColumn<int>("control");         // -1: look at string id
    QTest::addColumn<QByteArray>("expected"); // its text

    QTest::newRow("plain") << QByteArray("[Strings]\n138=Open\n") << true << 138 << -1 << QByteArray("Open");
    QTest::newRow("BOM, CRLF, comments, blanks")
        << QByteArray("\xEF\xBB\xBF; c\r\n# c\r\n\r\n[ strings ]\r\n  138 =  Open  \r\n") << true << 138 << -1
        << QByteArray("Open");
    QTest::newRow("quotes keep blanks")
        << QByteArray("[Strings]\n227=\"*Read \"\n") << true << 227 << -1 << QByteArray("*Read ");
    QTest::newRow("escapes") << QByteArray("[Strings]\n222=a\\r\\nb\\t\\\\\\\"q\\\"\n") << true << 222 << -1
                             << QByteArray("a\r\nb\t\\\"q\"");
    QTest::newRow("'=' in the text") << QByteArray("[Strings]\n1=a=b\n") << true << 1 << -1
                                     << QByteArray("a=b");
    QTest::newRow("caption") << QByteArray("[Strings]\n[Captions]\n102.1008=读取参数\n") << true << 102
                             << 1008 << QByteArray("读取参数");
    QTest::newRow("template's own caption")
        << QByteArray("[Strings]\n[Captions]\n102.0=Calyra\n") << true << 102 << 0 << QByteArray("Calyra");
    QTest::newRow("other sections ignored")
        << QByteArray("[Strings]\n1=a\n[Later]\nanything goes here\n") << true << 1 << -1 << QByteArray("a");

    QTest::newRow("empty file") << QByteArray() << false << 0 << -1 << QByteArray();
    QTest::newRow("no strings section")
        << QByteArray("[Captions]\n102.0=x\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("key before a section")
        << QByteArray("138=x\n[Strings]\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("line without '='") << QByteArray("[Strings]\n138 x\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("ID not a number") << QByteArray("[Strings]\nabc=x\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("negative ID") << QByteArray("[Strings]\n-1=x\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("caption without control")
        << QByteArray("[Strings]\n[Captions]\n102=x\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("ID given twice") << QByteArray("[Strings]\n1=a\n01=b\n") << false << 0 << -1
                                    << QByteArray();
    QTest::newRow("unknown escape") << QByteArray("[Strings]\n1=a\\qb\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("escape at the end")
        << QByteArray("[Strings]\n1=a\\\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("quote not closed") << QByteArray("[Strings]\n1=\"a\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("bare quote inside")
        << QByteArray("[Strings]\n1=a\"b\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("header without ']'") << QByteArray("[Strings\n1=a\n") << false << 0 << -1 << QByteArray();
    QTest::newRow("not UTF-8") << QByteArray("[Strings]\n1=\xC4\xE3\xBA\xC3\n") << false << 0 << -1
                               << QByteArray();
}

void CLanguageBundleTest::parse() {
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(int, id);
    QFETCH(int, control);
    QFETCH(QByteArray, expected);
    SLanguageBundle bundle;
    bundle.texts[999] = "left alone on failure";
    std::string error;
    QCOMPARE(ParseLanguageBundle(text.toStdString(), bundle, &error), ok);
    if (!ok) {
        QVERIFY(!error.empty());
        QCOMPARE(bundle.texts.at(999), std::string("left alone on failure"));
        return;
    }
    const std::string found = control < 0 ? bundle.texts.at(id) : bundle.captions.at({id, control});
    QCOMPARE(QByteArray::fromStdString(found), expected);
}

void CLanguageBundleTest::install_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QByteArray>("chineseFile"); // "<missing>": no file
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("text166");
    QTest::addColumn<QString>("caption");

    const QByteArray good = "[Strings]\n166=本地设备\n[Captions]\n102.1008=读取参数\n";
    QTest::newRow("Chinese") << 0 << good << true << "本地设备"
                             << "读取参数";
    QTest::newRow("Chinese missing") << 0 << QByteArray("<missing>") << false << "Local Device"
                                     << "Load Params";
    QTest::newRow("Chinese broken") << 0 << QByteArray("[Strings]\n166=本地设备\nbroken line\n") << false
                                    << "Local Device"
                                    << "Load Params";
    QTest::newRow("Chinese not text") << 0
                                      << QByteArray("\x7f"
                                                    "ELF\x02\x01\x01\x00",
                                                    8)
                                      << false << "Local Device"
                                      << "Load Params";
    QTest::newRow("index 2: no bundle") << 2 << good << false << "Local Device"
                                        << "Load Params";
    QTest::newRow("index -1: no bundle") << -1 << good << false << "Local Device"
                                         << "Load Params";
}

void CLanguageBundleTest::install() {
    QFETCH(int, language);
    QFETCH(QByteArray, chineseFile);
    QFETCH(bool, installed);
    QFETCH(QString, text166);
    QFETCH(QString, caption);
    QTemporaryDir dir;
    if (chineseFile != "<missing>") WriteFileBytes(dir.filePath("Chinese.ini"), chineseFile);
    // A bundle installed before must not survive a failed install.
    SetTextTable({{166, "stale"}});
    SetCaptionTable({{{102, 1008}, "stale"}});

    QCOMPARE(InstallLanguage(language, dir.path()), installed);
    QCOMPARE(QString::fromStdString(Text(166)), text166);
    QCOMPARE(QString::fromStdString(Caption(102, 1008, "Load Params")), caption);
    // Strings a bundle does not give keep their English text.
    QCOMPARE(QString::fromStdString(Text(167)), QString("Remote Device"));
}

void CLanguageBundleTest::startUpReadsTheLanguage_data() {
    QTest::addColumn<QByteArray>("settings"); // "<missing>": no ParamCfg.ini
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text166");
    QTest::newRow("first start: English") << QByteArray("<missing>") << 1 << "Local Device";
    QTest::newRow("Chinese") << QByteArray("[CONFIG]\nLANGUAGE=0\n") << 0 << "本地设备";
    QTest::newRow("English") << QByteArray("[config]\nlanguage=1\n") << 1 << "Local Device";
    QTest::newRow("other index: built-in") << QByteArray("[CONFIG]\nLANGUAGE=7\n") << 7 << "Local Device";
}

void CLanguageBundleTest::startUpReadsTheLanguage() {
    QFETCH(QByteArray, settings);
    QFETCH(int, index);
    QFETCH(QString, text166);
    QTemporaryDir dir;
    if (settings != "<missing>") WriteFileBytes(dir.filePath("ParamCfg.ini"), settings);
    const CAppSettings appSettings(dir.filePath("ParamCfg.ini").toStdString());
    SetProcessLanguageIndex(-5);
    // The shipped bundles, as the program finds them.
    QCOMPARE(StartLanguage(appSettings), index);
    QCOMPARE(ProcessLanguageIndex(), index);
    QCOMPARE(QString::fromStdString(Text(166)), text166);
}

QTEST_GUILESS_MAIN(CLanguageBundleTest)
#include "files_language_test.moc"
