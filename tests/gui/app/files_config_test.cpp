// Parameter set files: export of the pages' values and import back onto the pages, with pages
// that only keep what they are given (fixture below) and, where a page rule matters, the real
// network page.

#include "BaseConfigDialog.h"
#include "ConfigFile.h"
#include "ParamCatalogue.h"
#include "ParamPage.h"
#include "Texts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FilesFixture.h"

#include <map>

namespace {

// A page that keeps the values of its codes and gives them back in its documented order.
class CFakePage : public IParamPage {
  public:
    explicit CFakePage(std::vector<int> order) : order(std::move(order)) {}
    void SetParam(int code, const std::string& value) override {
        if (std::find(order.begin(), order.end(), code) != order.end()) values[code] = value;
    }
    void GetParamList(std::vector<SCmdItem>& list) override {
        for (int code : order)
            if (values.count(code)) list.push_back(MakeValueRecord(code, values[code]));
    }
    void ClearParams() override { values.clear(); }

    std::vector<int> order;
    std::map<int, std::string> values;
};

// The four pages with the export order of their values.
struct SFakePages {
    CFakePage network{{PT_IPR, PT_PAR, PT_STO, PT_UFC, PT_ECH, PT_DBL, PT_TYP, PT_AST, PT_CHA, PT_ITV, PT_PID,
                       PT_TID, PT_NID, PT_MID}};
    CFakePage advanced{{PT_MOD, PT_SLE, PT_STC, PT_WTC, PT_ENP, PT_PRD, PT_CDA}};
    CFakePage io{{28, 33, 29, 34, 30, 35, 31, 36, 32, 37}};
    CFakePage encryption{{PT_SEC, PT_KEY, PT_TLK}};

    std::vector<SCmdItem> Values() {
        std::vector<SCmdItem> list;
        for (IParamPage* page : std::initializer_list<IParamPage*>{&network, &advanced, &io, &encryption})
            page->GetParamList(list);
        return list;
    }
    void Clear() {
        for (IParamPage* page : std::initializer_list<IParamPage*>{&network, &advanced, &io, &encryption})
            page->ClearParams();
    }
    // The value a page holds for code, "<none>" when none does.
    std::string ValueOf(int code) {
        for (CFakePage* page : {&network, &advanced, &io, &encryption})
            if (page->values.count(code)) return page->values[code];
        return "<none>";
    }
    // Every page sees every value; each keeps its own.
    void Apply(const SCmdResult& r) {
        for (IParamPage* page : std::initializer_list<IParamPage*>{&network, &advanced, &io, &encryption})
            page->SetParam(r.type, r.values.at(0));
    }
};

QString Results(const std::vector<SCmdResult>& results) {
    QStringList out;
    for (const SCmdResult& r : results)
        out << QString("%1=%2").arg(r.type).arg(QString::fromStdString(r.values.at(0)));
    return out.join(' ');
}

} // namespace

class CConfigFileTest : public QObject {
    Q_OBJECT

  private slots:
    void roundTripOfEveryKey();
    void exportIntoExistingFile();
    void nothingToExport();
    void cancelledExport();
    void failedExportIsReported_data();
    void failedExportIsReported();
    void read_data();
    void read();
    void importClearsThePagesFirst_data();
    void importClearsThePagesFirst();
    void importOntoTheNetworkPage();

  private:
    QTemporaryDir dir;
};

void CConfigFileTest::roundTripOfEveryKey() {
    SFakePages pages;
    // A distinct value for every code a page exports (the MAC address is shown, never exported).
    for (int code = PT_IPR; code <= PT_TLK; ++code)
        if (code != PT_NCD) pages.Apply({code, {std::to_string(1000 + code)}});
    pages.network.order.pop_back(); // the network page never gives the MAC address
    const QString path = dir.filePath("round.ini");
    int asked = 0;
    const SExportResult exported = ExportConfig(pages.Values(), [&] {
        ++asked;
        return path.toStdString();
    });
    QCOMPARE(exported.outcome, EXPORT_WRITTEN);
    QCOMPARE(asked, 1);
    QCOMPARE(QString::fromStdString(exported.Message()), QString("Export Success!"));
    QCOMPARE(ReadFileBytes(path),
             QByteArray("[CONFIG]\nIPR=1006\nPAR=1007\nSTO=1008\nUFC=1009\nECH=1011\nDBL=1010\n"
                        "TYP=1017\nAST=1012\nCHA=1013\nITV=1020\nPID=1016\nTID=1015\nNID=1018\n"
                        "MOD=1021\nSLE=1022\nSTC=1023\nWTC=1024\nENP=1025\nPRD=1026\nCDA=1027\n"
                        "DM0=1028\nDT0=1033\nDM1=1029\nDT1=1034\nDM2=1030\nDT2=1035\nDM3=1031\n"
                        "DT3=1036\nDM4=1032\nDT4=1037\nSEC=1038\nKEY=1039\nTLK=1040\n"));

    SFakePages imported;
    imported.Apply({PT_TLK, {"stale"}});
    std::vector<int> order;
    QVERIFY(ImportConfig(
        path.toStdString(), [&] { imported.Clear(); },
        [&](const SCmdResult& r) {
            order.push_back(r.type);
            imported.Apply(r);
        }));
    // Every key but the link key comes back, in code order.
    std::vector<int> expected;
    for (int code = PT_IPR; code <= PT_KEY; ++code)
        if (code != PT_MID && code != PT_NCD) expected.push_back(code);
    QVERIFY(order == expected);
    for (int code : expected)
        QCOMPARE(imported.ValueOf(code), std::to_string(1000 + code));
    QCOMPARE(imported.ValueOf(PT_TLK), std::string("<none>"));
}

