// Large .xlsx sheets are cut into pieces of whole rows and parsed on several threads. Whatever a sheet holds, the
// pieces must give exactly what one pass over the part gives: the same cells, the same refusal. Where a part cannot
// be cut safely (a comment, another encoding, rows that number themselves from the row before), it is read in one
// pass, and the tests say which parts are cut.
#include "PackageBuilder.h"
#include "WorkbookDump.h"
#include "worksheet/Workbook.h"
#include "worksheet/WorkbookData.h"
#include "worksheet/xlsx/PackageFile.h"
#include "worksheet/xlsx/PackageReader.h"
#include "worksheet/xlsx/SheetPieces.h"

#include <gsf/gsf-input-memory.h>

#include <QTest>

#include <exception>
#include <limits>

using data::SheetReading;
using data::Workbook;
using data::Worksheet;
using namespace packagebuilder;

namespace {

// Every row its own piece, three threads: as many cuts and as much interleaving as a small sheet allows.
const SheetReading kSmallPieces{0, 1, 3};
const SheetReading kOnePass{std::numeric_limits<std::size_t>::max(), 1, 1};

// The sheet's lines, or its refusal's reason.
QStringList read(const QByteArray& file, const SheetReading& reading)
{
    try {
        return workbookdump::sheetLines(Workbook::openBytes(file).sheet(0, reading));
    } catch (const data::SheetError& error) {
        return {QStringLiteral("refused: ") + error.reason()};
    } catch (const std::exception& error) {
        return {QStringLiteral("fault: ") + QString::fromUtf8(error.what())}; // never a refusal: fails the compare
    }
}

// Whether the part is read in pieces rather than in one pass, and the lines the pieces alone give.
std::pair<bool, QStringList> readInPiecesOnly(const QByteArray& file, const SheetReading& reading = kSmallPieces)
{
    data::gsf::InputPtr input(
        gsf_input_memory_new(reinterpret_cast<const guint8*>(file.constData()), file.size(), FALSE));
    const auto package = data::xlsx::PackageFile::open(std::move(input), QStringLiteral("t.xlsx"), file);
    const auto book = data::xlsx::readPackageWorkbook(package);
    const data::gsf::InputPtr part = package->partById(package->workbookPart(), book->sheets.front().relationId);
    const auto sheet = data::emptyWorksheet(book, QStringLiteral("S"));
    bool inOrder = true;
    try {
        if (!data::xlsx::readInPieces(part.get(), *sheet, *book, reading, 3, inOrder))
            return {false, {}};
    } catch (const data::xlsx::PackageError& error) {
        return {true, {QStringLiteral("damaged: ") + QString::fromUtf8(error.what())}};
    } catch (const std::exception& error) {
        return {true, {QStringLiteral("fault: ") + QString::fromUtf8(error.what())}};
    }
    data::indexCells(*sheet, inOrder);
    return {true, workbookdump::sheetLines(Worksheet(sheet))};
}

QByteArray withSheet(const QByteArray& sheetXml)
{
    Parts parts = oneSheetParts("", "<si><t>甲</t></si><si><t>乙</t></si><si><t>丙</t></si>");
    for (auto& [name, bytes] : parts) {
        if (name == "xl/worksheets/sheet1.xml")
            bytes = sheetXml;
    }
    return zip(parts);
}

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

QByteArray sheet(const QByteArray& sheetData, const QByteArray& after = {},
                 const QByteArray& declaration = kDeclaration)
{
    return declaration + "<worksheet xmlns=\"" + kMainNs + "\"><dimension ref=\"A1\"/><sheetData>" + sheetData +
           "</sheetData>" + after + "</worksheet>";
}

// Row n with an inline text (kept in the sheet's own texts), a number, a shared string and a boolean.
QByteArray row(int n, const QByteArray& rowAttributes = {})
{
    const QByteArray r = QByteArray::number(n);
    return "<row r=\"" + r + "\"" + rowAttributes + "><c r=\"A" + r + "\" t=\"inlineStr\"><is><t>名" + r +
           "</t></is></c><c r=\"B" + r + "\"><v>" + r + ".25</v></c><c r=\"C" + r + "\" t=\"s\"><v>" +
           QByteArray::number(n % 3) + "</v></c><c r=\"D" + r + "\" t=\"b\"><v>" + QByteArray::number(n % 2) +
           "</v></c></row>";
}

QByteArray rows(int first, int last)
{
    QByteArray xml;
    for (int n = first; n <= last; ++n)
        xml += row(n);
    return xml;
}

// Row n as Excel writes most rows, read without expat: a number, a shared string, a boolean, a date-formatted
// number, an error, an empty value and a formula with its text result, all in ASCII.
QByteArray plainRow(int n)
{
    const QByteArray r = QByteArray::number(n);
    return "<row r=\"" + r + "\" spans=\"1:8\"><c r=\"A" + r + "\"><v>" + r + ".5</v></c><c r=\"B" + r +
           "\" t=\"s\"><v>" + QByteArray::number(n % 3) + "</v></c><c r=\"C" + r + "\" t=\"b\"><v>" +
           QByteArray::number(n % 2) + "</v></c><c r=\"D" + r + "\" s=\"1\"><v>4500" + r + "</v></c><c r=\"E" + r +
           "\" t=\"e\"><v>#N/A</v></c><c r=\"F" + r + "\"><v></v></c><c r=\"G" + r + "\" t=\"str\"><f>LOWER(\"X" + r +
           "\")</f><v>x" + r + "</v></c><c r=\"H" + r + "\" s=\"1\"/></row>\n";
}

QByteArray plainRows(int first, int last)
{
    QByteArray xml;
    for (int n = first; n <= last; ++n)
        xml += plainRow(n);
    return xml;
}

} // namespace

