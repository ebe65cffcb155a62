// Products already in the store, on a real SQLite file and on the test PostgreSQL server through ODBC: which
// stored products sheet rows mean (by code, by a letter and the code, by name when names count, in batches of
// more codes than one statement takes), and the update and the stock merge of a product found so.

#include "BackendFixture.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "store/CpxmColumns.h"
#include "store/ProductUpdate.h"
#include "store/StoredProducts.h"
#include "StoreTestSupport.h"

#include <QTest>

using storetest::Backend;
using storetest::Product;

namespace {

// Every column of the demo store's Cpxm.
const QStringList kAllColumns{"Cpxm_bm",   "Cpxm_mc",    "Cpxm_jp",    "Cpxm_dw",   "Cpxm_ysdj", "Cpxm_cbdj",
                              "CPxm_sl",   "Cpxm_zdzk",  "Cpxm_Bkind", "Cpxm_ckbm", "Cpxm_fdbh", "Cpxm_kybm",
                              "Cpxm_kymc", "Cpxm_Skind", "Cpxm_tcms",  "Cpxm_tcbl", "Cpxm_tcfs", "Cpxm_jhdj",
                              "Cpxm_fw",   "Cpzk",       "Cpxm_gg",    "Cpxm_cd",   "Cpxm_txm",  "Cpxm_zt"};

// "code" or "code name": one product each, the name defaulting to the code's own.
std::vector<Product> productsOf(const QStringList& entries)
{
    std::vector<Product> products;
    for (const QString& entry : entries) {
        Product product;
        product.code = entry.section(u' ', 0, 0);
        product.name = entry.contains(u' ') ? entry.section(u' ', 1) : QStringLiteral("品名") + product.code;
        product.mnemonic = QStringLiteral("PM");
        product.unit = QStringLiteral("盒");
        product.salePrice = 12.5;
        product.costPrice = 8;
        product.stock = 5;
        products.push_back(product);
    }
    return products;
}

// "code|name" each.
std::vector<data::ProductKey> keysOf(const QStringList& entries)
{
    std::vector<data::ProductKey> keys;
    for (const QString& entry : entries)
        keys.push_back({entry.section(u'|', 0, 0), entry.section(u'|', 1)});
    return keys;
}

// Each key's stored codes, joined by ",".
QStringList joined(const std::vector<QStringList>& found)
{
    QStringList texts;
    for (const QStringList& codes : found)
        texts << codes.join(u',');
    return texts;
}

// Every column of the product, as text; empty when the store has no product of that code.
QStringList productRow(data::Connection& store, const QString& code)
{
    data::Query query(store);
    query.setSqlText(QStringLiteral("select * from Cpxm where Cpxm_bm = :c"));
    query.bindText(QStringLiteral("c"), code);
    query.open();
    if (query.rowCount() != 1)
        return {};
    QStringList row;
    for (const QString& column : kAllColumns)
        row << query.fieldText(column);
    return row;
}

data::BoundValue text(const QString& value)
{
    data::BoundValue bound;
    bound.type = data::BoundValue::Type::Text;
    bound.text = value;
    return bound;
}

data::BoundValue number(double value)
{
    data::BoundValue bound;
    bound.type = data::BoundValue::Type::Double;
    bound.number = value;
    return bound;
}

} // namespace

class TestStoredProducts : public QObject
{
    Q_OBJECT

private:
    storetest::BackendFixture stores_;

    // The row's demo store with the products besides the demo's; false when the row was skipped.
    [[nodiscard]] bool connectDemo(data::Connection& connection, const QStringList& products)
    {
        if (!stores_.connectDemo(connection))
            return false;
        storetest::insertProducts(connection, productsOf(products));
        return true;
    }

private slots:
    void initTestCase() { QVERIFY(stores_.isValid()); }

    void codesUnderALetter_data();
    void codesUnderALetter();
    void match_data();
    void match();
    void moreCodesThanOneSelectTakes_data();
    void moreCodesThanOneSelectTakes();
    void updateSetsExactlyTheGivenColumns_data();
    void updateSetsExactlyTheGivenColumns();
    void updateRefusesColumnsItMayNotSet_data();
    void updateRefusesColumnsItMayNotSet();
    void mergeAddsStock_data();
    void mergeAddsStock();
    void refusalsAreRowOrStoreFaults_data();
    void refusalsAreRowOrStoreFaults();
};

