// The INI file object: where a written key lands, what the other lines keep, how values are read,
// and that a write that cannot happen says so and leaves the file as it was.

#include "ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "FilesFixture.h"

#include <climits>

class CProfileFileTest : public QObject {
    Q_OBJECT

  private slots:
    void writeKey_data();
    void writeKey();
    void writeSeveralKeysInOrder();
    void readText_data();
    void readText();
    void readInt_data();
    void readInt();
    void readSection();
    void refusedWrite_data();
    void refusedWrite();
    void failedBatchWritesNothing();
    void writeKeepsLinkAndPermissions();

  private:
    QTemporaryDir dir;
};

void CProfileFileTest::writeKey_data() {
    QTest::addColumn<QByteArray>("before"); // "<missing>": no file
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray("<missing>") << "CONFIG"
                              << "HexShow"
                              << "1" << QByteArray("[CONFIG]\nHexShow=1\n");
    QTest::newRow("replace where it stands") << QByteArray("[CONFIG]\nA=1\nB=2\nC=3\n") << "CONFIG"
                                             << "B"
                                             << "9" << QByteArray("[CONFIG]\nA=1\nB=9\nC=3\n");
    QTest::newRow("names without regard to case, file spelling kept")
        << QByteArray("[config]\nHexShow=0\n") << "CONFIG"
        << "HEXSHOW"
        << "1" << QByteArray("[config]\nHexShow=1\n");
    QTest::newRow("blanks around names") << QByteArray("[ CONFIG ]\n  Key = old \nz=1\n") << "CONFIG"
                                         << "key"
                                         << "new" << QByteArray("[ CONFIG ]\nKey=new\nz=1\n");
    QTest::newRow("new key after the section's last line, before the blank one")
        << QByteArray("[A]\nx=1\n\n[CONFIG]\nk=1\n; note\n\n[Other]\nz=2\n") << "CONFIG"
        << "new"
        << "5" << QByteArray("[A]\nx=1\n\n[CONFIG]\nk=1\n; note\nnew=5\n\n[Other]\nz=2\n");
    QTest::newRow("empty section") << QByteArray("[CONFIG]\n\n[X]\ny=1\n") << "CONFIG"
                                   << "A"
                                   << "1" << QByteArray("[CONFIG]\nA=1\n\n[X]\ny=1\n");
    QTest::newRow("new section at the end, everything else kept")
        << QByteArray("; head\ntop=1\n[Other]\nz=2\nno key line\n") << "CONFIG"
        << "k"
        << "v" << QByteArray("; head\ntop=1\n[Other]\nz=2\nno key line\n\n[CONFIG]\nk=v\n");
    QTest::newRow("a longer name is another section")
        << QByteArray("[CONFIGS]\nA=1\n") << "CONFIG"
        << "A"
        << "2" << QByteArray("[CONFIGS]\nA=1\n\n[CONFIG]\nA=2\n");
    QTest::newRow("a longer key is another key") << QByteArray("[CONFIG]\nHexShowX=1\n") << "CONFIG"
                                                 << "HexShow"
                                                 << "0" << QByteArray("[CONFIG]\nHexShowX=1\nHexShow=0\n");
    QTest::newRow("first of two equal keys") << QByteArray("[CONFIG]\nA=1\na=2\n") << "CONFIG"
                                             << "A"
                                             << "9" << QByteArray("[CONFIG]\nA=9\na=2\n");
    QTest::newRow("first of two equal sections")
        << QByteArray("[CONFIG]\nA=1\n[X]\n[config]\nB=2\n") << "CONFIG"
        << "B"
        << "3" << QByteArray("[CONFIG]\nA=1\nB=3\n[X]\n[config]\nB=2\n");
    QTest::newRow("a key before any section is foreign") << QByteArray("A=1\n[CONFIG]\n") << "CONFIG"
                                                         << "A"
                                                         << "2" << QByteArray("A=1\n[CONFIG]\nA=2\n");
    QTest::newRow("CRLF file stays CRLF") << QByteArray("[CONFIG]\r\nA=1\r\n") << "CONFIG"
                                          << "B"
                                          << "2" << QByteArray("[CONFIG]\r\nA=1\r\nB=2\r\n");
    QTest::newRow("no line break at the end") << QByteArray("[CONFIG]\nA=1") << "CONFIG"
                                              << "B"
                                              << "2" << QByteArray("[CONFIG]\nA=1\nB=2\n");
    QTest::newRow("empty value") << QByteArray("[CONFIG]\nA=1\n") << "CONFIG"
                                 << "A"
                                 << "" << QByteArray("[CONFIG]\nA=\n");
}

