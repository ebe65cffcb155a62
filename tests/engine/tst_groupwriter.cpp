// The writer of an import's rows on its own, against a demo store that fails on demand: a group the store loses
// is counted no longer and its rows are made again, failed rows of it included; a refused row fails alone; a
// repeated code merges its stock; a write into a product gone since it was matched; an update keeps the name the
// product was matched by.

#include "db/Connection.h"
#include "engine/rows/ProductValues.h"
#include "engine/sheet/ProductSheet.h"
#include "engine/writes/GroupWriter.h"
#include "EngineTestSupport.h"
#include "FaultyBackend.h"
#include "store/CpxmColumns.h"
#include "StoreTestSupport.h"
#include "worksheet/Workbook.h"

#include <QTemporaryDir>
#include <QtTest>

#include <chrono>

using importer::ExistingChoice;
using importer::ExistingPolicy;
using importer::GroupWriter;
using importer::ImportCounts;
using importer::MadeRow;
using importer::RepeatChoice;

namespace {

// Every row in one group, whatever the time it takes.
const importer::WritePolicy kOneGroup{std::chrono::hours(1), 1000000, false};

const QString kLetter = QStringLiteral("Q");

storetest::Product product(const QString& code, const QString& name, double stock = 1, double price = 2)
{
    return storetest::Product{kLetter + code, name, QString(), QStringLiteral("盒"), price, price, stock};
}

MadeRow made(int sheetRow, const QString& code, const QString& name, double stock = 1, double price = 2)
{
    MadeRow row;
    row.sheetRow = sheetRow;
    row.code = code;
    row.name = name;
    row.values = importer::RowValues(storetest::productValues(product(code, name, stock, price)));
    return row;
}

// A row that failed before the store: a number that does not convert.
MadeRow failedBefore(int sheetRow, const QString& code)
{
    MadeRow row;
    row.sheetRow = sheetRow;
    row.code = code;
    row.name = QStringLiteral("坏") + code;
    row.reason = QStringLiteral("销售价不是数字");
    return row;
}

int placeOf(data::ColumnSource source)
{
    const auto& columns = data::cpxmColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].source == source)
            return int(i);
    }
    return -1;
}

QStringList storedCodes(data::Connection& store)
{
    return enginetest::column(store, QStringLiteral("select Cpxm_bm as v from Cpxm where Cpxm_bm like 'Q%' "
                                                    "order by Cpxm_bm"));
}

QStringList sheetRowsOf(const std::vector<std::pair<int, QString>>& failed)
{
    QStringList rows;
    for (const auto& [row, reason] : failed) {
        rows << QString::number(row);
        if (reason.isEmpty())
            rows << QStringLiteral("(no reason)");
    }
    return rows;
}

QStringList numbered(const QList<int>& rows)
{
    QStringList texts;
    for (const int row : rows)
        texts << QString::number(row);
    return texts;
}

} // namespace

class TestGroupWriter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lostGroup_data();
    void lostGroup();
    void storeFaultMidGroup_data();
    void storeFaultMidGroup();
    void refusedRowFailsAlone_data();
    void refusedRowFailsAlone();
    void repeatedCodeMerges_data();
    void repeatedCodeMerges();
    void productGoneSinceMatched_data();
    void productGoneSinceMatched();
    void updateKeepsMatchedName_data();
    void updateKeepsMatchedName();

private:
    // The sheet's rows 0..count-1 with codes 5000, 5001, ...; those in failing failed before the store.
    static MadeRow sheetRow(int row, const QList<int>& failing)
    {
        const QString code = QString::number(5000 + row);
        return failing.contains(row) ? failedBefore(row, code) : made(row, code, QStringLiteral("品") + code);
    }
    ExistingPolicy mergePolicy() const;

    std::unique_ptr<QTemporaryDir> dir_;
    data::Connection store_;
    std::shared_ptr<storetest::PlannedFaults> faults_;
};

void TestGroupWriter::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    const QString path = dir_->filePath(QStringLiteral("Member.dat"));
    storetest::createDemoStoreFile(path);
    faults_ = storetest::connectFaulty(store_, path);
}

void TestGroupWriter::cleanup()
{
    store_.disconnect();
    faults_.reset();
    dir_.reset();
}

ExistingPolicy TestGroupWriter::mergePolicy() const
{
    ExistingPolicy policy;
    policy.repeats = RepeatChoice::Merge;
    policy.stockValue = placeOf(data::ColumnSource::Stock);
    for (const data::CpxmColumn& column : data::cpxmColumns())
        policy.labels << column.name;
    return policy;
}

