#pragma once
// Shared helpers of the settings, language and parameter file tests (tests/gui/app/files_*): a
// file's bytes as they lie on disk, and a file written from bytes.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

// The bytes of the file, "<missing>" when it cannot be read.
inline QByteArray ReadFileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Writes bytes as the whole file; a failure fails the calling test.
inline void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}
