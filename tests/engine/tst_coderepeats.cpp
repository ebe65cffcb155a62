// Which rows repeat the code of an earlier row: the earlier row named is the first that had the code, a row asked
// again is no repeat of itself, and a sheet's worth of codes fits however they fall in the table.

#include "engine/rows/CodeRepeats.h"

#include <QtTest>

class TestCodeRepeats : public QObject
{
    Q_OBJECT

private slots:
    void earlierRow_data();
    void earlierRow();
    void fullSheet_data();
    void fullSheet();
};

void TestCodeRepeats::earlierRow_data()
{
    QTest::addColumn<QStringList>("codes"); // row by row
    QTest::addColumn<QList<int>>("earlier");

    QTest::newRow("none repeated") << QStringList{"1001", "1002", "1003"} << QList<int>{-1, -1, -1};
    QTest::newRow("the first row that had it") << QStringList{"7", "8", "7", "7", "8"} << QList<int>{-1, -1, 0, 0, 1};
    QTest::newRow("codes differing in case or blanks")
        << QStringList{"a1", "A1", "A1 ", " A1", "A1"} << QList<int>{-1, -1, -1, -1, 1};
    QTest::newRow("the empty code") << QStringList{"", "1", ""} << QList<int>{-1, -1, 0};
    QTest::newRow("Chinese codes") << QStringList{"甲一", "乙二", "甲一"} << QList<int>{-1, -1, 0};
}

void TestCodeRepeats::earlierRow()
{
    QFETCH(QStringList, codes);
    QFETCH(QList<int>, earlier);
    importer::CodeRepeats repeats(int(codes.size()));
    for (int row = 0; row < codes.size(); ++row) {
        QCOMPARE(repeats.earlierRow(codes[row], row), earlier[row]);
        // Asked again for the same row, a code is no repeat of itself, and the first row stays the one named.
        if (earlier[row] < 0)
            QCOMPARE(repeats.earlierRow(codes[row], row), -1);
    }
}

// rows codes, each once, then each again in reverse order: every repeat names the code's first row, the table
// filled to its limit and its probes wrapping round its end.
void TestCodeRepeats::fullSheet_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("one row") << 1;
    QTest::newRow("fewer than the smallest table") << 7;
    QTest::newRow("a power of two") << 4096;
    QTest::newRow("a larger sheet") << 10000;
}

void TestCodeRepeats::fullSheet()
{
    QFETCH(int, rows);
    importer::CodeRepeats repeats(rows);
    for (int row = 0; row < rows; ++row)
        QCOMPARE(repeats.earlierRow(QStringLiteral("P%1").arg(row), row), -1);
    for (int row = 0; row < rows; ++row)
        QCOMPARE(repeats.earlierRow(QStringLiteral("P%1").arg(rows - 1 - row), rows + row), rows - 1 - row);
}

QTEST_GUILESS_MAIN(TestCodeRepeats)
#include "tst_coderepeats.moc"
