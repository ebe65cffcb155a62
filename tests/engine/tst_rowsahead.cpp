// The product rows made ahead of the writes: every row in the sheet's order across the blocks, its values or
// none, and which rows repeat the code of an earlier one.
#include "ProductInsertion.h"
#include "ProductSheet.h"
#include "RowsAhead.h"
#include "Workbook.h"
#include "../worksheet/PackageBuilder.h"

#include <QTest>

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
        importer::RowsAhead rows(sheet, sheet.rowCount(), false, batch);
        QStringList repeats;
        for (int i = 0; i < 700; ++i) {
            const importer::MadeRow& made = rows.next();
            QCOMPARE(made.name.name, QStringLiteral("药%1").arg(i));
            QCOMPARE(made.values.has_value(), !made.name.code.isEmpty() && i != 500);
            if (made.values)
                QCOMPARE(made.values->at(0).text, "B" + made.name.code);
            if (made.repeatsCode)
                repeats.append(QString::number(i));
        }
        QCOMPARE(repeats, QStringList({"11", "501", "600"}));
    }
};

QTEST_GUILESS_MAIN(TestRowsAhead)
#include "tst_rowsahead.moc"