void CProfileFileTest::writeKey() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    const QString path = dir.filePath(QString("write-%1.ini").arg(QTest::currentDataTag()));
    if (before != "<missing>") WriteFileBytes(path, before);

    CProfileFile file(path.toStdString());
    QVERIFY2(file.WriteText(section.toStdString(), key.toStdString(), value.toStdString()),
             file.LastError().c_str());
    QCOMPARE(ReadFileBytes(path), after);
    QCOMPARE(QString::fromStdString(file.ReadText(section.toStdString(), key.toStdString(), "<none>")),
             value);
}

void CProfileFileTest::writeSeveralKeysInOrder() {
    const QString path = dir.filePath("several.ini");
    WriteFileBytes(path, "[CONFIG]\nPID=1\nforeign=x\n");
    CProfileFile file(path.toStdString());
    QVERIFY(file.WriteTexts("CONFIG", {{"IPR", "9"}, {"PID", "65535"}, {"PAR", "0"}}));
    QCOMPARE(ReadFileBytes(path), QByteArray("[CONFIG]\nPID=65535\nforeign=x\nIPR=9\nPAR=0\n"));
    // An empty batch touches nothing, not even a missing file.
    CProfileFile missing(dir.filePath("never.ini").toStdString());
    QVERIFY(missing.WriteTexts("CONFIG", {}));
    QVERIFY(!QFile::exists(dir.filePath("never.ini")));
}

void CProfileFileTest::readText_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<QString>("expected");

    const QByteArray file = "top=outside\n[CONFIG]\nPlain=text\nBlanks=  both ends  \nQuoted=\" kept \"\n"
                            "Single='x'\nHalf=\"open\nEmpty=\nLong=abcdef\nWide=中文字\n[Next]\nNext=n\n";
    QTest::newRow("plain") << file << "plain" << 1024 << "text";
    QTest::newRow("blanks removed") << file << "Blanks" << 1024 << "both ends";
    QTest::newRow("quotes removed, blanks in them kept") << file << "Quoted" << 1024 << " kept ";
    QTest::newRow("single quotes") << file << "Single" << 1024 << "x";
    QTest::newRow("unmatched quote stays") << file << "Half" << 1024 << "\"open";
    QTest::newRow("empty value is not the default") << file << "Empty" << 1024 << "";
    QTest::newRow("missing key: default") << file << "Absent" << 1024 << "default";
    QTest::newRow("key of another section: default") << file << "Next" << 1024 << "default";
    QTest::newRow("key before the sections: default") << file << "top" << 1024 << "default";
    QTest::newRow("bounded") << file << "Long" << 4 << "abc";
    QTest::newRow("bounded by characters") << file << "Wide" << 3 << "中文";
    QTest::newRow("bounded default") << file << "Absent" << 5 << "defa";
    QTest::newRow("buffer of one") << file << "Long" << 1 << "";
    QTest::newRow("missing file") << QByteArray("<missing>") << "Plain" << 1024 << "default";
    QTest::newRow("not an INI file") << QByteArray("\x00\x01\xff binary", 10) << "Plain" << 1024 << "default";
}

void CProfileFileTest::readText() {
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(int, bufferSize);
    QFETCH(QString, expected);
    const QString path = dir.filePath(QString("read-%1.ini").arg(QTest::currentDataTag()));
    if (content != "<missing>") WriteFileBytes(path, content);
    const CProfileFile file(path.toStdString());
    QCOMPARE(QString::fromStdString(
                 file.ReadText("config", key.toStdString(), "default", std::size_t(bufferSize))),
             expected);
}

void CProfileFileTest::readInt_data() {
    QTest::addColumn<QString>("value"); // "<missing>": no such key
    QTest::addColumn<int>("expected");
    QTest::newRow("number") << "12" << 12;
    QTest::newRow("leading digits") << " 42abc" << 42;
    QTest::newRow("negative") << "-3" << -3;
    QTest::newRow("plus sign") << "+5" << 5;
    QTest::newRow("no digits") << "abc" << 0;
    QTest::newRow("hex is not read") << "0x10" << 0;
    QTest::newRow("quoted") << "\"15\"" << 15;
    QTest::newRow("too large saturates") << "99999999999" << INT_MAX;
    QTest::newRow("too small saturates") << "-99999999999" << INT_MIN;
    QTest::newRow("empty value: default") << "" << 7;
    QTest::newRow("missing key: default") << "<missing>" << 7;
}