// A stored code is a code letter and the sheet's code only where the letter is one of A-Z: lower-case letters,
// digits and the characters around A-Z begin no code letter; Z is found like any, beside the demo's A.
void TestStoredProducts::codesUnderALetter_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<QStringList>("products"); // besides the demo's A0001 and A0002
    QTest::addColumn<QStringList>("keys");     // "code|name"
    QTest::addColumn<QStringList>("expected"); // per key, the stored codes joined by ","
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        const QString name = storetest::backendName(backend);
        QTest::addRow("%s: the demo's A", qPrintable(name))
            << backend << QStringList{} << QStringList{"0001|x", "0002|x", "0003|x"}
            << QStringList{"A0001", "A0002", ""};
        QTest::addRow("%s: others around them", qPrintable(name))
            << backend << QStringList{"b1", "1001", "@1", "[1", "Z9", "M5", "a2", "`3", "{4"}
            << QStringList{"1|x", "9|x", "5|x", "2|x", "3|x", "4|x", "1001|x", "001|x"}
            << QStringList{"", "Z9", "M5", "", "", "", "1001", ""};
    }
}

void TestStoredProducts::codesUnderALetter()
{
    QFETCH(QStringList, products);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, expected);
    data::Connection store;
    if (!connectDemo(store, products))
        return;
    QCOMPARE(joined(data::StoredProductMatcher(store).match(keysOf(keys), false)), expected);
}

void TestStoredProducts::match_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<QStringList>("products"); // "code name", besides A0001 阿莫西林胶囊 and A0002 板蓝根颗粒
    QTest::addColumn<QStringList>("keys");     // "code|name"
    QTest::addColumn<bool>("namesCount");
    QTest::addColumn<QStringList>("expected"); // per key, the stored codes joined by ","
    QTest::addColumn<bool>("whole");           // a long run: every stored product read at once

    struct Case
    {
        const char* name;
        QStringList products;
        QStringList keys;
        bool namesCount;
        QStringList expected;
    };
    const Case cases[] = {
        {"the code itself", {"1001 阿司匹林"}, {"1001|阿司匹林"}, false, {"1001"}},
        {"a letter and the code", {"B1001 阿司匹林"}, {"1001|阿司匹林"}, false, {"B1001"}},
        {"a stored code that begins with its letter",
         {},
         {"A0001|阿莫西林胶囊", "0001|阿莫西林胶囊"},
         true,
         {"A0001", "A0001"}},
        {"every match, the code first, then the letters in order",
         {"C1001 x", "1001 x", "B1001 x", "D1002 y"},
         {"1001|x"},
         false,
         {"1001,B1001,C1001"}},
        {"none", {"B1002", "B10011", "BB1001", "b1001", "1001B", "B1001x"}, {"1001|x"}, false, {""}},
        {"case counts", {"B1001"}, {"b1001|x", "A0001|x", "a0001|x"}, false, {"", "A0001", ""}},
        {"names count: the same name", {"B1001 阿司匹林"}, {"1001|阿司匹林"}, true, {"B1001"}},
        {"names count: another name", {"B1001 阿司匹林"}, {"1001|布洛芬"}, true, {""}},
        {"names count: only the product of that name",
         {"B1001 阿司匹林", "C1001 布洛芬"},
         {"1001|布洛芬"},
         true,
         {"C1001"}},
        {"names count: the stored name trimmed", {"B1001  阿司匹林  "}, {"1001|阿司匹林"}, true, {"B1001"}},
        {"names ignored", {"B1001 阿司匹林"}, {"1001|布洛芬"}, false, {"B1001"}},
        {"keys in order, each found alone",
         {"B1001 a", "B1003 c"},
         {"1003|c", "1002|b", "1001|a", "1003|c"},
         false,
         {"B1003", "", "B1001", "B1003"}},
        {"a quote is a quote", {"B10'01", "B1001"}, {"10'01|x"}, false, {"B10'01"}},
        {"a percent sign is no wildcard", {"B10%1", "B1001", "B10991"}, {"10%1|x", "10%|x"}, false, {"B10%1", ""}},
        {"an underscore is no wildcard", {"B10_1", "B1001"}, {"10_1|x", "1001|x"}, false, {"B10_1", "B1001"}},
        {"a backslash is a backslash", {"B10\\1"}, {"10\\1|x"}, false, {"B10\\1"}},
        {"a row without a code means nothing", {"B"}, {"|x"}, false, {""}},
        {"no keys", {"B1001"}, {}, false, {}},
    };
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        for (const bool whole : {false, true}) {
            for (const Case& c : cases) {
                QTest::addRow("%s%s: %s", qPrintable(storetest::backendName(backend)), whole ? " whole" : "", c.name)
                    << backend << c.products << c.keys << c.namesCount << c.expected << whole;
            }
        }
    }
}

