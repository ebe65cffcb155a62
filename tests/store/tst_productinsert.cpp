// The product insert, on a real SQLite file and on the test PostgreSQL server through ODBC: the statement's exact
// text, the demo store's columns it writes, every value stored with its own type, batches of many rows that are
// stored whole or not at all.

#include "BackendFixture.h"
#include "db/ArrayLiteral.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "db/StatementText.h"
#include "store/CpxmColumns.h"
#include "store/ProductInsert.h"
#include "StoreTestSupport.h"

#include <QSet>
#include <QTest>

#include <algorithm>

using storetest::addBackendColumn;
using storetest::addBackendRows;
using storetest::Backend;
using storetest::BatchForm;
using storetest::Product;
using storetest::scalar;

class TestProductInsert : public QObject
{
    Q_OBJECT

private:
    storetest::BackendFixture stores_;

private slots:
    void initTestCase() { QVERIFY(stores_.isValid()); }

    // The store's own system knows the insert as these two lines, to the character.
    void insertTextIsTheTwoClauses()
    {
        const QString insertClause =
            "insert into Cpxm(Cpxm_bm,Cpxm_mc,Cpxm_jp,Cpxm_dw,Cpxm_ysdj,Cpxm_cbdj,CPxm_sl,Cpxm_zdzk,Cpxm_Bkind,"
            "Cpxm_ckbm,Cpxm_fdbh,Cpxm_kybm,Cpxm_kymc,Cpxm_Skind,Cpxm_tcms,Cpxm_tcbl,Cpxm_tcfs,Cpxm_jhdj,Cpxm_fw,Cpzk)";
        const QString valuesClause =
            " values(:Cpxm_bm,:Cpxm_mc,:Cpxm_jp,:Cpxm_dw,:Cpxm_ysdj,:Cpxm_cbdj,:CPxm_sl,:Cpxm_zdzk,:Cpxm_Bkind,"
            ":Cpxm_ckbm,:Cpxm_fdbh,:Cpxm_kybm,:Cpxm_kymc,:Cpxm_Skind,:Cpxm_tcms,:Cpxm_tcbl,:Cpxm_tcfs,:Cpxm_jhdj,"
            ":Cpxm_fw,:Cpzk)";
        QCOMPARE(data::productInsertClause(), insertClause);
        QCOMPARE(data::productValuesClause(), valuesClause);
        QCOMPARE(data::productInsertText(), insertClause + "\r\n" + valuesClause + "\r\n");

        // Its parameters are named after the columns of the insert clause, in their order, each once.
        const data::ParsedStatement parsed = data::parseStatement(data::productInsertText());
        const QString listed = insertClause.section(u'(', 1).chopped(1);
        const QStringList columns = listed.split(u',');
        QCOMPARE(parsed.names, columns);
        QCOMPARE(QSet<QString>(columns.begin(), columns.end()).size(), 20);

        // Several rows: the same columns, one tuple of twenty placeholders per row.
        const data::InsertTexts texts = data::productInsertTexts();
        QCOMPARE(texts.head, insertClause + "\r\n values");
        QCOMPARE(texts.tuple.count(u'?'), 20);
        QCOMPARE(texts.columns, 20);
    }