void CProfileFileTest::readInt() {
    QFETCH(QString, value);
    QFETCH(int, expected);
    const QString path = dir.filePath("int.ini");
    WriteFileBytes(path,
                   value == "<missing>" ? QByteArray("[CONFIG]\n") : "[CONFIG]\nN=" + value.toUtf8() + "\n");
    QCOMPARE(CProfileFile(path.toStdString()).ReadInt("CONFIG", "n", 7), expected);
}

void CProfileFileTest::readSection() {
    const QString path = dir.filePath("section.ini");
    WriteFileBytes(path,
                   "[Other]\nX=0\n[CONFIG]\n; c\nPID = 5 \nTYP=1\npid=9\nno key\n=nameless\n[Next]\nY=1\n");
    const auto keys = CProfileFile(path.toStdString()).ReadSection("config", 2);
    const std::vector<std::pair<std::string, std::string>> expected{{"PID", "5"}, {"TYP", "1"}};
    QVERIFY(keys == expected);
    QVERIFY(CProfileFile(dir.filePath("none.ini").toStdString()).ReadSection("CONFIG").empty());
}

void CProfileFileTest::refusedWrite_data() {
    // The tests may run as root, whom file modes do not stop: a folder that does not exist and a
    // folder in place of the file stand for a file that cannot be written.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("folder missing") << "missing/sub/ParamCfg.ini"
                                    << "A"
                                    << "1";
    QTest::newRow("a folder, not a file") << "folder"
                                          << "A"
                                          << "1";
    QTest::newRow("line break in the value") << "existing.ini"
                                             << "A"
                                             << "1\n[Evil]";
    QTest::newRow("carriage return in the value") << "existing.ini"
                                                  << "A"
                                                  << "1\r";
    QTest::newRow("'=' in the key") << "existing.ini"
                                    << "A=B"
                                    << "1";
    QTest::newRow("empty key") << "existing.ini"
                               << " "
                               << "1";
    QTest::newRow("section-like key") << "existing.ini"
                                      << "[A]"
                                      << "1";
}

void CProfileFileTest::refusedWrite() {
    QFETCH(QString, path);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QVERIFY(QDir(dir.path()).mkpath("folder"));
    WriteFileBytes(dir.filePath("existing.ini"), "[CONFIG]\nA=0\n");

    CProfileFile file(dir.filePath(path).toStdString());
    QVERIFY(!file.WriteText("CONFIG", key.toStdString(), value.toStdString()));
    QVERIFY(!file.LastError().empty());
    QCOMPARE(ReadFileBytes(dir.filePath("existing.ini")), QByteArray("[CONFIG]\nA=0\n"));
    QVERIFY(!QFile::exists(dir.filePath("missing")));
    QVERIFY(QFileInfo(dir.filePath("folder")).isDir());
    // A later good write clears the reason.
    CProfileFile good(dir.filePath("good.ini").toStdString());
    QVERIFY(good.WriteText("CONFIG", "A", "1") && good.LastError().empty());
}

void CProfileFileTest::failedBatchWritesNothing() {
    const QString path = dir.filePath("batch.ini");
    WriteFileBytes(path, "[CONFIG]\nA=0\n");
    CProfileFile file(path.toStdString());
    QVERIFY(!file.WriteTexts("CONFIG", {{"A", "1"}, {"B", "bad\nvalue"}}));
    QCOMPARE(ReadFileBytes(path), QByteArray("[CONFIG]\nA=0\n"));
}

void CProfileFileTest::writeKeepsLinkAndPermissions() {
    // The file is replaced through a temporary file: a link to it stays a link and the file keeps
    // its mode.
    const QString target = dir.filePath("target.ini");
    const QString link = dir.filePath("link.ini");
    WriteFileBytes(target, "[CONFIG]\nA=0\n");
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QFile::Permissions mode = QFile::permissions(target);
    QVERIFY(QFile::link(target, link));
    QVERIFY(CProfileFile(link.toStdString()).WriteText("CONFIG", "A", "1"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(ReadFileBytes(target), QByteArray("[CONFIG]\nA=1\n"));
    QCOMPARE(QFile::permissions(target), mode);
}

QTEST_GUILESS_MAIN(CProfileFileTest)
#include "files_profile_test.moc"
