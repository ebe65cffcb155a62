// Every workbook of the shared corpus of real .xls files: each one reads, every cell of every sheet, or is refused
// with a workbook or sheet error; never a crash or another kind of failure. The corpus's SOURCES.md says which
// files must read and which must be refused.
#include "TestPaths.h"
#include "Workbook.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTest>

using data::SheetError;
using data::Workbook;
using data::WorkbookError;

namespace {

// "must read", "must refuse", or anything else (optional, read or refuse) by path inside the corpus.
QHash<QString, QString> expectations(const QString& corpus)
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

} // namespace

class TestXlsCorpus : public QObject
{
    Q_OBJECT

private slots:
    void readsOrRefuses_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        const QString corpus = testsupport::xlsCorpusDir();
        if (!QFileInfo::exists(corpus)) {
            QTest::newRow("no corpus") << QString() << QString();
            return;
        }
        const QHash<QString, QString> expected = expectations(corpus);
        QDirIterator files(corpus, {QStringLiteral("*.xls"), QStringLiteral("*.XLS")}, QDir::Files,
                           QDirIterator::Subdirectories);
        QStringList paths;
        while (files.hasNext())
            paths << files.next();
        paths.sort();
        for (const QString& path : paths) {
            const QString relative = path.mid(corpus.size() + 1);
            QTest::newRow(qPrintable(relative)) << path << expected.value(relative);
        }
    }
    void readsOrRefuses()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        if (path.isEmpty()) {
            const QString why = QStringLiteral("the corpus of real workbooks is not at %1 (CMake option "
                                               "PI_XLS_CORPUS_DIR): skipped")
                                    .arg(testsupport::xlsCorpusDir());
            QSKIP(qPrintable(why));
        }
        QString refusal;
        try {
            const Workbook book = Workbook::open(path);
            for (int i = 0; i < book.sheetNames().size(); ++i) {
                const data::Worksheet sheet = book.sheet(i);
                for (int row = 0; row < sheet.rowCount(); ++row) {
                    for (int column = 0; column < sheet.columnCount(); ++column)
                        sheet.cellText(row, column);
                }
            }
        } catch (const WorkbookError& error) {
            refusal = error.reason();
        } catch (const SheetError& error) {
            refusal = error.reason();
        }
        QVERIFY2(!expected.isEmpty(), "the file has no verdict in the corpus's SOURCES.md");
        if (expected == u"must read")
            QVERIFY2(refusal.isEmpty(), qPrintable(refusal));
        else if (expected == u"must refuse")
            QVERIFY2(!refusal.isEmpty(), "read a workbook that must be refused");
        else if (!refusal.isEmpty())
            qInfo("refused: %s", qPrintable(refusal));
    }
};

QTEST_GUILESS_MAIN(TestXlsCorpus)
#include "tst_xlscorpus.moc"