    // One column of a batch as the array literal PostgreSQL reads: texts quoted with their quotes and backslashes
    // escaped, numbers as the shortest decimal that reads back as the same double.
    void arrayLiteral_data()
    {
        QTest::addColumn<QVariantList>("values"); // QString, double, qlonglong, or an invalid QVariant for unset
        QTest::addColumn<QString>("literal");
        QTest::newRow("texts") << QVariantList{"a", "阿司匹林", ""} << "{\"a\",\"阿司匹林\",\"\"}";
        QTest::newRow("quotes and backslashes")
            << QVariantList{"say \"hi\"", "a\\b", "\\\""} << "{\"say \\\"hi\\\"\",\"a\\\\b\",\"\\\\\\\"\"}";
        QTest::newRow("characters an unquoted element would give a meaning to")
            << QVariantList{"{x}", "a,b", "NULL", " pad ", "line\nbreak"}
            << "{\"{x}\",\"a,b\",\"NULL\",\" pad \",\"line\nbreak\"}";
        QTest::newRow("doubles to the last bit") << QVariantList{0.1 + 0.2, 1e20, -3.0, 2.5e-7, 4.9e-324, -0.0}
                                                 << "{0.30000000000000004,1e+20,-3,2.5e-07,5e-324,-0}";
        QTest::newRow("numbers no number") << QVariantList{qQNaN(), qInf(), -qInf()} << "{NaN,Infinity,-Infinity}";
        QTest::newRow("integers") << QVariantList{qlonglong(0), qlonglong(-32768), qlonglong(9007199254740993)}
                                  << "{0,-32768,9007199254740993}";
        QTest::newRow("unset") << QVariantList{QVariant(), "x"} << "{NULL,\"x\"}";
        QTest::newRow("one row") << QVariantList{"x"} << "{\"x\"}";
    }
    void arrayLiteral()
    {
        QFETCH(QVariantList, values);
        QFETCH(QString, literal);
        std::vector<std::array<data::BoundValue, 2>> rows(size_t(values.size()));
        std::vector<const data::BoundValue*> pointers;
        for (qsizetype i = 0; i < values.size(); ++i) {
            data::BoundValue& value = rows[size_t(i)][1]; // the second column, to show the column is followed
            switch (values[i].typeId()) {
            case QMetaType::QString:
                value.type = data::BoundValue::Type::Text;
                value.text = values[i].toString();
                break;
            case QMetaType::Double:
                value.type = data::BoundValue::Type::Double;
                value.number = values[i].toDouble();
                break;
            case QMetaType::LongLong:
                value.type = data::BoundValue::Type::Integer;
                value.integer = values[i].toLongLong();
                break;
            default:
                break;
            }
            rows[size_t(i)][0] = data::BoundValue{data::BoundValue::Type::Text, "other column", 0, 0};
            pointers.push_back(rows[size_t(i)].data());
        }
        QString out = QStringLiteral("kept:");
        data::appendArrayLiteral(out, pointers.data(), int(pointers.size()), 1);
        QCOMPARE(out, "kept:" + literal);
    }

    // The demo store's Cpxm as the store itself states it: each of the insert's twenty columns is there, with a
    // type that takes the value bound to it (a number column for a number, a text column for a text, long enough
    // for a fixed text).
    void demoStoreTakesTheTwentyColumns_data() { addBackendRows(); }
    void demoStoreTakesTheTwentyColumns()
    {
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        const std::vector<data::StoreColumn> stated = connection.tableColumns("Cpxm");
        const QStringList inserted = data::parseStatement(data::productInsertText()).names;
        QCOMPARE(inserted.size(), 20);
        for (const QString& name : inserted) {
            const auto found = std::find_if(stated.begin(), stated.end(), [&](const data::StoreColumn& column) {
                return column.name.compare(name, Qt::CaseInsensitive) == 0;
            });
            QVERIFY2(found != stated.end(), qPrintable(name + " is not a column of the store's Cpxm"));
            const auto& columns = data::cpxmColumns();
            const auto bound = std::find_if(columns.begin(), columns.end(),
                                            [&](const data::CpxmColumn& column) { return column.name == name; });
            QVERIFY2(bound != columns.end(), qPrintable(name + " has no value bound"));
            const bool number = data::boundValueType(bound->type) != data::BoundValue::Type::Text;
            QVERIFY2((found->kind == data::StoreColumn::Kind::Number) == number,
                     qPrintable(name + ": the store states " + found->typeName));
            if (!number && found->length >= 0)
                QVERIFY2(found->length >= bound->fixedText.size(), qPrintable(name + " is too short for its value"));
        }
    }

