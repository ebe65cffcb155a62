// The product rows made ahead of the writes, by one making thread and by several: every row in the sheet's order
// across the blocks, its values or none, and which rows repeat the code of an earlier one; a row whose making
// fails, and a taker that stops while the makers wait for room.
#include "../worksheet/PackageBuilder.h"
#include "engine/rows/ProductValues.h"
#include "engine/rows/RowsAhead.h"
#include "engine/rows/RowSizes.h"
#include "engine/sheet/ProductSheet.h"
#include "worksheet/Workbook.h"

#include <QTest>

#include <algorithm>
#include <atomic>
#include <new>
#include <optional>
#include <vector>

namespace {

QByteArray cell(const QString& text)
{
    return "<c t=\"inlineStr\"><is><t>" + text.toUtf8() + "</t></is></c>";
}

// A product sheet whose rows have the given codes (and cost prices): the header first.
data::Worksheet productSheet(const QStringList& codes, const QStringList& costPrices)
{
    QByteArray rows = "<row r=\"1\">";
    for (const QString& header : importer::productColumnHeaders())
        rows += cell(header);
    rows += "</row>";
    for (qsizetype i = 0; i < codes.size(); ++i)
        rows += "<row r=\"" + QByteArray::number(i + 2) + "\">" + cell(codes[i]) + cell(QStringLiteral("药%1").arg(i)) +
                cell(QStringLiteral("盒")) + cell(costPrices[i]) + "</row>";
    return data::Workbook::openBytes(packagebuilder::oneSheet(rows)).sheet(0);
}

} // namespace

class TestRowsAhead : public QObject
{
    Q_OBJECT

    static void addMakers()
    {
        QTest::addColumn<int>("makers");
        for (int makers = 1; makers <= importer::sizes::kRowMakersMax; ++makers)
            QTest::newRow(qPrintable(QStringLiteral("%1 making threads").arg(makers))) << makers;
    }

private slots:
    void rowsInOrderWithRepeatsMarked_data() { addMakers(); }
    // 700 rows, over blocks of 256: a code repeated at once, one repeated two blocks later, a code whose text
    // differs only in case, rows without a code (never a repeat, however many), and a cost price that is no
    // number (no values, but its code still counts as seen).
    void rowsInOrderWithRepeatsMarked()
    {
        QFETCH(int, makers);
        QStringList codes;
        QStringList costs;
        for (int i = 0; i < 700; ++i) {
            codes.append(QStringLiteral("C%1").arg(i));
            costs.append(QString::number(i));
        }
        codes[11] = codes[10];
        codes[600] = codes[10];
        codes[301] = QStringLiteral("c300");
        codes[400] = QString();
        codes[401] = QStringLiteral("  ");
        codes[402] = QString();
        costs[500] = QStringLiteral("x");
        codes[501] = QStringLiteral("C500");

        const importer::ProductSheet sheet(productSheet(codes, costs));
        importer::RunValues runValues;
        runValues.codeLetter = QStringLiteral("B");
        runValues.bigKindCode = QStringLiteral("XY11");
        runValues.categoryKindId = QStringLiteral("010101");
        std::vector<importer::MadeRow> taken; // as the writes keep them until their group commits
        {
            importer::RowsAhead rows(sheet.rowCount(), importer::sheetRowMaker(sheet, false, runValues),
                                     importer::sheetRepeatMarker(sheet), makers);
            for (int i = 0; i < 700; ++i) {
                importer::MadeRow* made = rows.next();
                QVERIFY(made);
                taken.push_back(std::move(*made));
            }
            QCOMPARE(rows.next(), nullptr);
            // A row made again (its group was lost) is the row first taken: a repeat of the same earlier row, or
            // of none.
            for (const int again : {10, 11, 500, 600, 699}) {
                const importer::MadeRow made = rows.makeAgain(again);
                const importer::MadeRow& first = taken[std::size_t(again)];
                QCOMPARE(made.code, first.code);
                QCOMPARE(made.repeatsCode, first.repeatsCode);
                QCOMPARE(made.earlierRow, first.earlierRow);
                QCOMPARE(made.reason, first.reason);
                QCOMPARE(made.values.has_value(), first.values.has_value());
                if (made.values)
                    QCOMPARE(made.values->at(0).text, first.values->at(0).text);
            }
        }
        // The rows' values outlive the blocks and the threads that made them.
        QStringList repeats;
        for (int i = 0; i < 700; ++i) {
            const importer::MadeRow& made = taken[std::size_t(i)];
            QCOMPARE(made.sheetRow, i);
            QCOMPARE(made.name, QStringLiteral("药%1").arg(i));
            QCOMPARE(made.values.has_value(), !made.code.isEmpty() && i != 500);
            if (made.values) {
                QCOMPARE(made.values->size(), std::size_t(data::kCpxmColumnCount));
                QCOMPARE(made.values->at(0).text, "B" + made.code);
                QCOMPARE(made.values->at(1).text, made.name);
                QCOMPARE(made.values->at(5).number, double(i));
            }
            if (made.repeatsCode)
                repeats.append(QString::number(i));
        }
        QCOMPARE(repeats, QStringList({"11", "501", "600"}));
    }

