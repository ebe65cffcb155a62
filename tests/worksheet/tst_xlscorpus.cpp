// Every workbook of the shared corpus of real .xls files: each one reads, every cell of every sheet, or is refused
// with a workbook or sheet error; never a crash or another kind of failure. The corpus's SOURCES.md says which
// files must read and which must be refused.
#include "CorpusCheck.h"
#include "TestPaths.h"

class TestXlsCorpus : public QObject
{
    Q_OBJECT

private slots:
    void readsOrRefuses_data()
    {
        corpuscheck::addRows(testsupport::xlsCorpusDir(), {QStringLiteral("*.xls"), QStringLiteral("*.XLS")});
    }
    void readsOrRefuses()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        CORPUSCHECK_SKIP_WITHOUT_CORPUS(path, testsupport::xlsCorpusDir(), "PI_XLS_CORPUS_DIR");
        const QString refusal = corpuscheck::readOrRefuse(path, 65536, 256);
        CORPUSCHECK_JUDGE(expected, refusal);
    }
};

QTEST_GUILESS_MAIN(TestXlsCorpus)
#include "tst_xlscorpus.moc"
