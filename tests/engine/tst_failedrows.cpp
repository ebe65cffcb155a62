// The failed rows handed back as a workbook to fix: exactly the rows that failed and those named without a code,
// every column as the sheet had it, with 原行号 and 原因; fixed there, that file imports, and a re-import of the
// whole list that skips stored products stores nothing twice.
#include "../engine/EngineTestSupport.h"
#include "CliRun.h"
#include "db/Connection.h"
#include "engine/sheet/SheetLayout.h"
#include "ListWorkbook.h"
#include "store/DemoStore.h"
#include "StoreFixture.h"
#include "worksheet/Workbook.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// The sheet's rows as texts, every column.
QList<QStringList> rowsOf(const data::Worksheet& sheet)
{
    QList<QStringList> rows;
    for (int row = 0; row < sheet.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < sheet.columnCount(); ++column)
            cells << sheet.cellText(row, column);
        rows << cells;
    }
    return rows;
}

} // namespace

class TestFailedRows : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip()
    {
        QTemporaryDir folder;
        const QString store = folder.filePath(QStringLiteral("store.dat"));
        data::createDemoStore(store);
        const QString list = folder.filePath(QStringLiteral("list.xlsx"));
        enginetest::writeListWorkbook(list, {{"编码", "名称", "单位", "售价", "备注"},
                                             {"A1", "甘草", "克", "3", "常用"},
                                             {"A1", "黄芪", "克", "5", ""},
                                             {"A3", "当归", "克", "个", "要称"},
                                             {"", "白术", "克", "4", ""},
                                             {"A4", "川芎", "克", "6", ""}});
        const QString failed = folder.filePath(QStringLiteral("failed.xlsx"));
        const auto import = [&](const QString& path, const QStringList& extra = {}) {
            return testsupport::runCliInProcess(QStringList{"import", path, "--category", "010101", "--store", store,
                                                            "--log", folder.filePath(QStringLiteral("log.txt"))} +
                                                extra);
        };
        testsupport::CliRun run = import(list, {"--failed-rows", failed});
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(QString::fromUtf8(run.out).trimmed(),
                 QStringLiteral("共5条,正确导入2条,错误2条,空纪录1条,点此查看错误的信息！"));

        const data::Worksheet back = data::Workbook::open(failed).sheet(QStringLiteral("出错的行"));
        QList<QStringList> rows = rowsOf(back);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0], (QStringList{"编码", "名称", "单位", "售价", "备注", "原行号", "原因"}));
        QCOMPARE(rows[1], (QStringList{"A1", "黄芪", "克", "5", "", "3", "编号重复，与第2行的编号相同"}));
        QCOMPARE(rows[2], (QStringList{"A3", "当归", "克", "个", "要称", "4", "售价“个”不是数字"}));
        QCOMPARE(rows[3], (QStringList{"", "白术", "克", "4", "", "5", "没有商品编号"}));

        // The clerk's fixes, made in that file; 原行号 and 原因 feed no field.
        rows[1][0] = QStringLiteral("A5");
        rows[2][3] = QStringLiteral("7");
        rows[3][0] = QStringLiteral("A6");
        const QString fixed = folder.filePath(QStringLiteral("fixed.xlsx"));
        enginetest::writeListWorkbook(fixed, rows);
        const importer::SheetLayout layout =
            importer::findSheetLayout(data::Workbook::open(fixed).sheet(QStringLiteral("S")));
        QCOMPARE(std::count(layout.columns.begin(), layout.columns.end(), 5), 0);
        QCOMPARE(std::count(layout.columns.begin(), layout.columns.end(), 6), 0);
        run = import(fixed);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromUtf8(run.out).trimmed(),
                 QStringLiteral("共3条,正确导入3条,错误0条,空纪录0条,点此查看错误的信息！"));

        // The whole list again, skipping what is stored: nothing more, the repeat still failing.
        run = import(list, {"--existing", "skip"});
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(QString::fromUtf8(run.out).trimmed(),
                 QStringLiteral("共5条,正确导入0条,错误1条,空纪录1条,已有3条,点此查看错误的信息！"));
        data::Connection connection;
        connection.connect(data::Connection::sqliteConnectionString(store));
        QCOMPARE(enginetest::productCount(connection), 2 + 5);
    }

    // Written over like the log, never over the store, the workbook or the log; a folder that is not there says so.
    void refusedPaths_data()
    {
        QTest::addColumn<QString>("path"); // {store} {list} {log} {folder}
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("err");
        QTest::newRow("the store") << "{store}" << 2 << "--failed-rows";
        QTest::newRow("the workbook") << "{list}" << 2 << "--failed-rows";
        QTest::newRow("the log") << "{log}" << 2 << "--failed-rows";
        QTest::newRow("no such folder") << "{folder}/没有/f.xlsx" << 1 << "出错的行无法写入";
    }
    void refusedPaths()
    {
        QFETCH(QString, path);
        QFETCH(int, exitStatus);
        QFETCH(QString, err);
        QTemporaryDir folder;
        const QString store = folder.filePath(QStringLiteral("store.dat"));
        data::createDemoStore(store);
        const QString list = folder.filePath(QStringLiteral("list.xlsx"));
        const QString log = folder.filePath(QStringLiteral("log.txt"));
        enginetest::writeListWorkbook(list, {{"编码", "名称"}, {"A1", "甘草"}, {"A1", "黄芪"}});
        path.replace(QStringLiteral("{store}"), store)
            .replace(QStringLiteral("{list}"), list)
            .replace(QStringLiteral("{log}"), log)
            .replace(QStringLiteral("{folder}"), folder.path());
        const testsupport::CliRun run = testsupport::runCliInProcess(
            {"import", list, "--category", "010101", "--store", store, "--log", log, "--failed-rows", path});
        QCOMPARE(run.exitCode, exitStatus);
        QVERIFY2(QString::fromUtf8(run.err).contains(err), run.err.constData());
        QVERIFY(data::Workbook::open(list).sheet(QStringLiteral("S")).rowCount() == 3);
    }
};

QTEST_GUILESS_MAIN(TestFailedRows)
#include "tst_failedrows.moc"
