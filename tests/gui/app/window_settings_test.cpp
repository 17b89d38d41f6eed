// The window and ParamCfg.ini: defaults on the first start, the keys written on close and read
// back at the next start, and the language change (only "LANGUAGE" written, the port closed
// before the restart).
#include "SimWindowFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QtTest>

namespace {
QString ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
void WriteFile(const QString& path, const QString& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}
} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartUsesDefaultsAndCloseWritesTheKeysInOrder();
    void nextStartRestoresThePacketSwitches();
    void languageChangeWritesOnlyTheLanguageAndClosesThePortFirst();
};

void SettingsTest::firstStartUsesDefaultsAndCloseWritesTheKeysInOrder() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    const QString ini = f.WorkDir() + "/ParamCfg.ini";
    QVERIFY(!QFile::exists(ini));
    QCOMPARE(w.LanguageIndex(), 1);
    QVERIFY(w.Log()->DisplayPacket() && w.Log()->HexShow());
    // Nothing changed: the close still writes both switches, then the console's five keys.
    QVERIFY(w.close());
    const QString text = ReadFile(ini);
    QCOMPARE(text.split('\n', Qt::SkipEmptyParts).join('|').remove('\r'),
             QString("[CONFIG]|DisPlayPacket=1|HexShow=1|RestartDevice=1|CmdHex=1|SendTimer=1000|"
                     "SendTimerState=1|SendNewLine=1"));
}

void SettingsTest::nextStartRestoresThePacketSwitches() {
    CWindowFixture f;
    WriteFile(f.WorkDir() + "/ParamCfg.ini", "[CONFIG]\nDisPlayPacket=0\nHexShow=1\n");
    CCalyraDlg& w = f.Start();
    QVERIFY(!w.Log()->DisplayPacket());
    QVERIFY(w.Log()->HexShow());
    QVERIFY(!w.Log()->HexShowBox()->isEnabled());
    QCOMPARE(w.Engine().DisplayPacket(), false);
    QCOMPARE(w.Engine().HexShow(), true);
    w.Log()->HexShowBox()->setChecked(false);
    QVERIFY(w.close());
    const QString text = ReadFile(f.WorkDir() + "/ParamCfg.ini");
    QVERIFY(text.contains("DisPlayPacket=0"));
    QVERIFY(text.contains("HexShow=0"));
}

void SettingsTest::languageChangeWritesOnlyTheLanguageAndClosesThePortFirst() {
    CSimWindowFixture f;
    QVERIFY2(f.SimStarted(), f.SimError().c_str());
    CCalyraDlg& w = f.Start();
    QVERIFY(f.OpenSimPort());
    bool portOpenAtRestart = true;
    int restarts = 0;
    w.SetRestartHandler([&] {
        ++restarts;
        portOpenAtRestart = w.Engine().IsOpen();
    });
    w.LanguageList()->setCurrentIndex(0);
    CPromptAnswerer yes(MB_RESULT_YES);
    w.OnLanguageSelected(0);
    QVERIFY(yes.Answered());
    QCOMPARE(restarts, 1);
    QVERIFY(!portOpenAtRestart);
    QVERIFY(!w.isVisible());
    QCOMPARE(ReadFile(f.WorkDir() + "/ParamCfg.ini").remove('\r'), QString("[CONFIG]\nLANGUAGE=0\n"));
}

QTEST_MAIN(SettingsTest)
#include "window_settings_test.moc"