void TestStoredProducts::match()
{
    QFETCH(QStringList, products);
    QFETCH(QStringList, keys);
    QFETCH(bool, namesCount);
    QFETCH(QStringList, expected);
    QFETCH(bool, whole);
    data::Connection store;
    if (!connectDemo(store, products))
        return;
    data::StoredProductMatcher matcher(store, whole ? 100000 : 0);
    QCOMPARE(joined(matcher.match(keysOf(keys), namesCount)), expected);
    // A long run reads the store once, when the matcher is made; a short one asks it for every batch: a product
    // stored since is found only then.
    storetest::insertProducts(store, productsOf({"9876543"}));
    QCOMPARE(joined(matcher.match(keysOf({"9876543|x"}), false)), QStringList{whole ? "" : "9876543"});
}

void TestStoredProducts::moreCodesThanOneSelectTakes_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<int>("keyCount");
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        // Letters A, B and C in use: four codes a key, so 500 keys fill one select of 2,000 codes and 501 take two.
        for (int keys : {499, 500, 501, 1250}) {
            QTest::addRow("%s: %d keys", qPrintable(storetest::backendName(backend)), keys) << backend << keys;
        }
    }
}

// Every key is answered, on either side of each split, with names counting.
void TestStoredProducts::moreCodesThanOneSelectTakes()
{
    QFETCH(int, keyCount);
    data::Connection store;
    if (!stores_.connectDemo(store))
        return;
    // Key k: stored under B when k is even, also under C when k is a multiple of 3; names as the key's, but
    // every fifth stored under another name.
    std::vector<Product> products;
    std::vector<data::ProductKey> keys;
    QStringList expected;
    for (int k = 0; k < keyCount; ++k) {
        const QString code = QStringLiteral("7%1").arg(k, 6, 10, QLatin1Char('0'));
        const QString name = QStringLiteral("商品%1").arg(k);
        keys.push_back({code, name});
        const QString storedName = k % 5 == 0 ? name + QStringLiteral("乙") : name;
        QStringList codes;
        for (const QString& letter : {QStringLiteral("B"), QStringLiteral("C")}) {
            const bool stored = letter == u"B" ? k % 2 == 0 : k % 3 == 0;
            if (!stored)
                continue;
            products.push_back(productsOf({letter + code + u' ' + storedName}).front());
            if (storedName == name)
                codes << letter + code;
        }
        expected << codes.join(u',');
    }
    storetest::insertProducts(store, products);
    data::StoredProductMatcher matcher(store);
    QCOMPARE(joined(matcher.match(keys, true)), expected);
}

void TestStoredProducts::updateSetsExactlyTheGivenColumns_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<QString>("code"); // the product updated
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QVariantList>("values"); // a QString or a double per column
    QTest::addColumn<int>("changed");
    struct Case
    {
        const char* name;
        QString code;
        QStringList columns;
        QVariantList values;
        int changed;
    };
    const Case cases[] = {
        {"name and sale price", "B1001", {"Cpxm_mc", "Cpxm_ysdj"}, {QStringLiteral("阿司匹林肠溶片"), 9.5}, 1},
        {"every column the sheet feeds",
         "B1001",
         {"Cpxm_mc", "Cpxm_jp", "Cpxm_dw", "Cpxm_ysdj", "Cpxm_cbdj", "CPxm_sl", "Cpxm_zdzk", "Cpxm_jhdj", "Cpzk"},
         {QStringLiteral("新名"), QStringLiteral("XM"), QStringLiteral("瓶"), 1.5, 0.75, 42.0, 0.8, 0.75, 0.9},
         1},
        {"stock alone", "B1001", {"CPxm_sl"}, {-3.0}, 1},
        {"an empty text stays a text", "B1001", {"Cpxm_dw"}, {QString()}, 1},
        {"a further column of the store",
         "B1001",
         {"Cpxm_gg", "Cpxm_cd"},
         {QStringLiteral("10g*20袋"), QStringLiteral("北京")},
         1},
        {"names spelt in another case",
         "B1001",
         {"cpxm_MC", "CPXM_GG"},
         {QStringLiteral("甲"), QStringLiteral("乙")},
         1},
        {"a code with a quote", "B10'02", {"Cpxm_mc"}, {QStringLiteral("引号")}, 1},
        {"a code not stored", "B9999", {"Cpxm_mc"}, {QStringLiteral("没有")}, 0},
        {"the code without its letter", "1001", {"Cpxm_mc"}, {QStringLiteral("没有")}, 0},
    };
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        for (const Case& c : cases) {
            QTest::addRow("%s: %s", qPrintable(storetest::backendName(backend)), c.name)
                << backend << c.code << c.columns << c.values << c.changed;
        }
    }
}

