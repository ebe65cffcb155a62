// What the writes do with a row whose product the store holds, or whose code an earlier row of the run had, decided
// on their own against a demo store: skip, update, fail when two stored products answer, a repeat that fails or
// merges its stock, and a lost group's rows forgotten as earlier rows.

#include "db/Connection.h"
#include "engine/writes/ExistingProducts.h"
#include "store/CpxmColumns.h"
#include "StoreTestSupport.h"

#include <QtTest>

using importer::ExistingChoice;
using importer::ExistingPolicy;
using importer::ExistingProducts;
using importer::MadeRow;
using importer::RepeatChoice;

Q_DECLARE_METATYPE(importer::ExistingChoice)
Q_DECLARE_METATYPE(importer::RepeatChoice)

namespace {

// "code|name|stock|price": a row of the sheet, its product stored under the letter Q when written.
MadeRow rowOf(const QString& entry, int sheetRow)
{
    const QStringList parts = entry.split(u'|');
    MadeRow row;
    row.sheetRow = sheetRow;
    row.code = parts.value(0);
    row.name = parts.value(1);
    const storetest::Product product{QStringLiteral("Q") + row.code,
                                     row.name,
                                     QString(),
                                     QStringLiteral("盒"),
                                     parts.value(3, QStringLiteral("2")).toDouble(),
                                     2,
                                     parts.value(2, QStringLiteral("1")).toDouble()};
    row.values = importer::RowValues(storetest::productValues(product));
    return row;
}

// A decision as text: "insert", "skip B1001", "update B1001", "merge Q1001" or "fail: reason".
QString shown(const ExistingProducts::Decision& decision)
{
    switch (decision.action) {
    case ExistingProducts::Action::Insert:
        return QStringLiteral("insert");
    case ExistingProducts::Action::Skip:
        return QStringLiteral("skip ") + decision.stored.code;
    case ExistingProducts::Action::Update:
        return QStringLiteral("update ") + decision.stored.code;
    case ExistingProducts::Action::Merge:
        return QStringLiteral("merge ") + decision.stored.code;
    case ExistingProducts::Action::Fail:
        break;
    }
    return QStringLiteral("fail: ") + decision.reason;
}

ExistingPolicy policyOf(ExistingChoice existing, RepeatChoice repeats, bool namesCount)
{
    ExistingPolicy policy;
    policy.existing = existing;
    policy.repeats = repeats;
    policy.namesCount = namesCount;
    const auto& columns = data::cpxmColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        policy.labels << columns[i].name;
        if (columns[i].source == data::ColumnSource::Stock)
            policy.stockValue = int(i);
    }
    return policy;
}

} // namespace

class TestExistingDecisions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(folders_.isValid()); }
    void storedProducts_data();
    void storedProducts();
    void repeatedCodes_data();
    void repeatedCodes();
    void lostGroupIsForgotten_data();
    void lostGroupIsForgotten();

private:
    storetest::CaseFolders folders_;
};

// Rows against the products the store holds (besides the demo's A0001 阿莫西林胶囊 and A0002 板蓝根颗粒).
void TestExistingDecisions::storedProducts_data()
{
    QTest::addColumn<ExistingChoice>("existing");
    QTest::addColumn<bool>("namesCount");
    QTest::addColumn<QStringList>("stored"); // "code name"
    QTest::addColumn<QStringList>("rows");   // "code|name"
    QTest::addColumn<QStringList>("expected");

    const QStringList stored{"B1001 甲", "1002 乙", "B1003 丙", "C1003 丙"};
    const QStringList rows{"1001|甲", "1002|乙", "1004|丁", "0001|阿莫西林胶囊", "1001|戊"};
    QTest::newRow("adding every row asks nothing") << ExistingChoice::Add << true << stored << rows
                                                   << QStringList{"insert", "insert", "insert", "insert", "insert"};
    QTest::newRow("skip, names count") << ExistingChoice::Skip << true << stored << rows
                                       << QStringList{"skip B1001", "skip 1002", "insert", "skip A0001", "insert"};
    QTest::newRow("update, names count") << ExistingChoice::Update << true << stored << rows
                                         << QStringList{"update B1001", "update 1002", "insert", "update A0001",
                                                        "insert"};
    QTest::newRow("update, names ignored")
        << ExistingChoice::Update << false << stored << rows
        << QStringList{"update B1001", "update 1002", "insert", "update A0001", "update B1001"};
    QTest::newRow("two stored products answer")
        << ExistingChoice::Update << true << stored << QStringList{"1003|丙"}
        << QStringList{"fail: 数据库中有2个商品与它相符（B1003、C1003），不知道是哪一个"};
}