// The store gives the group up after its rows were counted: at the commit, for a row's sake, or when a refused
// row takes the whole transaction with it (row 3's code is stored already). The group's counts and log lines go,
// every row handed to it (failed ones too) is handed back to be made again, and made again they end as if the
// group had gone through.
void TestGroupWriter::lostGroup_data()
{
    QTest::addColumn<QString>("loss");
    QTest::addColumn<QList<int>>("failing"); // rows that failed before the store

    QTest::newRow("commit refused") << QStringLiteral("commit") << QList<int>{};
    QTest::newRow("commit refused, a row failed before") << QStringLiteral("commit") << QList<int>{2};
    QTest::newRow("commit refused, first and last failed") << QStringLiteral("commit") << QList<int>{0, 5};
    QTest::newRow("transaction ended by a refusal") << QStringLiteral("refusal") << QList<int>{};
    QTest::newRow("transaction ended by a refusal, a row failed before") << QStringLiteral("refusal") << QList<int>{1};
}

void TestGroupWriter::lostGroup()
{
    QFETCH(QString, loss);
    QFETCH(QList<int>, failing);
    const int rows = 6;
    const bool refusal = loss == QLatin1String("refusal");
    if (refusal) {
        storetest::insertProducts(store_, {product(QStringLiteral("5003"), QStringLiteral("早已有"))});
        faults_->refusalEndsTransaction = true;
    } else {
        faults_->refusedCommits = 1;
    }

    ImportCounts counts;
    QStringList log;
    GroupWriter writer(store_, kOneGroup, counts, log);
    writer.start();
    for (int row = 0; row < rows; ++row)
        writer.add(sheetRow(row, failing));
    writer.finish();

    QVERIFY(writer.hasRowsToWriteAgain());
    QCOMPARE(counts, ImportCounts{});
    QCOMPARE(log, QStringList());
    QCOMPARE(sheetRowsOf(writer.failedRows()), QStringList());
    QCOMPARE(storedCodes(store_), refusal ? QStringList{QStringLiteral("Q5003")} : QStringList());
    const std::vector<int> again = writer.takeRowsToWriteAgain();
    QCOMPARE(numbered(QList<int>(again.begin(), again.end())), numbered({0, 1, 2, 3, 4, 5}));
    QCOMPARE(writer.firstRowNotCommitted(), std::optional<int>(0));

    for (const int row : again)
        writer.add(sheetRow(row, failing));
    writer.finish();
    QVERIFY(!writer.hasRowsToWriteAgain());

    QList<int> failed = failing;
    if (refusal)
        failed.append(3);
    std::sort(failed.begin(), failed.end());
    QStringList expectedCodes;
    for (int row = 0; row < rows; ++row) {
        if (!failing.contains(row))
            expectedCodes << kLetter + QString::number(5000 + row);
    }
    QCOMPARE(counts.imported, rows - int(failed.size()));
    QCOMPARE(counts.failed, int(failed.size()));
    QCOMPARE(int(log.size()), int(failed.size()));
    QCOMPARE(sheetRowsOf(writer.failedRows()), numbered(failed));
    QCOMPARE(storedCodes(store_), expectedCodes);
    QCOMPARE(writer.firstRowNotCommitted(), std::nullopt);
}

// The store fails for good in the middle of a group: the run ends, the group's rows are counted neither as
// stored nor as failed and none of them is in the store; the first of them is where to import again from.
void TestGroupWriter::storeFaultMidGroup_data()
{
    QTest::addColumn<QList<int>>("failing");
    QTest::addColumn<bool>("atFinish"); // the fault at the last statement, else at the first

    QTest::newRow("first statement") << QList<int>{} << false;
    QTest::newRow("last statement") << QList<int>{} << true;
    QTest::newRow("last statement, a row failed before") << QList<int>{2} << true;
}

void TestGroupWriter::storeFaultMidGroup()
{
    QFETCH(QList<int>, failing);
    QFETCH(bool, atFinish);

    ImportCounts counts;
    QStringList log;
    {
        GroupWriter writer(store_, kOneGroup, counts, log);
        writer.start();
        faults_->storeFaultAtInsert = atFinish ? 1000 : 1;
        bool faulted = false;
        try {
            for (int row = 0; row < 6; ++row)
                writer.add(sheetRow(row, failing));
            faults_->storeFaultAtInsert = atFinish ? faults_->insertStatements + 1 : 1;
            writer.finish();
        } catch (const data::DatabaseError& error) {
            faulted = error.isStoreFault();
        }
        QVERIFY(faulted);
        writer.close();
        QCOMPARE(writer.firstRowNotCommitted(), std::optional<int>(0));
        QCOMPARE(sheetRowsOf(writer.failedRows()), QStringList());
    }
    QCOMPARE(counts, ImportCounts{});
    QCOMPARE(log, QStringList());
    QCOMPARE(storedCodes(store_), QStringList());
    QCOMPARE(faults_->commits, 0);
}