    // Making a row fails (memory, or anything else) in the middle of a block: every row before it is taken, in
    // order and whole, and then the failure; never a half-made row, never the end of the program.
    void failureComesAfterTheRowsBeforeIt_data()
    {
        QTest::addColumn<int>("makers");
        QTest::addColumn<int>("failingRow");
        const std::pair<const char*, int> rows[] = {{"first row", 0},
                                                    {"inside the first block", 100},
                                                    {"first of an even block", importer::sizes::kBlockRows * 2},
                                                    {"inside an odd block", importer::sizes::kBlockRows * 3 + 7},
                                                    {"last row", 999}};
        for (int makers = 1; makers <= importer::sizes::kRowMakersMax; ++makers) {
            for (const auto& [name, row] : rows)
                QTest::newRow(qPrintable(QStringLiteral("%1, %2 making threads").arg(name).arg(makers)))
                    << makers << row;
        }
    }
    void failureComesAfterTheRowsBeforeIt()
    {
        QFETCH(int, makers);
        QFETCH(int, failingRow);
        importer::RowsAhead rows(
            1000,
            [failingRow](int row, importer::MakingTools&) {
                if (row == failingRow)
                    throw std::bad_alloc();
                importer::MadeRow made;
                made.sheetRow = row;
                made.code = QString::number(row);
                made.values = importer::RowValues(data::CpxmRow(20));
                return made;
            },
            {}, makers);
        for (int row = 0; row < failingRow; ++row) {
            const importer::MadeRow* made = rows.next();
            QVERIFY(made);
            QCOMPARE(made->code, QString::number(row));
            QCOMPARE(made->values->size(), std::size_t(20));
        }
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, rows.next());
    }

    void takerStopsWhileTheMakersWait_data() { addMakers(); }
    // The writes stop (a store fault) while the makers wait for room in full queues: by then they have made a small
    // share of a long sheet, each row once, and once the rows are dropped no thread makes another.
    void takerStopsWhileTheMakersWait()
    {
        QFETCH(int, makers);
        constexpr int kRows = 1000000;
        std::vector<std::atomic<int>> timesMade(kRows);
        std::atomic<int> made = 0;
        int atStop = 0;
        {
            std::optional<importer::RowsAhead> rows;
            rows.emplace(
                kRows,
                [&](int row, importer::MakingTools&) {
                    ++timesMade[std::size_t(row)];
                    ++made;
                    importer::MadeRow product;
                    product.sheetRow = row;
                    product.code = QStringLiteral("C");
                    return product;
                },
                importer::RepeatMarker{}, makers);
            const importer::MadeRow* first = rows->next();
            QVERIFY(first);
            QCOMPARE(first->sheetRow, 0);
            // Until the makers wait for room: the count no longer moves.
            for (int seen = -1; made.load() != seen;) {
                seen = made.load();
                QTest::qWait(100);
            }
            rows.reset();
            atStop = made.load();
        }
        QVERIFY2(atStop < kRows / 100, qPrintable(QStringLiteral("%1 rows made ahead").arg(atStop)));
        QTest::qWait(100);
        QCOMPARE(made.load(), atStop);
        QVERIFY(
            std::all_of(timesMade.begin(), timesMade.end(), [](const std::atomic<int>& n) { return n.load() <= 1; }));
    }
};

QTEST_GUILESS_MAIN(TestRowsAhead)
#include "tst_rowsahead.moc"