void TestExistingDecisions::storedProducts()
{
    QFETCH(ExistingChoice, existing);
    QFETCH(bool, namesCount);
    QFETCH(QStringList, stored);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, expected);
    data::Connection store;
    folders_.connectDemo(storetest::Backend::Sqlite, store);
    std::vector<storetest::Product> products;
    for (const QString& entry : stored)
        products.push_back({entry.section(u' ', 0, 0), entry.section(u' ', 1), QString(), QString(), 1, 1, 1});
    storetest::insertProducts(store, products);

    ExistingProducts existingProducts(store, policyOf(existing, RepeatChoice::Fail, namesCount));
    std::vector<MadeRow> made;
    for (qsizetype i = 0; i < rows.size(); ++i)
        made.push_back(rowOf(rows[i], int(i)));
    QStringList decided;
    for (const ExistingProducts::Decision& decision : existingProducts.decide(made))
        decided << shown(decision);
    QCOMPARE(decided, expected);
}

// A later row with the code of a row written before it in the run (the first row "7001|甲|5|2", stored as Q7001 or
// skipped as the stored B7001).
void TestExistingDecisions::repeatedCodes_data()
{
    QTest::addColumn<RepeatChoice>("repeats");
    QTest::addColumn<bool>("firstSkipped");
    QTest::addColumn<QString>("later");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a repeat fails") << RepeatChoice::Fail << false << "7001|甲|3|2"
                                    << "fail: 编号重复，与第4行的编号相同";
    QTest::newRow("merged when the rest agrees") << RepeatChoice::Merge << false << "7001|甲|3|2"
                                                 << "merge Q7001";
    QTest::newRow("not merged with another price")
        << RepeatChoice::Merge << false << "7001|甲|3|2.5"
        << "fail: 与第4行的编号相同，但Cpxm_ysdj不同（“2.5”，第4行是“2”），不能合并库存";
    QTest::newRow("not merged with another name")
        << RepeatChoice::Merge << false << "7001|乙|5|2"
        << "fail: 与第4行的编号相同，但Cpxm_mc不同（“乙”，第4行是“甲”），不能合并库存";
    QTest::newRow("skipped with a skipped row") << RepeatChoice::Fail << true << "7001|甲|3|2"
                                                << "skip B7001";
    QTest::newRow("skipped, whatever it holds") << RepeatChoice::Merge << true << "7001|乙|3|9"
                                                << "skip B7001";
}

void TestExistingDecisions::repeatedCodes()
{
    QFETCH(RepeatChoice, repeats);
    QFETCH(bool, firstSkipped);
    QFETCH(QString, later);
    QFETCH(QString, expected);
    data::Connection store;
    folders_.connectDemo(storetest::Backend::Sqlite, store);
    ExistingProducts existingProducts(store, policyOf(ExistingChoice::Add, repeats, true));

    const MadeRow first = rowOf(QStringLiteral("7001|甲|5|2"), 2);
    const data::StoredRow stored{firstSkipped ? QStringLiteral("B7001") : QStringLiteral("Q7001"), std::nullopt, -1};
    existingProducts.remember(first, stored, firstSkipped, false);
    MadeRow row = rowOf(later, 5);
    row.earlierRow = 4;
    row.repeatsCode = true;
    QCOMPARE(shown(existingProducts.decide(std::span<const MadeRow>(&row, 1)).front()), expected);
}

// A row remembered in a group that is then lost was never written: a later row with its code is a repeat no more.
// One remembered in a group that committed stays.
void TestExistingDecisions::lostGroupIsForgotten_data()
{
    QTest::addColumn<bool>("committed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("group committed") << true << "fail: 编号重复，与前面一行的编号相同";
    QTest::newRow("group lost") << false << "insert";
}

void TestExistingDecisions::lostGroupIsForgotten()
{
    QFETCH(bool, committed);
    QFETCH(QString, expected);
    data::Connection store;
    folders_.connectDemo(storetest::Backend::Sqlite, store);
    ExistingProducts existingProducts(store, policyOf(ExistingChoice::Add, RepeatChoice::Fail, true));

    const MadeRow earlier = rowOf(QStringLiteral("7002|丁"), 0);
    existingProducts.remember(earlier, data::StoredRow{QStringLiteral("Q7002"), std::nullopt, -1}, false, true);
    if (committed)
        existingProducts.groupCommitted();
    else
        existingProducts.groupLost();
    const MadeRow later = rowOf(QStringLiteral("7002|丁"), 1);
    QCOMPARE(shown(existingProducts.decide(std::span<const MadeRow>(&later, 1)).front()), expected);
}

QTEST_GUILESS_MAIN(TestExistingDecisions)
#include "tst_existingdecisions.moc"
