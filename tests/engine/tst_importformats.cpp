// The same product sheet saved as .xls and as .xlsx imports to the same stored products, each into a fresh store.
#include "engine/run/ImportRun.h"
#include "EngineTestSupport.h"
#include "RecordingReporter.h"
#include "store/CpxmColumns.h"
#include "store/ProductKinds.h"
#include "StoreFixture.h"
#include "TestPaths.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

struct Imported
{
    importer::ImportOutcome outcome;
    QStringList rows; // every column of every Cpxm row, by code
    QStringList log;
};

// The columns the import writes, from their table.
QStringList productColumns()
{
    QStringList names;
    for (const data::CpxmColumn& column : data::cpxmColumns())
        names << column.name;
    return names;
}

Imported importInto(const QString& folder, const QString& workbookPath)
{
    data::Connection store;
    storetest::connectDemoStore(storetest::Backend::Sqlite, store, folder);
    data::Query query(store);
    const data::ProductKindList categories = data::loadCategories(query, QStringLiteral("01"));
    importer::ImportSession session{store, query, folder + QStringLiteral("/log.txt"), QStringList()};
    importer::ImportRequest request;
    request.workbookPath = workbookPath;
    request.sheetName = QStringLiteral("Sheet1");
    request.category = categories.value(0);
    enginetest::RecordingReporter reporter;
    Imported imported;
    imported.outcome = importer::runImport(session, request, reporter);
    QStringList fields;
    for (const QString& column : productColumns())
        fields << QStringLiteral("coalesce(cast(%1 as varchar(200)), '<NULL>')").arg(column);
    imported.rows = enginetest::column(
        store,
        QStringLiteral("select %1 as v from Cpxm order by Cpxm_bm").arg(fields.join(QStringLiteral(" || '|' || "))));
    imported.log = session.errorLog;
    return imported;
}

} // namespace

class TestImportFormats : public QObject
{
    Q_OBJECT

private slots:
    void sameStoredRows()
    {
        QTemporaryDir xlsFolder;
        QTemporaryDir xlsxFolder;
        const Imported fromXls = importInto(xlsFolder.path(), testsupport::testData(u"xls/products-xlwt.xls"_qs));
        const Imported fromXlsx =
            importInto(xlsxFolder.path(), testsupport::testData(u"xlsx/products-openpyxl.xlsx"_qs));
        QCOMPARE(fromXls.outcome.end, importer::ImportOutcome::End::Completed);
        QCOMPARE(fromXls.outcome.rowTotal, 7);
        QVERIFY(fromXls.outcome.counts.imported >= 4);
        QCOMPARE(fromXlsx.outcome.end, fromXls.outcome.end);
        QCOMPARE(fromXlsx.outcome.codeLetter, fromXls.outcome.codeLetter);
        QCOMPARE(fromXlsx.outcome.rowTotal, fromXls.outcome.rowTotal);
        QCOMPARE(fromXlsx.outcome.counts.imported, fromXls.outcome.counts.imported);
        QCOMPARE(fromXlsx.outcome.counts.failed, fromXls.outcome.counts.failed);
        QCOMPARE(fromXlsx.outcome.counts.empty, fromXls.outcome.counts.empty);
        QCOMPARE(fromXlsx.rows, fromXls.rows);
        QCOMPARE(fromXlsx.log, fromXls.log);
    }
};

QTEST_GUILESS_MAIN(TestImportFormats)
#include "tst_importformats.moc"
