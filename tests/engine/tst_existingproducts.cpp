// Products already in the store: a list imported again skips or updates what it finds, matched by the stored code
// (with or without a run's letter) and the name; repeated codes of one sheet merge their stock. On SQLite and on
// the test server.
#include "db/Query.h"
#include "engine/run/ImportRun.h"
#include "EngineTestSupport.h"
#include "ListRuns.h"
#include "ListWorkbook.h"
#include "RecordingReporter.h"
#include "RowBackend.h"
#include "store/ProductKinds.h"
#include "StoreTestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <latch>

using storetest::Backend;

namespace {

const QStringList kHeader{"商品编号", "商品名称", "计量单位", "成本价", "销售价", "当前库存"};

using Run = enginetest::ListRun;

} // namespace

class TestExistingProducts : public QObject, enginetest::ListRuns
{
    Q_OBJECT

private slots:
    void init();

    void sameListTwice_data();
    void sameListTwice();
    void updateSetsOnlyTheSheetsColumns_data() { storetest::addBackendRows(); }
    void updateSetsOnlyTheSheetsColumns();
    void whichStoredProductARowMeans_data();
    void whichStoredProductARowMeans();
    void repeatedCodesMergeTheirStock_data() { storetest::addBackendRows(); }
    void repeatedCodesMergeTheirStock();
    void dryRunCountsAsTheRealRun_data();
    void dryRunCountsAsTheRealRun();
    void twoUpdatesAtOnce_data() { storetest::addBackendRows(); }
    void twoUpdatesAtOnce();

private:
    Run run(const QList<QStringList>& rows, importer::ExistingChoice existing,
            importer::RepeatChoice repeats = importer::RepeatChoice::Fail, bool dryRun = false);
};

void TestExistingProducts::init()
{
    if (!enginetest::requireRowBackend())
        return;
    makeFolders();
}

Run TestExistingProducts::run(const QList<QStringList>& rows, importer::ExistingChoice existing,
                              importer::RepeatChoice repeats, bool dryRun)
{
    importer::ImportRequest request;
    request.existing = existing;
    request.repeats = repeats;
    request.dryRun = dryRun;
    return runList(rows, request);
}

// The same list twice: adding stores every product again under a new letter, skipping stores nothing and counts
// what is there, updating writes the second list's values into what is there and adds the rest.
void TestExistingProducts::sameListTwice_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<int>("existing");
    QTest::addColumn<int>("products");
    QTest::addColumn<QString>("status");
    QTest::addColumn<double>("price11");
    for (const Backend backend : {Backend::Sqlite, Backend::Server}) {
        const QByteArray name = storetest::backendName(backend).toUtf8();
        QTest::addRow("%s add", name.data())
            << backend << int(importer::ExistingChoice::Add) << 2 + 3 + 3
            << QStringLiteral("共3条,正确导入3条,错误0条,空纪录0条,点此查看错误的信息！") << 10.0;
        QTest::addRow("%s skip", name.data())
            << backend << int(importer::ExistingChoice::Skip) << 2 + 3 + 1
            << QStringLiteral("共3条,正确导入1条,错误0条,空纪录0条,已有2条,点此查看错误的信息！") << 10.0;
        QTest::addRow("%s update", name.data())
            << backend << int(importer::ExistingChoice::Update) << 2 + 3 + 1
            << QStringLiteral("共3条,正确导入1条,错误0条,空纪录0条,更新2条,点此查看错误的信息！") << 11.5;
    }
}

void TestExistingProducts::sameListTwice()
{
    QFETCH(Backend, backend);
    QFETCH(int, existing);
    QFETCH(int, products);
    QFETCH(QString, status);
    QFETCH(double, price11);
    open(backend);

    const Run first = run({kHeader,
                           {"11", "甲片", "盒", "5", "10", "3"},
                           {"12", "乙片", "盒", "6", "12", "4"},
                           {"13", "丙片", "瓶", "7", "14", "5"}},
                          importer::ExistingChoice::Add);
    QCOMPARE(first.outcome.counts.imported, 3);
    // The second list: 11 and 12 at new prices, 13 gone, 14 new.
    const Run second = run({kHeader,
                            {"11", "甲片", "盒", "5", "11.5", "3"},
                            {"12", "乙片", "盒", "6", "12.5", "9"},
                            {"14", "丁片", "盒", "8", "16", "6"}},
                           importer::ExistingChoice(existing));
    QCOMPARE(second.status, status);
    QVERIFY2(second.log.isEmpty(), qPrintable(second.log.join(u'\n')));
    QCOMPARE(enginetest::productCount(*store_), products);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_ysdj"), price11);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B13"), "Cpxm_ysdj"), 14.0);
    QCOMPARE(second.outcome.counts.existing + second.outcome.counts.updated + second.outcome.counts.imported, 3);
}

