// The product rows made ahead of the writes: every row in the sheet's order across the blocks, its values or
// none, and which rows repeat the code of an earlier one; a row whose making fails, and a taker that stops while
// the maker waits for room.
#include "CodeRepeats.h"
#include "ProductInsertion.h"
#include "ProductSheet.h"
#include "Quantities.h"
#include "RowsAhead.h"
#include "Workbook.h"
#include "../worksheet/PackageBuilder.h"

#include <QTest>

#include <atomic>
#include <new>
#include <optional>

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

private slots:
    // 700 rows, over blocks of 256: a code repeated at once, one repeated two blocks later, a code whose text
    // differs only in case, rows without a code (never a repeat, however many), and a cost price that is no
    // number (no values, but its code still counts as seen).
    void rowsInOrderWithRepeatsMarked()
    {
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
        importer::BatchValues batch;
        batch.batchPrefix = QStringLiteral("B");
        batch.bigKindCode = QStringLiteral("XY11");
        batch.categoryKindId = QStringLiteral("010101");
        importer::RowsAhead rows(sheet.rowCount(), importer::sheetRowMaker(sheet, false, batch));
        QStringList repeats;
        for (int i = 0; i < 700; ++i) {
            const importer::MadeRow* made = rows.next();
            QVERIFY(made);
            QCOMPARE(made->sheetRow, i);
            QCOMPARE(made->name, QStringLiteral("药%1").arg(i));
            QCOMPARE(made->values.has_value(), !made->code.isEmpty() && i != 500);
            if (made->values)
                QCOMPARE(made->values->at(0).text, "B" + made->code);
            if (made->repeatsCode)
                repeats.append(QString::number(i));
        }
        QCOMPARE(rows.next(), nullptr);
        QCOMPARE(repeats, QStringList({"11", "501", "600"}));
    }

    // Making a row fails (memory, or anything else) in the middle of a block: every row before it is taken, in
    // order and whole, and then the failure; never a half-made row, never the end of the program.
    void failureComesAfterTheRowsBeforeIt_data()
    {
        QTest::addColumn<int>("failingRow");
        QTest::newRow("first row") << 0;
        QTest::newRow("inside the first block") << 100;
        QTest::newRow("first of a block") << data::sizes::kBlockRows * 2;
        QTest::newRow("last row") << 999;
    }
    void failureComesAfterTheRowsBeforeIt()
    {
        QFETCH(int, failingRow);
        importer::RowsAhead rows(1000, [failingRow](int row, mnemonic::MnemonicEncoder&, importer::CodeRepeats&) {
            if (row == failingRow)
                throw std::bad_alloc();
            importer::MadeRow made;
            made.sheetRow = row;
            made.code = QString::number(row);
            made.values = data::CpxmRow(20);
            return made;
        });
        for (int row = 0; row < failingRow; ++row) {
            const importer::MadeRow* made = rows.next();
            QVERIFY(made);
            QCOMPARE(made->code, QString::number(row));
            QCOMPARE(made->values->size(), std::size_t(20));
        }
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, rows.next());
    }

    // The writes stop (a store fault) while the maker waits for room in a full queue: it stops at once, having
    // made no more than the rows that fit, and the thread is joined.
    void takerStopsWhileTheMakerWaits()
    {
        std::atomic<int> made = 0;
        const int fit = int(data::sizes::kBlocksAhead + 2) * data::sizes::kBlockRows; // taken, queued, waiting
        {
            std::optional<importer::RowsAhead> rows;
            rows.emplace(1000000, [&made](int row, mnemonic::MnemonicEncoder&, importer::CodeRepeats&) {
                ++made;
                importer::MadeRow product;
                product.sheetRow = row;
                product.code = QStringLiteral("C");
                return product;
            });
            QVERIFY(rows->next());
            QTRY_COMPARE(made.load(), fit); // the maker now waits for room
            rows.reset();
        }
        QCOMPARE(made.load(), fit);
    }
};

QTEST_GUILESS_MAIN(TestRowsAhead)
#include "tst_rowsahead.moc"
