// Every workbook of the shared corpus of real .xlsx and .xlsm files: each one reads, every cell of every sheet, or is
// refused with a workbook or sheet error; never a crash or another kind of failure. The corpus's SOURCES.md says which
// files must read and which must be refused.
#include "CorpusCheck.h"
#include "TestPaths.h"

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
};

QTEST_GUILESS_MAIN(TestXlsxCorpus)
#include "tst_xlsxcorpus.moc"