// A price list: only the columns the sheet has change (both cost price columns go with the cost price); the
// unit, the stock, the mnemonic, the category and the code stay as they were.
void TestExistingProducts::updateSetsOnlyTheSheetsColumns()
{
    QFETCH(Backend, backend);
    open(backend);
    run({kHeader, {"11", "甲片", "盒", "5", "10", "3"}}, importer::ExistingChoice::Add);
    const QString kind = enginetest::productValue(*store_, QStringLiteral("B11"), "Cpxm_Skind");
    const Run prices =
        run({{"编码", "名称", "进价", "售价"}, {"11", "甲片", "5.5", "10.5"}}, importer::ExistingChoice::Update);
    QCOMPARE(prices.outcome.counts.updated, 1);
    QCOMPARE(enginetest::productCount(*store_), 3);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_ysdj"), 10.5);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_cbdj"), 5.5);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_jhdj"), 5.5);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "CPxm_sl"), 3.0);
    QCOMPARE(enginetest::productValue(*store_, QStringLiteral("B11"), "Cpxm_dw"), QStringLiteral("盒"));
    QCOMPARE(enginetest::productValue(*store_, QStringLiteral("B11"), "Cpxm_jp"), QStringLiteral("JP"));
    QCOMPARE(enginetest::productValue(*store_, QStringLiteral("B11"), "Cpxm_Skind"), kind);
}

// Which stored product a row means: its code exactly (a list exported from the store), or a letter and its code,
// with the same name; a name that differs means a new product; two products that fit fail the row.
void TestExistingProducts::whichStoredProductARowMeans_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("log");
    for (const Backend backend : {Backend::Sqlite, Backend::Server}) {
        const QByteArray name = storetest::backendName(backend).toUtf8();
        QTest::addRow("%s stored code", name.data())
            << backend << QStringList{"B11", "甲片", "盒", "5", "20", "3"}
            << QStringLiteral("共1条,正确导入0条,错误0条,空纪录0条,更新1条,点此查看错误的信息！") << QStringList();
        QTest::addRow("%s letter and code", name.data())
            << backend << QStringList{"11", "甲片", "盒", "5", "20", "3"}
            << QStringLiteral("共1条,正确导入0条,错误0条,空纪录0条,更新1条,点此查看错误的信息！") << QStringList();
        QTest::addRow("%s another name", name.data())
            << backend << QStringList{"11", "甲片（新）", "盒", "5", "20", "3"}
            << QStringLiteral("共1条,正确导入1条,错误0条,空纪录0条,更新0条,点此查看错误的信息！") << QStringList();
        QTest::addRow("%s two products", name.data())
            << backend << QStringList{"12", "乙片", "盒", "5", "20", "3"}
            << QStringLiteral("共1条,正确导入0条,错误1条,空纪录0条,更新0条,点此查看错误的信息！")
            << QStringList{QStringLiteral("编号---12；名称---乙片；原因---数据库中有2个商品与它相符（B12、C12），"
                                          "不知道是哪一个")};
    }
}

void TestExistingProducts::whichStoredProductARowMeans()
{
    QFETCH(Backend, backend);
    QFETCH(QStringList, row);
    QFETCH(QString, status);
    QFETCH(QStringList, log);
    open(backend);
    run({kHeader, {"11", "甲片", "盒", "5", "10", "3"}, {"12", "乙片", "盒", "5", "10", "3"}},
        importer::ExistingChoice::Add);
    run({kHeader, {"12", "乙片", "盒", "5", "10", "3"}}, importer::ExistingChoice::Add); // C12
    const Run again = run({kHeader, row}, importer::ExistingChoice::Update);
    QCOMPARE(again.status, status);
    QCOMPARE(again.log, log);
    const bool updated = again.outcome.counts.updated == 1;
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_ysdj"), updated ? 20.0 : 10.0);
}

// Batch rows of one code: the first is stored, the later ones add their stock to it; one whose other values
// differ fails with the reason, and leaves the stock alone.
void TestExistingProducts::repeatedCodesMergeTheirStock()
{
    QFETCH(Backend, backend);
    open(backend);
    const Run merged = run({kHeader,
                            {"11", "甲片", "盒", "5", "10", "3"},
                            {"12", "乙片", "盒", "6", "12", "1"},
                            {"11", "甲片", "盒", "5", "10", "4.5"},
                            {"11", "甲片", "盒", "5", "10.5", "100"},
                            {"11", "甲片", "盒", "5", "10", "2"}},
                           importer::ExistingChoice::Add, importer::RepeatChoice::Merge);
    QCOMPARE(merged.status, QStringLiteral("共5条,正确导入2条,错误1条,空纪录0条,合并2条,点此查看错误的信息！"));
    QCOMPARE(merged.log, QStringList{QStringLiteral("编号---11；名称---甲片；原因---与第2行的编号相同，但销售价不同"
                                                    "（“10.5”，第2行是“10”），不能合并库存")});
    QCOMPARE(enginetest::productCount(*store_), 2 + 2);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "CPxm_sl"), 9.5);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B12"), "CPxm_sl"), 1.0);
}

