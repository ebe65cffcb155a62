#pragma once
// What the two corpus tests share: the verdicts of a corpus's SOURCES.md, one data row per workbook (or one that
// says the corpus is absent), and the reading of a workbook to its last cell, judged against its verdict.

#include "worksheet/Workbook.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

namespace corpuscheck {

// "must read", "must refuse", or anything else (optional, read or refuse) by path inside the corpus.
inline QHash<QString, QString> verdicts(const QString& corpus)
{
    QHash<QString, QString> expected;
    QFile sources(corpus + QStringLiteral("/SOURCES.md"));
    if (!sources.open(QIODevice::ReadOnly | QIODevice::Text))
        return expected;
    const QRegularExpression folderLine(QStringLiteral("Folder `([^`]+)/`"));
    const QRegularExpression row(QStringLiteral("^\\| ([^|]+?) \\| \\d+ \\| [^|]* \\| ([^|]+?) \\|"));
    QString folder;
    while (!sources.atEnd()) {
        const QString line = QString::fromUtf8(sources.readLine()).trimmed();
        if (const auto m = folderLine.match(line); m.hasMatch())
            folder = m.captured(1);
        else if (const auto r = row.match(line); r.hasMatch() && !folder.isEmpty())
            expected.insert(folder + u'/' + r.captured(1), r.captured(2));
    }
    return expected;
}

// The columns "path" and "expected", and a row per workbook of the corpus (the files that match nameFilters, or
// every file but SOURCES.md); one row with an empty path when the corpus is not there.
inline void addRows(const QString& corpus, const QStringList& nameFilters)
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    if (!QFileInfo::exists(corpus)) {
        QTest::newRow("no corpus") << QString() << QString();
        return;
    }
    const QHash<QString, QString> expected = verdicts(corpus);
    QDirIterator files(corpus, nameFilters, QDir::Files, QDirIterator::Subdirectories);
    QStringList paths;
    while (files.hasNext())
        paths << files.next();
    paths.removeAll(corpus + QStringLiteral("/SOURCES.md"));
    paths.sort();
    for (const QString& path : paths) {
        const QString relative = path.mid(corpus.size() + 1);
        QTest::newRow(qPrintable(relative)) << path << expected.value(relative);
    }
}

// Reads every cell up to the extents, or a large block and the far corner of a sheet that reaches far out.
inline void readCells(const data::Worksheet& sheet)
{
    constexpr long long kMaxCells = 4'000'000;
    const int columns = sheet.columnCount();
    const long long rows = columns > 0 ? std::min<long long>(sheet.rowCount(), kMaxCells / columns + 1) : 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            sheet.cellText(row, column);
    }
    sheet.cellText(sheet.rowCount() - 1, sheet.columnCount() - 1);
}

// Opens the workbook and reads every sheet within the row and column limits of its format; the refusal's reason,
// or an empty text when it read.
inline QString readOrRefuse(const QString& path, int maxRows, int maxColumns)
{
    try {
        const data::Workbook book = data::Workbook::open(path);
        for (int i = 0; i < book.sheetNames().size(); ++i) {
            const data::Worksheet sheet = book.sheet(i);
            if (sheet.rowCount() < 0 || sheet.rowCount() > maxRows || sheet.columnCount() < 0 ||
                sheet.columnCount() > maxColumns || (sheet.rowCount() == 0) != (sheet.columnCount() == 0))
                return QStringLiteral("<extents %1 x %2 out of bounds>").arg(sheet.rowCount()).arg(sheet.columnCount());
            readCells(sheet);
        }
    } catch (const data::WorkbookError& error) {
        return error.reason();
    } catch (const data::SheetError& error) {
        return error.reason();
    }
    return {};
}

} // namespace corpuscheck

// In a test function: skips the "no corpus" row, saying where the corpus was looked for and which option moves it.
#define CORPUSCHECK_SKIP_WITHOUT_CORPUS(path, folder, option)                                                          \
    if ((path).isEmpty())                                                                                              \
    QSKIP(qPrintable(                                                                                                  \
        QStringLiteral("the corpus of real workbooks is not at %1 (CMake option " option "): skipped").arg(folder)))

// In a test function: the verdict against what became of the workbook.
#define CORPUSCHECK_JUDGE(expected, refusal)                                                                           \
    do {                                                                                                               \
        QVERIFY2(!(expected).isEmpty(), "the file has no verdict in the corpus's SOURCES.md");                         \
        if ((expected) == u"must read")                                                                                \
            QVERIFY2((refusal).isEmpty(), qPrintable(refusal));                                                        \
        else if ((expected) == u"must refuse")                                                                         \
            QVERIFY2(!(refusal).isEmpty(), "read a workbook that must be refused");                                    \
        else if (!(refusal).isEmpty())                                                                                 \
            qInfo("refused: %s", qPrintable(refusal));                                                                 \
    } while (false)