// The one product takes the values of the given columns, every other column and every other product stays; the
// statement prepared once runs again.
void TestStoredProducts::updateSetsExactlyTheGivenColumns()
{
    QFETCH(QString, code);
    QFETCH(QStringList, columns);
    QFETCH(QVariantList, values);
    QFETCH(int, changed);
    data::Connection store;
    if (!connectDemo(store, {"B1001 阿司匹林", "B1002 布洛芬", "B10'02 引", "1002 维生素"}))
        return;
    const QStringList codes{"A0001", "A0002", "B1001", "B1002", "B10'02", "1002"};
    std::vector<QStringList> before;
    for (const QString& stored : codes)
        before.push_back(productRow(store, stored));

    data::ProductUpdate update(store, columns);
    QCOMPARE(update.columns().size(), columns.size());
    const auto bound = [&](bool final) {
        std::vector<data::BoundValue> row;
        for (const QVariant& value : values) {
            if (value.typeId() == QMetaType::Double)
                row.push_back(number(final ? value.toDouble() : value.toDouble() + 100));
            else
                row.push_back(text(final ? value.toString() : value.toString() + QStringLiteral("先")));
        }
        return row;
    };
    QCOMPARE(update.update(bound(false), code), changed);
    QCOMPARE(update.update(bound(true), code), changed);

    for (qsizetype i = 0; i < codes.size(); ++i) {
        QStringList expected = before[size_t(i)];
        if (codes.at(i) == code) {
            for (qsizetype c = 0; c < columns.size(); ++c) {
                const QVariant& value = values.at(c);
                const auto column = std::find_if(kAllColumns.begin(), kAllColumns.end(),
                                                 [&](const QString& name) {
                                                     return name.compare(columns.at(c), Qt::CaseInsensitive) == 0;
                                                 }) -
                                    kAllColumns.begin();
                QVERIFY(column < kAllColumns.size());
                expected[column] =
                    value.typeId() == QMetaType::Double ? data::numberText(value.toDouble()) : value.toString();
            }
        }
        QCOMPARE(productRow(store, codes.at(i)), expected);
    }
}

void TestStoredProducts::updateRefusesColumnsItMayNotSet_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("named"); // in the message
    struct Case
    {
        const char* name;
        QStringList columns;
        QString named;
    };
    const Case cases[] = {
        {"the code", {"Cpxm_mc", "Cpxm_bm"}, "Cpxm_bm"},
        {"the code in another case", {"CPXM_BM"}, "Cpxm_bm"},
        {"the big kind", {"Cpxm_Bkind"}, "Cpxm_Bkind"},
        {"the category", {"Cpxm_Skind"}, "Cpxm_Skind"},
        {"a fixed text", {"Cpxm_ckbm"}, "Cpxm_ckbm"},
        {"a fixed number", {"Cpxm_tcbl"}, "Cpxm_tcbl"},
        {"a column twice", {"Cpxm_mc", "Cpxm_ysdj", "cpxm_mc"}, "Cpxm_mc"},
        {"a column Cpxm does not have", {"Cpxm_mc", "Cpxm_xyz"}, "Cpxm_xyz"},
        {"no column", {}, "至少"},
        {"a name that is SQL", {"Cpxm_mc = 'x', Cpxm_bm"}, "Cpxm_mc = 'x', Cpxm_bm"},
    };
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        for (const Case& c : cases) {
            QTest::addRow("%s: %s", qPrintable(storetest::backendName(backend)), c.name)
                << backend << c.columns << c.named;
        }
    }
}

void TestStoredProducts::updateRefusesColumnsItMayNotSet()
{
    QFETCH(QStringList, columns);
    QFETCH(QString, named);
    data::Connection store;
    if (!connectDemo(store, {"B1001"}))
        return;
    const QStringList before = productRow(store, QStringLiteral("B1001"));
    try {
        data::ProductUpdate update(store, columns);
        QFAIL("the update was prepared");
    } catch (const data::UpdateColumnError& error) {
        QVERIFY2(error.message().contains(named), qPrintable(error.message()));
    }
    QCOMPARE(productRow(store, QStringLiteral("B1001")), before);
}