void CConfigFileTest::exportIntoExistingFile() {
    const QString path = dir.filePath("existing.ini");
    WriteFileBytes(path, "; mine\n[Other]\nIPR=x\n[config]\nPID=1\nFOREIGN=2\nipr=3\n");
    const auto choose = [&] { return path.toStdString(); };
    QCOMPARE(ExportConfig({MakeValueRecord(PT_IPR, "9"), MakeValueRecord(PT_PID, "65535"),
                           MakeValueRecord(PT_NID, "7")},
                          choose)
                 .outcome,
             EXPORT_WRITTEN);
    QCOMPARE(ReadFileBytes(path),
             QByteArray("; mine\n[Other]\nIPR=x\n[config]\nPID=65535\nFOREIGN=2\nipr=9\nNID=7\n"));
    // Fewer values the second time: the keys of the first export stay. A record without a key
    // (a version) is passed over.
    QCOMPARE(
        ExportConfig({MakeValueRecord(PT_SOFT_VERSION, "v1"), MakeValueRecord(PT_PID, "3")}, choose).outcome,
        EXPORT_WRITTEN);
    QCOMPARE(ReadFileBytes(path),
             QByteArray("; mine\n[Other]\nIPR=x\n[config]\nPID=3\nFOREIGN=2\nipr=9\nNID=7\n"));
}

void CConfigFileTest::nothingToExport() {
    bool asked = false;
    const SExportResult r = ExportConfig({}, [&] {
        asked = true;
        return dir.filePath("empty.ini").toStdString();
    });
    QCOMPARE(r.outcome, EXPORT_EMPTY);
    QVERIFY(!asked);
    QCOMPARE(QString::fromStdString(r.Message()), QString("Data is empty, add data and then export!"));
    QVERIFY(!QFile::exists(dir.filePath("empty.ini")));
}

void CConfigFileTest::cancelledExport() {
    const SExportResult r = ExportConfig({MakeValueRecord(PT_IPR, "9")}, [] { return std::string(); });
    QCOMPARE(r.outcome, EXPORT_CANCELLED);
    QVERIFY(r.Message().empty());
}

void CConfigFileTest::failedExportIsReported_data() {
    // The tests may run as root, whom a read-only mode does not stop: a missing folder and a
    // folder in place of the file stand for a file that cannot be written.
    QTest::addColumn<QString>("path");
    QTest::newRow("folder missing") << "missing/ConfigFile.ini";
    QTest::newRow("a folder, not a file") << "folder.ini";
}

void CConfigFileTest::failedExportIsReported() {
    QFETCH(QString, path);
    QVERIFY(QDir(dir.path()).mkpath("folder.ini"));
    const SExportResult r =
        ExportConfig({MakeValueRecord(PT_IPR, "9")}, [&] { return dir.filePath(path).toStdString(); });
    QCOMPARE(r.outcome, EXPORT_FAILED);
    QVERIFY(!r.error.empty());
    const QString message = QString::fromStdString(r.Message());
    QVERIFY2(message.startsWith("Export Failed! The file could not be written: ") &&
                 message.endsWith(QString::fromStdString(r.error)),
             qPrintable(message));
    QVERIFY(!QFile::exists(dir.filePath("missing")));
}

