// The columns of Cpxm as the store states them, on a SQLite file and on the test server: kinds, lengths and
// defaults, which decide how a further column of a product list is written.
#include "BackendFixture.h"
#include "db/Connection.h"
#include "db/StoreColumns.h"
#include "StoreTestSupport.h"

#include <QTest>

using storetest::Backend;

namespace {

const data::StoreColumn* findColumn(const std::vector<data::StoreColumn>& columns, const QString& name)
{
    for (const data::StoreColumn& column : columns) {
        if (column.name.compare(name, Qt::CaseInsensitive) == 0)
            return &column;
    }
    return nullptr;
}

} // namespace

class TestStoreColumns : public QObject
{
    Q_OBJECT

private:
    storetest::BackendFixture stores_;

private slots:
    void initTestCase() { QVERIFY(stores_.isValid()); }

    void defaultLiterals_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("type"); // BoundValue::Type, -1: an expression
        QTest::addColumn<QString>("value");
        using T = data::BoundValue::Type;
        QTest::newRow("none") << "" << int(T::Unset) << "";
        QTest::newRow("NULL") << "NULL" << int(T::Unset) << "";
        QTest::newRow("SQLite text") << "'1'" << int(T::Text) << "1";
        QTest::newRow("quote in the text") << "'it''s'" << int(T::Text) << "it's";
        QTest::newRow("number") << "0" << int(T::Double) << "0";
        QTest::newRow("PostgreSQL cast") << "'1'::character varying" << int(T::Text) << "1";
        QTest::newRow("PostgreSQL numeric") << "0.5::numeric(10,2)" << int(T::Double) << "0.5";
        QTest::newRow("SQL Server parentheses") << "((1))" << int(T::Double) << "1";
        QTest::newRow("a function") << "now()" << -1 << "";
        QTest::newRow("a sequence") << "nextval('cpxm_id_seq'::regclass)" << -1 << "";
    }
    void defaultLiterals()
    {
        QFETCH(QString, sql);
        QFETCH(int, type);
        QFETCH(QString, value);
        const std::optional<data::BoundValue> literal = data::defaultLiteral(sql);
        QCOMPARE(literal ? int(literal->type) : -1, type);
        if (literal && literal->type == data::BoundValue::Type::Text)
            QCOMPARE(literal->text, value);
        if (literal && literal->type == data::BoundValue::Type::Double)
            QCOMPARE(literal->number, value.toDouble());
    }

    void demoStoreColumns_data() { storetest::addBackendRows(); }
    void demoStoreColumns()
    {
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        const std::vector<data::StoreColumn> columns = connection.tableColumns(QStringLiteral("Cpxm"));
        QCOMPARE(int(columns.size()), 24);
        QCOMPARE(columns.front().name.toLower(), QStringLiteral("cpxm_bm"));

        const data::StoreColumn* packing = findColumn(columns, QStringLiteral("Cpxm_gg"));
        QVERIFY(packing);
        QCOMPARE(packing->kind, data::StoreColumn::Kind::Text);
        QCOMPARE(packing->length, 60);
        QVERIFY(packing->defaultValue && packing->defaultValue->type == data::BoundValue::Type::Unset);

        const data::StoreColumn* stock = findColumn(columns, QStringLiteral("CPxm_sl"));
        QVERIFY(stock);
        QCOMPARE(stock->kind, data::StoreColumn::Kind::Number);
        QVERIFY(stock->defaultValue && stock->defaultValue->type == data::BoundValue::Type::Double);

        const data::StoreColumn* state = findColumn(columns, QStringLiteral("Cpxm_zt"));
        QVERIFY(state);
        QCOMPARE(state->length, 1);
        QVERIFY(state->defaultValue && state->defaultValue->type == data::BoundValue::Type::Text);
        QCOMPARE(state->defaultValue->text, QStringLiteral("1"));

        QVERIFY(connection.tableColumns(QStringLiteral("NoSuchTable")).empty());
    }
};

QTEST_GUILESS_MAIN(TestStoreColumns)
#include "tst_storecolumns.moc"