// Rows whose codes the store holds already are refused by its unique index: exactly those fail, each with a
// reason, in sheet order, and every other row of their statements is stored. A row expected to be refused (it
// repeats a code) goes alone from the start, with the same outcome.
void TestGroupWriter::refusedRowFailsAlone_data()
{
    QTest::addColumn<QList<int>>("refused");
    QTest::addColumn<bool>("hinted");

    QTest::newRow("first of eight") << QList<int>{0} << false;
    QTest::newRow("one in the middle") << QList<int>{5} << false;
    QTest::newRow("two, apart") << QList<int>{1, 7} << false;
    QTest::newRow("every row") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7} << false;
    QTest::newRow("one in the middle, expected") << QList<int>{5} << true;
    QTest::newRow("two, expected") << QList<int>{2, 3} << true;
}

void TestGroupWriter::refusedRowFailsAlone()
{
    QFETCH(QList<int>, refused);
    QFETCH(bool, hinted);
    const int rows = 8;
    std::vector<storetest::Product> before;
    for (const int row : refused)
        before.push_back(product(QString::number(5000 + row), QStringLiteral("早已有")));
    storetest::insertProducts(store_, before);

    ImportCounts counts;
    QStringList log;
    GroupWriter writer(store_, kOneGroup, counts, log);
    writer.start();
    for (int row = 0; row < rows; ++row) {
        MadeRow one = sheetRow(row, {});
        one.repeatsCode = hinted && refused.contains(row);
        writer.add(std::move(one));
    }
    writer.finish();

    QCOMPARE(counts.imported, rows - int(refused.size()));
    QCOMPARE(counts.failed, int(refused.size()));
    QCOMPARE(sheetRowsOf(writer.failedRows()), numbered(refused));
    QCOMPARE(int(log.size()), int(refused.size()));
    for (qsizetype i = 0; i < refused.size(); ++i)
        QVERIFY2(log[i].contains(QString::number(5000 + refused[i])), qPrintable(log[i]));
    QCOMPARE(storedCodes(store_).size(), rows);
    for (const int row : refused)
        QCOMPARE(enginetest::productValue(store_, kLetter + QString::number(5000 + row), QStringLiteral("Cpxm_mc")),
                 QStringLiteral("早已有"));
}

// A later row with an earlier row's code adds its stock to the earlier row's product when every other value
// agrees; a row that differs fails saying which value, and the stored product keeps its stock.
void TestGroupWriter::repeatedCodeMerges_data()
{
    QTest::addColumn<double>("laterPrice");
    QTest::addColumn<int>("merged");
    QTest::addColumn<double>("stock");
    QTest::addColumn<QString>("reason");

    QTest::newRow("same values") << 2.0 << 1 << 12.0 << QString();
    QTest::newRow("another price") << 3.0 << 0 << 5.0 << QStringLiteral("不能合并库存");
}

void TestGroupWriter::repeatedCodeMerges()
{
    QFETCH(double, laterPrice);
    QFETCH(int, merged);
    QFETCH(double, stock);
    QFETCH(QString, reason);

    ImportCounts counts;
    QStringList log;
    GroupWriter writer(store_, kOneGroup, counts, log);
    writer.setExistingProducts(mergePolicy());
    writer.start();
    writer.add(made(0, QStringLiteral("6001"), QStringLiteral("甲"), 5));
    MadeRow later = made(1, QStringLiteral("6001"), QStringLiteral("甲"), 7, laterPrice);
    later.repeatsCode = true;
    later.earlierRow = 2;
    writer.add(std::move(later));
    writer.finish();

    QCOMPARE(counts.imported, 1);
    QCOMPARE(counts.merged, merged);
    QCOMPARE(counts.failed, 1 - merged);
    QCOMPARE(enginetest::productNumber(store_, QStringLiteral("Q6001"), QStringLiteral("CPxm_sl")), stock);
    if (!reason.isEmpty()) {
        QCOMPARE(int(log.size()), 1);
        QVERIFY2(log.first().contains(reason), qPrintable(log.first()));
    }
}