class TestSheetPieces : public QObject
{
    Q_OBJECT

private slots:
    void sameAsOnePass_data()
    {
        QTest::addColumn<QByteArray>("sheetXml");
        QTest::addColumn<bool>("cut");

        QTest::newRow("rows") << sheet(rows(1, 40)) << true;
        QTest::newRow("many rows") << sheet(rows(1, 3000)) << true;
        QTest::newRow("one row") << sheet(rows(1, 1)) << true;
        QTest::newRow("plain rows") << sheet(plainRows(1, 40)) << true;
        QTest::newRow("plain rows among others") << sheet(plainRows(1, 5) + rows(6, 8) + plainRows(9, 12)) << true;
        QTest::newRow("plain rows damaged in the middle")
            << sheet(plainRows(1, 5) + "<row r=\"6\"><c r=\"A6\"><v>1</v></row>" + plainRows(7, 9)) << false;
        QTest::newRow("rows out of order") << sheet(rows(20, 30) + rows(1, 10) + rows(31, 32)) << true;
        QTest::newRow("a row twice") << sheet(rows(1, 5) + rows(3, 3)) << true;
        QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + sheet(rows(1, 10)) << true;
        QTest::newRow("no declaration") << sheet(rows(1, 10), {}, {}) << true;
        QTest::newRow("elements after the rows")
            << sheet(rows(1, 10), "<rowBreaks count=\"1\"><brk id=\"5\"/></rowBreaks>") << true;
        QTest::newRow("cells without references")
            << sheet("<row r=\"2\"><c><v>1</v></c><c t=\"inlineStr\"><is><t>a</t></is></c></row><row r=\"4\"><c>"
                     "<v>2</v></c><c r=\"E4\"><v>3</v></c><c><v>4</v></c></row>")
            << true;
        QTest::newRow("rows without numbers after a numbered one")
            << sheet("<row r=\"3\"><c><v>1</v></c></row><row><c><v>2</v></c></row><row><c><v>3</v></c></row>") << false;
        QTest::newRow("a prefix on every element")
            << kDeclaration + "<x:worksheet xmlns:x=\"" + kMainNs +
                   "\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\"><x:v>1</x:v></x:c></x:row><x:row r=\"2\"><x:c "
                   "r=\"B2\" t=\"inlineStr\"><x:is><x:t>二</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>"
            << true;
        QTest::newRow("a comment holding a row")
            << sheet(rows(1, 3) + "<!-- <row r=\"9\"><c r=\"A9\"><v>9</v></c></row> -->" + rows(4, 5)) << false;
        QTest::newRow("a CDATA section holding a row")
            << sheet(rows(1, 3) +
                     "<row r=\"4\"><c r=\"A4\" t=\"inlineStr\"><is><t><![CDATA[x<row r=\"8\">]]></t>"
                     "</is></c></row>" +
                     rows(5, 6))
            << false;
        QTest::newRow("a comment before the first row") << sheet("<!-- the rows -->" + rows(1, 5)) << false;
        QTest::newRow("another encoding")
            << sheet("<row r=\"1\"><c t=\"inlineStr\"><is><t>caf\xE9</t></is></c></row>" + rows(2, 3), {},
                     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>")
            << false;
        QTest::newRow("a row inside a cell")
            << sheet(rows(1, 2) + "<row r=\"3\"><c r=\"A3\"><row r=\"7\"/><v>1</v></c></row>" + rows(4, 5)) << false;
        QTest::newRow("an empty sheet") << sheet({}) << false;
        QTest::newRow("an empty element for the sheet")
            << kDeclaration + "<worksheet xmlns=\"" + kMainNs + "\"><sheetData/></worksheet>" << false;
        QTest::newRow("damaged in a middle row")
            << sheet(rows(1, 5) + "<row r=\"6\"><c r=\"A6\"><v>1</v></row>" + rows(7, 9)) << false;
        QTest::newRow("a row numbered wrongly") << sheet(rows(1, 5) + row(0) + rows(7, 9)) << false;
        QTest::newRow("damaged after the last row")
            << sheet(rows(1, 5), "<mergeCells><mergeCell ref=\"A1:B1\"></mergeCells>") << true;
    }

    void sameAsOnePass()
    {
        QFETCH(QByteArray, sheetXml);
        QFETCH(bool, cut);
        const QByteArray file = withSheet(sheetXml);
        const QStringList onePass = read(file, kOnePass);
        QCOMPARE(read(file, kSmallPieces), onePass);

        const auto [wasCut, pieces] = readInPiecesOnly(file);
        QCOMPARE(wasCut, cut);
        if (!wasCut)
            return;
        if (onePass.front().startsWith(QStringLiteral("refused: ")))
            QVERIFY2(pieces.front().startsWith(QStringLiteral("damaged: ")), qPrintable(pieces.front()));
        else
            QCOMPARE(pieces, onePass);
    }

    // A sheet of the size that is cut for real (several megabytes, in pieces of a megabyte, over chunks that end
    // inside rows): it is read in pieces, not in one pass after a piece failed, and gives the same cells.
    void realSizedSheetIsCut()
    {
        const QByteArray file = withSheet(sheet(rows(1, 60000)));
        const SheetReading reading;
        const auto [wasCut, pieces] = readInPiecesOnly(file, reading);
        QVERIFY(wasCut);
        QCOMPARE(pieces.size(), 1 + 60000); // the size line, then the rows
        QCOMPARE(pieces, read(file, kOnePass));
    }
};

QTEST_GUILESS_MAIN(TestSheetPieces)
#include "tst_sheetpieces.moc"