    void insertRoundTrip_data()
    {
        addBackendColumn();
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("mnemonic");
        QTest::addColumn<double>("salePrice");
        QTest::addColumn<QString>("salePriceText");
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString prefix = storetest::backendName(backend) + ": ";
            QTest::newRow(qPrintable(prefix + "chinese texts"))
                << backend << QString("阿司匹林肠溶片") << QString("盒") << QString("ASPLCRP") << 12.5 << "12.5";
            QTest::newRow(qPrintable(prefix + "empty texts stay empty"))
                << backend << QString("") << QString() << QString("") << 100.0 << "100";
            QTest::newRow(qPrintable(prefix + "colons and quotes in values"))
                << backend << QString("it's :aa \"x\"") << QString(":ab") << QString("`") << -3.0 << "-3";
        }
    }

    void insertRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QString, unit);
        QFETCH(QString, mnemonic);
        QFETCH(double, salePrice);
        QFETCH(QString, salePriceText);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        storetest::insertProducts(connection, {{"D1001", name, mnemonic, unit, salePrice, 8, 20}});

        data::Query query(connection);
        query.addSqlLine("select * from Cpxm where Cpxm_bm=:bm");
        query.bindText("bm", "D1001");
        query.open();
        QCOMPARE(query.rowCount(), 1);
        QCOMPARE(query.fieldText("Cpxm_mc"), name);
        QCOMPARE(query.fieldText("Cpxm_dw"), unit.isNull() ? QString("") : unit);
        QCOMPARE(query.fieldText("Cpxm_jp"), mnemonic);
        QCOMPARE(query.fieldText("Cpxm_ysdj"), salePriceText);
        QCOMPARE(query.fieldText("Cpxm_cbdj"), QString("8"));
        QCOMPARE(query.fieldText("Cpxm_jhdj"), QString("8"));
        QCOMPARE(query.fieldText("CPxm_sl"), QString("20"));
        QCOMPARE(query.fieldText("Cpxm_zdzk"), QString("0.9"));
        QCOMPARE(query.fieldText("Cpxm_tcbl"), QString("0"));
        QCOMPARE(query.fieldText("Cpxm_kybm"), QString("1"));
        QCOMPARE(query.fieldText("Cpxm_kymc"), QString("可供"));
        QCOMPARE(query.fieldText("Cpxm_tcms"), QString("不提成"));
        QCOMPARE(query.fieldText("Cpxm_fw"), QString("0"));
        QCOMPARE(query.fieldText("Cpxm_gg"), QString()); // not written: NULL reads as ""

        // Empty texts are stored as texts, never as NULL.
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm='D1001' and Cpxm_mc is not null "
                                    "and Cpxm_dw is not null and Cpxm_jp is not null"),
                 QString("1"));
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm"), QString("3"));
    }

    // Rows in statements of a hundred, as SQL Server's 2,100 parameters allow, or in arrays of five hundred on
    // PostgreSQL: two and a half batches' worth go in three statements, every value where it belongs.
    void manyRowsPerStatement_data()
    {
        addBackendColumn();
        QTest::addColumn<BatchForm>("form");
        QTest::addColumn<int>("rowsPerStatement");
        QTest::newRow("sqlite") << Backend::Sqlite << BatchForm::Best << 100;
        QTest::newRow("postgresql, arrays") << Backend::Server << BatchForm::Best << 500;
        QTest::newRow("postgresql, rows") << Backend::Server << BatchForm::Rows << 100;
    }
    void manyRowsPerStatement()
    {
        QFETCH(BatchForm, form);
        QFETCH(int, rowsPerStatement);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        QCOMPARE(storetest::prepareInsert(connection, form)->maxRows(), rowsPerStatement);
        const int rows = rowsPerStatement * 5 / 2;
        std::vector<Product> products;
        for (int i = 0; i < rows; ++i)
            products.push_back(
                {QString("M%1").arg(i), QString("名%1").arg(i), "", QString("单%1").arg(i), double(i), 1, double(-i)});
        storetest::insertProducts(connection, products, form);
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm like 'M%'"), QString::number(rows));
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm like 'M%' and Cpxm_mc = '名' || "
                                    "substr(Cpxm_bm, 2) and Cpxm_dw = '单' || substr(Cpxm_bm, 2) and "
                                    "CPxm_sl = -Cpxm_ysdj"),
                 QString::number(rows));
    }

    // Waiting rows go in statements of a few sizes, so that a run prepares a handful of statements whatever
    // counts come: the full batch and the powers of two below it, or, as arrays, any count up to the batch.
    void statementRowsKeepAFewCounts_data() { storetest::addBatchFormRows(); }
    void statementRowsKeepAFewCounts()
    {
        QFETCH(Backend, backend);
        QFETCH(BatchForm, form);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        const std::unique_ptr<data::PreparedInsert> insert = storetest::prepareInsert(connection, form);
        const bool anyCount = backend == Backend::Server && form == BatchForm::Best;
        QList<int> taken;
        for (const int count : {1, 2, 3, 37, 64, 99, 100, 101, 250, 499, 500, 600})
            taken.append(insert->statementRows(count));
        const QList<int> expected = anyCount ? QList<int>{1, 2, 3, 37, 64, 99, 100, 101, 250, 499, 500, 500}
                                             : QList<int>{1, 2, 2, 32, 64, 64, 100, 100, 100, 100, 100, 100};
        QCOMPARE(taken, expected);
    }

    // Whatever a text or a number holds comes back as it went in, from a batch of several rows in every form:
    // the characters an array literal or a statement gives a meaning to, and doubles to their last bit.
    void batchesKeepEveryValue_data() { storetest::addBatchFormRows(); }
    void batchesKeepEveryValue()
    {
        QFETCH(BatchForm, form);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        const QStringList texts{"it's", "\"quoted\"", "back\\slash",        "\\\"",     "{braces}", "a,b", "NULL",
                                "",     " spaces ",   "line\r\nbreak\ttab", "阿司匹林", "💊 药"};
        const std::vector<double> numbers{0.1 + 0.2, 1e-300, 123456789.123456789,     1e20,     -3,
                                          0,         2.5e-7, -1.7976931348623157e308, 4.9e-324, 1.0 / 3,
                                          100,       65535.5};
        std::vector<Product> products;
        for (int i = 0; i < int(texts.size()); ++i)
            products.push_back({QString("V%1").arg(i), texts[i], texts[(i + 1) % texts.size()], texts[i],
                                numbers[size_t(i)], -numbers[size_t(i)], double(i)});
        storetest::insertProducts(connection, products, form);
        for (const Product& product : products)
            QVERIFY2(storetest::storedAsWritten(connection, product),
                     qPrintable(product.name + " / " + QString::number(product.salePrice, 'g', 17)));
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm like 'V%'"),
                 QString::number(products.size()));
    }

    // The same prepared insert run again and again, each time with some values as they were the time before and
    // others changed (to an empty text and back, 0 to -0 and back, a text to an equal one held elsewhere): each
    // row stores its own values.
    void insertRunAgainStoresEachRowsOwnValues_data() { storetest::addBatchFormRows(); }
    void insertRunAgainStoresEachRowsOwnValues()
    {
        QFETCH(BatchForm, form);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        const std::unique_ptr<data::PreparedInsert> insert = storetest::prepareInsert(connection, form);
        const QStringList units{"盒", "", "盒", "瓶", ""};
        const std::vector<double> prices{0.0, -0.0, 0.0, 1.5, 1.5};
        std::vector<Product> stored;
        for (int run = 0; run < 5; ++run) {
            std::vector<data::CpxmRow> rows;
            for (int row = 0; row < 3; ++row) {
                // The name changes every other run; the unit and the price follow the lists above.
                const Product product{QString("K%1-%2").arg(run).arg(row),
                                      QString("名%1-%2").arg(run / 2).arg(row),
                                      "",
                                      QString(units[run]),
                                      prices[size_t(run)],
                                      double(run),
                                      double(row)};
                stored.push_back(product);
                rows.push_back(storetest::productValues(product));
            }
            std::vector<const data::BoundValue*> pointers;
            for (const data::CpxmRow& row : rows)
                pointers.push_back(row.data());
            insert->insert(pointers.data(), int(pointers.size()));
        }
        for (const Product& product : stored)
            QVERIFY2(storetest::storedAsWritten(connection, product), qPrintable(product.code));
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm like 'K%'"), QString("15"));
    }

    // A store whose columns have other types than the values (an integer for the one-character 1, a numeric
    // price, a smallint, a fixed-width text, an unbounded text) takes a batch as it takes a single row: through
    // each type's own input, a fixed-width text padded and never cut, and one too long for it refused.
    void otherColumnTypesTakeTheValues_data()
    {
        addBackendColumn();
        QTest::addColumn<BatchForm>("form");
        QTest::newRow("postgresql, arrays") << Backend::Server << BatchForm::Best;
        QTest::newRow("postgresql, rows") << Backend::Server << BatchForm::Rows;
    }
    void otherColumnTypesTakeTheValues()
    {
        QFETCH(BatchForm, form);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        for (const char* change : {"alter column Cpxm_kybm type integer using Cpxm_kybm::integer",
                                   "alter column Cpxm_ysdj type numeric(12,2)", "alter column Cpxm_tcbl type smallint",
                                   "alter column Cpxm_dw type char(10)", "alter column Cpxm_mc type text"})
            storetest::execute(connection, QString("alter table Cpxm ") + change);
        storetest::insertProducts(
            connection, {{"T1", QString(300, u'长'), "", "盒子", 12.345, 1, 1}, {"T2", "名", "", "", 7, 1, 1}}, form);
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm = 'T1' and Cpxm_kybm = 1 and "
                                    "Cpxm_ysdj = 12.35 and Cpxm_tcbl = 0 and Cpxm_dw = '盒子' and "
                                    "length(Cpxm_dw) = 2 and length(Cpxm_mc) = 300"),
                 QString("1"));
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm = 'T2' and Cpxm_ysdj = 7"),
                 QString("1"));
        try {
            storetest::insertProducts(
                connection, {{"T3", "名", "", "一二三四五六七八九十百", 1, 1, 1}, {"T4", "名", "", "", 1, 1, 1}}, form);
            QFAIL("a text too long for char(10) must be refused");
        } catch (const data::DatabaseError& error) {
            QCOMPARE(error.code(), QString("22001"));
        }
    }

    // A statement of several rows with one refused row stores none of them: the writer then sends that batch
    // again row by row.
    void refusedBatchStoresNothing_data() { storetest::addBatchFormRows(); }
    void refusedBatchStoresNothing()
    {
        QFETCH(Backend, backend);
        QFETCH(BatchForm, form);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        struct Batch
        {
            std::vector<Product> products;
            QStringList codes; // the store's code for the refusal, by store
        };
        const QStringList duplicate{"23505", "SQLITE 2067 (constraint failed)"};
        std::vector<Batch> batches{
            {{{"R1", "名", "", "", 1, 1, 1}, {"A0001", "重复", "", "", 1, 1, 1}, {"R2", "名", "", "", 1, 1, 1}},
             duplicate},
            {{{"R3", "名", "", "", 1, 1, 1}, {"R4", "名", "", "", 1, 1, 1}, {"R3", "又", "", "", 1, 1, 1}}, duplicate},
        };
        // A text too long for its column is refused, never cut (SQLite keeps any length).
        if (backend == Backend::Server)
            batches.push_back(
                {{{"R5", "名", "", "", 1, 1, 1}, {"R6", QString(201, u'长'), "", "", 1, 1, 1}}, {"22001"}});
        for (const Batch& batch : batches) {
            try {
                storetest::insertProducts(connection, batch.products, form);
                QFAIL("the batch must be refused");
            } catch (const data::DatabaseError& error) {
                QCOMPARE(error.fault(), data::Fault::Row);
                QVERIFY2(batch.codes.contains(error.code()), qPrintable(error.code()));
            }
        }
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm like 'R%'"), QString("0"));
    }
};

QTEST_GUILESS_MAIN(TestProductInsert)
#include "tst_productinsert.moc"