void TestStoredProducts::mergeAddsStock_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<QString>("code");
    QTest::addColumn<QList<double>>("added"); // one merge each, in order
    QTest::addColumn<bool>("noStock");        // the product's stock NULL first
    QTest::addColumn<int>("changed");         // by each merge
    QTest::addColumn<QString>("stock");       // at the end; the product starts with 5
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        const QByteArray name = storetest::backendName(backend).toUtf8();
        QTest::addRow("%s: one merge", name.constData()) << backend << "B1001" << QList<double>{3} << false << 1 << "8";
        QTest::addRow("%s: three merges", name.constData())
            << backend << "B1001" << QList<double>{3, 2.5, -1} << false << 1 << "9.5";
        QTest::addRow("%s: a product without a stock", name.constData())
            << backend << "B1001" << QList<double>{4} << true << 1 << "4";
        QTest::addRow("%s: a code not stored", name.constData())
            << backend << "B9999" << QList<double>{4} << false << 0 << "5";
    }
}

// The row's stock is added to the one product's; nothing else changes.
void TestStoredProducts::mergeAddsStock()
{
    QFETCH(QString, code);
    QFETCH(QList<double>, added);
    QFETCH(bool, noStock);
    QFETCH(int, changed);
    QFETCH(QString, stock);
    data::Connection store;
    if (!connectDemo(store, {"B1001", "B1002"}))
        return;
    if (noStock)
        storetest::execute(store, QStringLiteral("update Cpxm set CPxm_sl = null where Cpxm_bm = 'B1001'"));
    QStringList expected = productRow(store, QStringLiteral("B1001"));
    const QStringList other = productRow(store, QStringLiteral("B1002"));
    data::StockMerge merge(store);
    for (double amount : added)
        QCOMPARE(merge.add(amount, code), changed);
    expected[kAllColumns.indexOf(QStringLiteral("CPxm_sl"))] = stock;
    QCOMPARE(productRow(store, QStringLiteral("B1001")), expected);
    QCOMPARE(productRow(store, QStringLiteral("B1002")), other);
}

void TestStoredProducts::refusalsAreRowOrStoreFaults_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<QString>("setup"); // run before anything is prepared
    QTest::addColumn<bool>("merge");    // the stock merge; else an update of the stock
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("storeFault");
    const QString trigger = "create trigger stock_not_negative before update on Cpxm when new.CPxm_sl < 0 "
                            "begin select raise(abort, 'stock below zero'); end";
    const QString check = "alter table Cpxm add constraint stock_not_negative check (CPxm_sl >= 0)";
    QTest::newRow("sqlite: update refused for the row") << Backend::Sqlite << trigger << false << -1.0 << false;
    QTest::newRow("sqlite: merge refused for the row") << Backend::Sqlite << trigger << true << -9.0 << false;
    QTest::newRow("postgresql: update refused for the row") << Backend::Server << check << false << -1.0 << false;
    QTest::newRow("postgresql: merge refused for the row") << Backend::Server << check << true << -9.0 << false;
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        const QByteArray name = storetest::backendName(backend).toUtf8();
        QTest::addRow("%s: update, no stock column", name.constData())
            << backend << "alter table Cpxm drop column CPxm_sl" << false << 1.0 << true;
        QTest::addRow("%s: merge, no stock column", name.constData())
            << backend << "alter table Cpxm drop column CPxm_sl" << true << 1.0 << true;
    }
}

// A value the store refuses fails that row, and the statement goes on with the next; a table that does not fit
// is a store fault as soon as the statement is prepared.
void TestStoredProducts::refusalsAreRowOrStoreFaults()
{
    QFETCH(QString, setup);
    QFETCH(bool, merge);
    QFETCH(double, value);
    QFETCH(bool, storeFault);
    data::Connection store;
    if (!connectDemo(store, {"B1001"}))
        return;
    storetest::execute(store, setup);
    std::unique_ptr<data::StockMerge> merger;
    std::unique_ptr<data::ProductUpdate> update;
    const auto write = [&](double amount) {
        return merge ? merger->add(amount, QStringLiteral("B1001"))
                     : update->update({number(amount)}, QStringLiteral("B1001"));
    };
    try {
        if (merge)
            merger = std::make_unique<data::StockMerge>(store);
        else
            update = std::make_unique<data::ProductUpdate>(store, QStringList{"CPxm_sl"});
        QVERIFY(!storeFault);
        write(value);
        QFAIL("the store took the value");
    } catch (const data::DatabaseError& error) {
        QCOMPARE(error.isStoreFault(), storeFault);
        QVERIFY(!error.message().isEmpty());
    }
    if (!storeFault) {
        QCOMPARE(write(2), 1);
        QCOMPARE(productRow(store, QStringLiteral("B1001")).at(kAllColumns.indexOf(QStringLiteral("CPxm_sl"))),
                 merge ? QStringLiteral("7") : QStringLiteral("2"));
    }
}

QTEST_GUILESS_MAIN(TestStoredProducts)
#include "tst_storedproducts.moc"
