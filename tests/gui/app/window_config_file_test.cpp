// Import and export of parameter sets through the window: the file dialogs (replaced here by a
// chooser), the messages, the pages cleared and filled as by a load.
#include "WindowFixture.h"

#include "BaseConfigDialog.h"
#include "ParamCatalogue.h"

#include <QFile>
#include <QtTest>

class ConfigFileTest : public QObject {
    Q_OBJECT
  private slots:
    void exportWithEmptyPagesOnlyLogs();
    void exportThenImportRestoresThePages();
    void cancelledImportLeavesThePages();
    void importWithoutKnownKeysClearsSilently();
    void failedExportIsReported();
};

void ConfigFileTest::exportWithEmptyPagesOnlyLogs() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    int asked = 0;
    w.SetFileChooser([&](bool) {
        ++asked;
        return QString();
    });
    QTest::mouseClick(w.ExportButton(), Qt::LeftButton);
    QCOMPARE(asked, 0);
    QVERIFY(f.LogText().endsWith("]\nData is empty, add data and then export!\n"));
}

void ConfigFileTest::exportThenImportRestoresThePages() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    const QString path = f.WorkDir() + "/set.ini";
    w.SetParam(PT_TYP, "1");
    w.SetParam(PT_PID, "4660");
    w.SetParam(PT_CHA, "15");
    w.SetParam(PT_ITV, "250");
    QList<bool> asks;
    w.SetFileChooser([&](bool save) {
        asks << save;
        return path;
    });
    {
        CPromptAnswerer ok(MB_RESULT_NO);
        QTest::mouseClick(w.ExportButton(), Qt::LeftButton);
        QVERIFY(ok.Answered());
        QCOMPARE(ok.Text(), QString("Export Success!"));
    }
    QVERIFY(QFile(path).exists());
    w.ResetPages();
    QCOMPARE(f.PageValue(PT_PID), std::string());
    w.Log()->AppendLog("before the import");
    {
        CPromptAnswerer ok(MB_RESULT_NO);
        QTest::mouseClick(w.ImportButton(), Qt::LeftButton);
        QVERIFY(ok.Answered());
        QCOMPARE(ok.Text(), QString("Import Success!"));
    }
    QCOMPARE(asks, (QList<bool>{true, false}));
    QCOMPARE(f.PageValue(PT_PID), std::string("4660"));
    QCOMPARE(f.PageValue(PT_CHA), std::string("15"));
    QCOMPARE(f.PageValue(PT_ITV), std::string("250"));
    // The import starts like a load: the log was emptied.
    QVERIFY(!f.LogText().contains("before the import"));
}

void ConfigFileTest::cancelledImportLeavesThePages() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    w.SetParam(PT_PID, "4660");
    w.SetFileChooser([](bool) { return QString(); });
    CPromptAnswerer none(MB_RESULT_NO);
    QTest::mouseClick(w.ImportButton(), Qt::LeftButton);
    QTest::qWait(20);
    QVERIFY(!none.Answered());
    QCOMPARE(f.PageValue(PT_PID), std::string("4660"));
}

void ConfigFileTest::importWithoutKnownKeysClearsSilently() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    const QString path = f.WorkDir() + "/foreign.ini";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[CONFIG]\nXYZ=1\nTLK=00112233445566778899AABBCCDDEEFF\n");
    file.close();
    w.SetParam(PT_PID, "4660");
    w.SetFileChooser([&](bool) { return path; });
    CPromptAnswerer none(MB_RESULT_NO);
    QTest::mouseClick(w.ImportButton(), Qt::LeftButton);
    QTest::qWait(20);
    QVERIFY(!none.Answered());
    QCOMPARE(f.PageValue(PT_PID), std::string());
}

void ConfigFileTest::failedExportIsReported() {
    CWindowFixture f;
    CCalyraDlg& w = f.Start();
    w.SetParam(PT_PID, "4660");
    w.SetFileChooser([&](bool) { return f.WorkDir() + "/no/such/folder/set.ini"; });
    CPromptAnswerer ok(MB_RESULT_NO);
    QTest::mouseClick(w.ExportButton(), Qt::LeftButton);
    QVERIFY(ok.Answered());
    QVERIFY2(ok.Text().startsWith("Export Failed!"), qPrintable(ok.Text()));
    QVERIFY(f.LogText().contains("]\nExport Failed!"));
}

QTEST_MAIN(ConfigFileTest)
#include "window_config_file_test.moc"
