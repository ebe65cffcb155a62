// Every workbook of the shared corpus of real .xlsx and .xlsm files: each one reads, every cell of every sheet, or is
// refused with a workbook or sheet error; never a crash or another kind of failure. The corpus's SOURCES.md says which
// files must read and which must be refused.
#include "CorpusCheck.h"
#include "TestPaths.h"
#include "WorkbookDump.h"

#include <limits>

namespace {

// Every sheet's extents and cells, sheet after sheet, read as reading says; the refusal's reason where it is refused.
QStringList sheets(const QString& path, const data::SheetReading& reading)
{
    QStringList lines;
    try {
        const data::Workbook book = data::Workbook::open(path);
        for (int i = 0; i < book.sheetNames().size(); ++i) {
            lines << workbookdump::sheetLines(book.sheet(i, reading), 200000, 256);
        }
    } catch (const data::WorkbookError& error) {
        lines << error.reason();
    } catch (const data::SheetError& error) {
        lines << error.reason();
    }
    return lines;
}

} // namespace

class TestXlsxCorpus : public QObject
{
    Q_OBJECT

private slots:
    void readsOrRefuses_data() { corpuscheck::addRows(testsupport::xlsxCorpusDir(), {}); }
    void readsOrRefuses()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        CORPUSCHECK_SKIP_WITHOUT_CORPUS(path, testsupport::xlsxCorpusDir(), "PI_XLSX_CORPUS_DIR");
        const QString refusal = corpuscheck::readOrRefuse(path, 1048576, 16384);
        CORPUSCHECK_JUDGE(expected, refusal);
    }

    // Sheets cut into small pieces of rows, parsed on three threads, read to the same cells as in one pass.
    void piecesReadAsOnePass_data() { corpuscheck::addRows(testsupport::xlsxCorpusDir(), {}); }
    void piecesReadAsOnePass()
    {
        QFETCH(QString, path);
        CORPUSCHECK_SKIP_WITHOUT_CORPUS(path, testsupport::xlsxCorpusDir(), "PI_XLSX_CORPUS_DIR");
        const data::SheetReading onePass{std::numeric_limits<std::size_t>::max(), 1, 1};
        const data::SheetReading smallPieces{0, 4096, 3};
        QCOMPARE(sheets(path, smallPieces), sheets(path, onePass));
    }
};

QTEST_GUILESS_MAIN(TestXlsxCorpus)
#include "tst_xlsxcorpus.moc"