void CConfigFileTest::read_data() {
    QTest::addColumn<QByteArray>("file"); // "<missing>": no file; "<folder>": a folder
    QTest::addColumn<QString>("results");
    QTest::newRow("link key ignored") << QByteArray("[CONFIG]\nTLK=0011\nKEY=AABB\n") << "39=AABB";
    QTest::newRow("random PAN ID") << QByteArray("[CONFIG]\nPID=65535\n") << "16=65535";
    QTest::newRow("code order, not file order")
        << QByteArray("[CONFIG]\nWTC=9\nNID=5\nSLE=1\nTYP=2\n") << "17=2 18=5 22=1 24=9";
    QTest::newRow("MAC address and own address")
        << QByteArray("[CONFIG]\nMID=0011223344556677\nNCD=3\n") << "14=0011223344556677 19=3";
    QTest::newRow("names without regard to case") << QByteArray("[config]\ndm0=1\nDt4=60\n") << "28=1 37=60";
    QTest::newRow("empty value is missing") << QByteArray("[CONFIG]\nPID=\nIPR=3\n") << "6=3";
    QTest::newRow("first of two keys") << QByteArray("[CONFIG]\nIPR=3\nIPR=4\n") << "6=3";
    QTest::newRow("value cut to 259 characters")
        << QByteArray("[CONFIG]\nKEY=" + QByteArray(300, 'A') + "\n") << "39=" + QString(259, 'A');
    QTest::newRow("commands and versions are no keys")
        << QByteArray("[CONFIG]\nSAV=1\nVER=2\nSRS=1\nIPR=1\n") << "6=1";
    QTest::newRow("other section") << QByteArray("[OTHER]\nIPR=3\n") << "";
    QTest::newRow("not an INI file") << QByteArray("\x89PNG\r\n\x1a\n\x00\x00", 10) << "";
    QTest::newRow("missing file") << QByteArray("<missing>") << "";
    QTest::newRow("a folder") << QByteArray("<folder>") << "";
}

void CConfigFileTest::read() {
    QFETCH(QByteArray, file);
    QFETCH(QString, results);
    const QString path = dir.filePath(QString("read-%1.ini").arg(QTest::currentDataTag()));
    if (file == "<folder>")
        QVERIFY(QDir(dir.path()).mkpath(QFileInfo(path).fileName()));
    else if (file != "<missing>")
        WriteFileBytes(path, file);
    QCOMPARE(Results(ReadConfigFile(path.toStdString())), results);
}

void CConfigFileTest::importClearsThePagesFirst_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("found");
    QTest::newRow("only a MAC address") << QByteArray("[CONFIG]\nMID=0011223344556677\n") << true;
    QTest::newRow("foreign file") << QByteArray("[Settings]\nA=1\n") << false;
    QTest::newRow("only the link key") << QByteArray("[CONFIG]\nTLK=00112233\n") << false;
}

void CConfigFileTest::importClearsThePagesFirst() {
    QFETCH(QByteArray, file);
    QFETCH(bool, found);
    const QString path = dir.filePath("import.ini");
    WriteFileBytes(path, file);
    SFakePages pages;
    pages.Apply({PT_PID, {"5"}});
    pages.Apply({PT_TLK, {"FF"}});
    QStringList steps;
    QCOMPARE(ImportConfig(
                 path.toStdString(),
                 [&] {
                     steps << "reset";
                     pages.Clear();
                 },
                 [&](const SCmdResult& r) {
                     steps << QString::number(r.type);
                     pages.Apply(r);
                 }),
             found);
    QCOMPARE(steps, (found ? QStringList{"reset", "14"} : QStringList{"reset"}));
    QVERIFY(!pages.network.values.count(PT_PID) && pages.encryption.values.empty());
}

void CConfigFileTest::importOntoTheNetworkPage() {
    // The real page: 65535 selects Random, and the node type comes before the node address, whose
    // value the page takes only for a router or an end device.
    const QString path = dir.filePath("network.ini");
    WriteFileBytes(path, "[CONFIG]\nNID=65535\nPID=65535\nTYP=1\nTID=12\n");
    CBaseConfigDialog page;
    QVERIFY(ImportConfig(
        path.toStdString(), [&] { page.ClearParams(); },
        [&](const SCmdResult& r) {
            if (FindParam(r.type)->page == PG_NETWORK) page.SetParam(r.type, r.values.at(0));
        }));
    std::vector<SCmdItem> list;
    page.GetParamList(list);
    std::map<int, std::string> values;
    for (const SCmdItem& item : list)
        values[item.type] = item.Text();
    QCOMPARE(values[PT_PID], std::string("65535"));
    QCOMPARE(values[PT_NID], std::string("65535"));
    QCOMPARE(values[PT_TYP], std::string("1"));
    QCOMPARE(values[PT_TID], std::string("12"));
}

QTEST_MAIN(CConfigFileTest)
#include "files_config_test.moc"