// Another program takes the product away between the match and the write. An update then changes no stored
// product and the row is stored as the new product it now is; a stock merge into the earlier row's product fails,
// saying the product is gone.
void TestGroupWriter::productGoneSinceMatched_data()
{
    QTest::addColumn<bool>("merge");
    QTest::addColumn<QString>("reason");

    QTest::newRow("update") << false << QString();
    QTest::newRow("merge") << true << QStringLiteral("要合并库存的商品已不在数据库中");
}

void TestGroupWriter::productGoneSinceMatched()
{
    QFETCH(bool, merge);
    QFETCH(QString, reason);
    const QString code = QStringLiteral("7001");
    const QString name = QStringLiteral("乙");

    ExistingPolicy policy = mergePolicy();
    policy.existing = merge ? ExistingChoice::Add : ExistingChoice::Update;
    policy.namesCount = true;
    const int price = placeOf(data::ColumnSource::SalePrice);
    policy.updateColumns << data::cpxmColumns()[std::size_t(price)].name;
    policy.updateValues.push_back(price);
    if (!merge)
        storetest::insertProducts(store_, {product(code, name, 5)});
    faults_->beforeNextWrite = [&](data::ConnectionBackend& real) {
        real.execute(data::parseStatement(QStringLiteral("delete from Cpxm where Cpxm_bm = 'Q7001'")), {});
    };

    ImportCounts counts;
    QStringList log;
    GroupWriter writer(store_, kOneGroup, counts, log);
    writer.setExistingProducts(policy);
    writer.start();
    if (merge)
        writer.add(made(0, code, name, 5));
    MadeRow row = made(1, code, name, 7, merge ? 2 : 9.5);
    row.repeatsCode = merge;
    writer.add(std::move(row));
    writer.finish();

    QVERIFY(!faults_->beforeNextWrite); // the write did run after the product went
    QCOMPARE(counts.updated, 0);
    QCOMPARE(counts.merged, 0);
    QCOMPARE(counts.imported, 1); // the updated row itself, or the earlier row merged into
    QCOMPARE(counts.failed, reason.isEmpty() ? 0 : 1);
    if (reason.isEmpty()) {
        QCOMPARE(storedCodes(store_), QStringList{QStringLiteral("Q7001")});
        QCOMPARE(enginetest::productNumber(store_, QStringLiteral("Q7001"), QStringLiteral("CPxm_sl")), 7.0);
    } else {
        QCOMPARE(storedCodes(store_), QStringList());
        QCOMPARE(int(log.size()), 1);
        QVERIFY2(log.first().contains(reason), qPrintable(log.first()));
    }
}

// The update a sheet asks for sets the columns it has, but never the name: the row was matched by it (trimmed),
// and the stored spelling stays as the store had it.
void TestGroupWriter::updateKeepsMatchedName_data()
{
    QTest::addColumn<QString>("storedName");

    QTest::newRow("blanks before") << QStringLiteral("  丙片");
    QTest::newRow("blanks after") << QStringLiteral("丙片 ");
    QTest::newRow("full-width blank") << QStringLiteral("丙片\u3000");
}

void TestGroupWriter::updateKeepsMatchedName()
{
    QFETCH(QString, storedName);
    const QString sheetPath = dir_->filePath(QStringLiteral("价格.csv"));
    storetest::writeFile(sheetPath,
                         QStringLiteral("商品编号,商品名称,计量单位,销售价,当前库存\n8001,丙片,瓶,9.5,30\n").toUtf8());
    const importer::ProductSheet sheet(data::Workbook::open(sheetPath).sheet(0));
    storetest::insertProducts(store_, {product(QStringLiteral("8001"), storedName, 5, 2)});

    ImportCounts counts;
    QStringList log;
    GroupWriter writer(store_, kOneGroup, counts, log);
    writer.setExistingProducts(importer::existingPolicy(ExistingChoice::Update, RepeatChoice::Fail, sheet, {}));
    writer.start();
    writer.add(made(0, QStringLiteral("8001"), QStringLiteral("丙片"), 30, 9.5));
    writer.finish();

    QCOMPARE(counts.updated, 1);
    QCOMPARE(counts.imported, 0);
    QCOMPARE(enginetest::productValue(store_, QStringLiteral("Q8001"), QStringLiteral("Cpxm_mc")), storedName);
    QCOMPARE(enginetest::productNumber(store_, QStringLiteral("Q8001"), QStringLiteral("Cpxm_ysdj")), 9.5);
    QCOMPARE(enginetest::productNumber(store_, QStringLiteral("Q8001"), QStringLiteral("CPxm_sl")), 30.0);
}

QTEST_GUILESS_MAIN(TestGroupWriter)
#include "tst_groupwriter.moc"