// A dry run with any choice reports what the real run then does, and leaves the store as it was.
void TestExistingProducts::dryRunCountsAsTheRealRun_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<int>("existing");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("failed");
    for (const Backend backend : {Backend::Sqlite, Backend::Server}) {
        const QByteArray name = storetest::backendName(backend).toUtf8();
        // Both later 13s fail as repeats; merged, the second adds its stock and the third differs in its unit.
        QTest::addRow("%s skip", name.data()) << backend << int(importer::ExistingChoice::Skip) << 0 << 2;
        QTest::addRow("%s update, merge", name.data())
            << backend << int(importer::ExistingChoice::Update) << int(importer::RepeatChoice::Merge) << 1;
    }
}

void TestExistingProducts::dryRunCountsAsTheRealRun()
{
    QFETCH(Backend, backend);
    QFETCH(int, existing);
    QFETCH(int, repeats);
    QFETCH(int, failed);
    open(backend);
    run({kHeader, {"11", "甲片", "盒", "5", "10", "3"}, {"12", "乙片", "盒", "6", "12", "1"}},
        importer::ExistingChoice::Add);
    const QList<QStringList> list{kHeader,
                                  {"11", "甲片", "盒", "5", "11", "3"},
                                  {"13", "丙片", "盒", "5", "10", "3"},
                                  {"13", "丙片", "盒", "5", "10", "2"},
                                  {"13", "丙片", "瓶", "5", "10", "2"}};
    const QStringList before = enginetest::productCodes(*store_);
    const Run dry = run(list, importer::ExistingChoice(existing), importer::RepeatChoice(repeats), true);
    QCOMPARE(enginetest::productCodes(*store_), before);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_ysdj"), 10.0);
    const Run real = run(list, importer::ExistingChoice(existing), importer::RepeatChoice(repeats));
    QCOMPARE(dry.status, real.status);
    QCOMPARE(dry.log, real.log);
    QCOMPARE(real.outcome.counts.failed, failed);
}

// Two runs update the same products at once, each with prices and stock of its own: every product ends with one
// run's values, never a mix of the two rows.
void TestExistingProducts::twoUpdatesAtOnce()
{
    QFETCH(Backend, backend);
    open(backend);
    const auto list = [](int value) {
        QList<QStringList> rows{kHeader};
        for (int n = 1; n <= 600; ++n) {
            const QString v = QString::number(value);
            rows.append({QString::number(1000 + n), QStringLiteral("药品%1").arg(n), QStringLiteral("盒"), v, v, v});
        }
        return rows;
    };
    QCOMPARE(run(list(0), importer::ExistingChoice::Add).outcome.counts.imported, 600);
    const QString first = folder_ + QStringLiteral("/first.xlsx");
    const QString second = folder_ + QStringLiteral("/second.xlsx");
    enginetest::writeListWorkbook(first, list(1));
    enginetest::writeListWorkbook(second, list(2));

    const QString connectionString = store_->connectionString();
    std::latch ready(2);
    const auto update = [&](const QString& path, const QString& logName) {
        data::Connection connection;
        connection.connect(connectionString);
        data::Query query(connection);
        importer::ImportSession session{connection, query, folder_ + u'/' + logName, {}};
        importer::ImportRequest request;
        request.workbookPath = path;
        request.category = data::loadCategories(query, QStringLiteral("01")).value(0);
        request.existing = importer::ExistingChoice::Update;
        enginetest::RecordingReporter reporter;
        ready.arrive_and_wait();
        return importer::runImport(session, request, reporter);
    };
    auto one = std::async(std::launch::async, update, first, QStringLiteral("log1.txt"));
    auto two = std::async(std::launch::async, update, second, QStringLiteral("log2.txt"));
    QCOMPARE(one.get().counts.updated, 600);
    QCOMPARE(two.get().counts.updated, 600);
    QCOMPARE(enginetest::productCount(*store_), 2 + 600);
    const QStringList mixed = enginetest::column(
        *store_, QStringLiteral("select Cpxm_bm as v from Cpxm where Cpxm_bm like 'B%' and "
                                "(Cpxm_ysdj <> Cpxm_cbdj or Cpxm_ysdj <> CPxm_sl or Cpxm_ysdj not in (1, 2))"));
    QVERIFY2(mixed.isEmpty(), qPrintable(mixed.join(u',')));
}

QTEST_GUILESS_MAIN(TestExistingProducts)
#include "tst_existingproducts.moc"
