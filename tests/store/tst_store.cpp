// The store access layer on a real SQLite file and on the test PostgreSQL server through ODBC: statement text
// and parameters, values with their own types, errors with the driver's message, grouped writes, the product
// kind loads, the store connection and the demo store.

#include "Connection.h"
#include "DatabaseError.h"
#include "DemoStore.h"
#include "ProductKinds.h"
#include "Query.h"
#include "StoreConnection.h"
#include "StoreFixture.h"
#include "StoreStatements.h"
#include "TestPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using storetest::Backend;

namespace {

QString insertText()
{
    return data::statements::kInsertClause + QStringLiteral("\r\n") + data::statements::kValuesClause +
           QStringLiteral("\r\n");
}

void execute(data::Connection& connection, const QString& sql)
{
    data::Query query(connection);
    query.setSqlText(sql);
    query.execSql();
}

QString scalar(data::Connection& connection, const QString& sql, const QString& column = QStringLiteral("n"))
{
    data::Query query(connection);
    query.setSqlText(sql);
    query.open();
    return query.fieldText(column);
}

struct Product
{
    QString code;
    QString name;
    QString mnemonic;
    QString unit;
    double salePrice = 0;
    double costPrice = 0;
    double stock = 0;
};

// The way the import sends one row: the two clauses, the text read back and extended, twenty values.
void insertProduct(data::Query& query, const Product& product)
{
    query.close();
    query.clearSql();
    query.setSqlText(data::statements::kInsertClause);
    query.setSqlText(query.sqlText() + data::statements::kValuesClause);
    query.bindText(QStringLiteral("Cpxm_bm"), product.code);
    query.bindText(QStringLiteral("Cpxm_mc"), product.name);
    query.bindText(QStringLiteral("Cpxm_jp"), product.mnemonic);
    query.bindText(QStringLiteral("Cpxm_dw"), product.unit);
    query.bindDouble(QStringLiteral("Cpxm_ysdj"), product.salePrice);
    query.bindDouble(QStringLiteral("Cpxm_cbdj"), product.costPrice);
    query.bindDouble(QStringLiteral("CPxm_sl"), product.stock);
    query.bindDouble(QStringLiteral("Cpxm_zdzk"), 0.9);
    query.bindText(QStringLiteral("Cpxm_Bkind"), QStringLiteral("XY2"));
    query.bindText(QStringLiteral("Cpxm_ckbm"), QStringLiteral("CK000"));
    query.bindText(QStringLiteral("Cpxm_fdbh"), QStringLiteral("FD000"));
    query.bindText(QStringLiteral("Cpxm_kybm"), QStringLiteral("1"));
    query.bindText(QStringLiteral("Cpxm_kymc"), QStringLiteral("可供"));
    query.bindText(QStringLiteral("Cpxm_Skind"), QStringLiteral("0102"));
    query.bindText(QStringLiteral("Cpxm_tcms"), QStringLiteral("不提成"));
    query.bindInteger16(QStringLiteral("Cpxm_tcbl"), 0);
    query.bindText(QStringLiteral("Cpxm_tcfs"), QStringLiteral("无"));
    query.bindDouble(QStringLiteral("Cpxm_jhdj"), product.costPrice);
    query.bindText(QStringLiteral("Cpxm_fw"), QStringLiteral("0"));
    query.bindDouble(QStringLiteral("Cpzk"), 1);
    query.execSql();
}

void insertKind(data::Connection& connection, const QString& kinid, int leve, const QString& parent,
                const QString& remark, const QString& sremark)
{
    data::Query query(connection);
    query.setSqlText(QStringLiteral("insert into ProdKind(kinid, kindname, leve, Parent, Remark, SRemark) "
                                    "values(:id, :name, :leve, :parent, :remark, :sremark)"));
    query.bindText(QStringLiteral("id"), kinid);
    query.bindText(QStringLiteral("name"), QStringLiteral("类") + kinid);
    query.bindInteger16(QStringLiteral("leve"), qint16(leve));
    query.bindText(QStringLiteral("parent"), parent);
    query.bindText(QStringLiteral("remark"), remark);
    query.bindText(QStringLiteral("sremark"), sremark);
    query.execSql();
}

// Entry i with its own kinid and Remark, sorted: the order of rows is the database's.
QStringList categoryEntries(const data::ProductKindList& categories)
{
    QStringList entries;
    for (const data::ProductKind& category : categories)
        entries.append(category.kindId + u' ' + category.name + u' ' + category.remark);
    entries.sort();
    return entries;
}

QStringList typeEntries(const data::ProductKindList& types)
{
    QStringList entries;
    for (const data::ProductKind& type : types)
        entries.append(type.kindId + u' ' + type.name);
    entries.sort();
    return entries;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    int folderCount_ = 0;

    QString freshFolder() { return dir_.filePath(QStringLiteral("case%1").arg(++folderCount_)); }

    void connectDemo(Backend backend, data::Connection& connection)
    {
        const QString folder = freshFolder();
        QDir().mkpath(folder);
        storetest::connectDemoStore(backend, connection, folder);
    }

    static void addBackendColumn() { QTest::addColumn<Backend>("backend"); }
    static void addBackendRows()
    {
        addBackendColumn();
        for (Backend backend : {Backend::Sqlite, Backend::Server})
            QTest::newRow(qPrintable(storetest::backendName(backend))) << backend;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // --- statement text and parameters -------------------------------------------------------------------

    void parameterNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("product types") << data::statements::kProductTypes << QStringList{"aa"};
        QTest::newRow("categories") << data::statements::kCategories << QStringList{"aa", "ab"};
        QTest::newRow("closing parenthesis ends a name")
            << QString("select * from ProdKind where(kinid not like :aa)and x=1") << QStringList{"aa"};
        QTest::newRow("every delimiter") << QString(":a,:b;:c)\r\n:d :e\n:f\r:g")
                                         << QStringList{"a", "b", "c", "d", "e", "f", "g"};
        QTest::newRow("quoted text is not scanned")
            << QString("a=:x and b=':y' and c=\":z\" and d=`:w` and e='it''s :v' and :u") << QStringList{"x", "u"};
        QTest::newRow("one name whatever its case") << QString("x=:Aa or y=:aA") << QStringList{"Aa"};
        QTest::newRow("a name runs to a listed delimiter only") << QString("where a=:aa=1") << QStringList{"aa=1"};
        QTest::newRow("cast and lone colon are no parameters")
            << QString("select x::text, ' : ', : from t where y=:p") << QStringList{"p"};
        QTest::newRow("no parameters") << QString("select * from Cpxm") << QStringList{};
    }

    void parameterNames()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        data::Connection connection;
        data::Query query(connection);
        query.setSqlText(text);
        QCOMPARE(query.parameterNames(), names);
    }

    void insertStatementHasTwentyParameters()
    {
        data::Connection connection;
        data::Query query(connection);
        query.setSqlText(data::statements::kInsertClause);
        QCOMPARE(query.sqlText(), data::statements::kInsertClause + "\r\n");
        QVERIFY(query.parameterNames().isEmpty());
        query.setSqlText(query.sqlText() + data::statements::kValuesClause);
        QCOMPARE(query.sqlText(), insertText());
        const QStringList names = query.parameterNames();
        QCOMPARE(names.size(), 20);
        QCOMPARE(names.first(), QString("Cpxm_bm"));
        QCOMPARE(names.at(6), QString("CPxm_sl"));
        QCOMPARE(names.last(), QString("Cpzk"));
    }

    void sqlTextEndsEveryLine_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("text");
        QTest::newRow("added lines") << QStringList{"a", "b"} << QString() << QString("a\r\nb\r\n");
        QTest::newRow("LF") << QStringList{} << QString("a\nb") << QString("a\r\nb\r\n");
        QTest::newRow("CR") << QStringList{} << QString("a\rb") << QString("a\r\nb\r\n");
        QTest::newRow("CR LF, last one too") << QStringList{} << QString("a\r\nb\r\n") << QString("a\r\nb\r\n");
        QTest::newRow("empty line kept") << QStringList{} << QString("a\n\nb") << QString("a\r\n\r\nb\r\n");
        QTest::newRow("nothing") << QStringList{} << QString() << QString();
    }

    void sqlTextEndsEveryLine()
    {
        QFETCH(QStringList, added);
        QFETCH(QString, set);
        QFETCH(QString, text);
        data::Connection connection;
        data::Query query(connection);
        query.addSqlLine("stale");
        query.clearSql();
        if (!set.isNull())
            query.setSqlText(set);
        for (const QString& line : added)
            query.addSqlLine(line);
        QCOMPARE(query.sqlText(), text);
    }

    // Setting again the text parsed last, with or without its last line end, is the importer's every row.
    void sqlTextSetAgain_data()
    {
        QTest::addColumn<QString>("parsed");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("without its last line end") << QString("a=:x\r\nb=:y\r\n") << QString("a=:x\r\nb=:y")
                                                   << QString("a=:x\r\nb=:y\r\n") << QStringList{"x", "y"};
        QTest::newRow("the same") << QString("a=:x\r\n") << QString("a=:x\r\n") << QString("a=:x\r\n")
                                  << QStringList{"x"};
        QTest::newRow("one empty line shorter")
            << QString("a=:x\r\n\r\n") << QString("a=:x\r\n") << QString("a=:x\r\n") << QStringList{"x"};
        QTest::newRow("nothing after an empty line") << QString("\r\n") << QString("") << QString() << QStringList{};
        QTest::newRow("longer") << QString("a=:x\r\n") << QString("a=:x\r\nb=:y") << QString("a=:x\r\nb=:y\r\n")
                                << QStringList{"x", "y"};
    }

    void sqlTextSetAgain()
    {
        QFETCH(QString, parsed);
        QFETCH(QString, set);
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        data::Connection connection;
        data::Query query(connection);
        query.setSqlText(parsed);
        query.parameterNames(); // parses it
        query.clearSql();
        query.setSqlText(set);
        QCOMPARE(query.sqlText(), text);
        QCOMPARE(query.parameterNames(), names);
    }

    void bindingByName()
    {
        data::Connection connection;
        data::Query query(connection);
        query.addSqlLine("select * from t where a=:aa");
        query.bindText("AA", "x");  // any case
        query.bindText(":aa", "y"); // with the colon
        try {
            query.bindText("zz", "x");
            QFAIL("binding a name the text lacks must throw");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains(":zz"), qPrintable(error.message()));
        }
        // The list follows the text.
        query.addSqlLine("and b=:bb");
        QCOMPARE(query.parameterNames(), (QStringList{"aa", "bb"}));
        query.bindText("bb", "1");
        try {
            query.execSql(); // aa lost its value with the change of text
            QFAIL("a statement with an unbound parameter must not run");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains(":aa"), qPrintable(error.message()));
        }
    }

    // --- values, results, errors on both backends --------------------------------------------------------

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
        QFETCH(Backend, backend);
        QFETCH(QString, name);
        QFETCH(QString, unit);
        QFETCH(QString, mnemonic);
        QFETCH(double, salePrice);
        QFETCH(QString, salePriceText);
        STORETEST_REQUIRE_BACKEND(backend);
        data::Connection connection;
        connectDemo(backend, connection);
        data::Query query(connection);
        insertProduct(query, {"D1001", name, mnemonic, unit, salePrice, 8, 20});

        query.clearSql();
        query.addSqlLine("select * from Cpxm where Cpxm_bm=:bm");
        query.bindText("bm", "D1001");
        query.open();
        QCOMPARE(query.rowCount(), 1);
        QVERIFY(!query.eof());
        QCOMPARE(query.fieldText("Cpxm_mc"), name);
        QCOMPARE(query.fieldText("Cpxm_dw"), unit.isNull() ? QString("") : unit);
        QCOMPARE(query.fieldText("Cpxm_jp"), mnemonic);
        QCOMPARE(query.fieldText("Cpxm_ysdj"), salePriceText);
        QCOMPARE(query.fieldText("Cpxm_cbdj"), QString("8"));
        QCOMPARE(query.fieldText("Cpxm_jhdj"), QString("8"));
        QCOMPARE(query.fieldText("CPxm_sl"), QString("20"));
        QCOMPARE(query.fieldText("Cpxm_zdzk"), QString("0.9"));
        QCOMPARE(query.fieldText("Cpxm_tcbl"), QString("0"));
        QCOMPARE(query.fieldText("Cpxm_kymc"), QString("可供"));
        QCOMPARE(query.fieldText("Cpxm_tcms"), QString("不提成"));
        QCOMPARE(query.fieldText("Cpxm_gg"), QString()); // NULL reads as ""
        QVERIFY_THROWS_EXCEPTION(data::DatabaseError, query.fieldText("NoSuchColumn"));
        query.next();
        QVERIFY(query.eof());

        // Empty texts are stored as texts, never as NULL.
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm='D1001' and Cpxm_mc is not null "
                                    "and Cpxm_dw is not null and Cpxm_jp is not null"),
                 QString("1"));
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm"), QString("3"));
    }

    // Without declared column types SQLite keeps each value's own type.
    void valuesKeepTheirTypes()
    {
        data::Connection connection;
        connectDemo(Backend::Sqlite, connection);
        execute(connection, "create table Untyped(t, e, i, r, c)");
        data::Query query(connection);
        query.setSqlText("insert into Untyped(t, e, i, r, c) values(:t, :e, :i, :r, :c)");
        query.bindText("t", "可供");
        query.bindText("e", QString());
        query.bindInteger16("i", 0);
        query.bindDouble("r", 8);
        query.bindText("c", "1");
        query.execSql();
        query.setSqlText("select typeof(t) as t, typeof(e) as e, typeof(i) as i, typeof(r) as r, typeof(c) as c "
                         "from Untyped");
        query.open();
        QCOMPARE(query.rowCount(), 1);
        const QStringList types{query.fieldText("t"), query.fieldText("e"), query.fieldText("i"), query.fieldText("r"),
                                query.fieldText("c")};
        QCOMPARE(types, (QStringList{"text", "text", "integer", "real", "text"}));
    }

    void errorsCarryDriverMessage_data()
    {
        addBackendColumn();
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("driverWord");
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString prefix = storetest::backendName(backend) + ": ";
            QTest::newRow(qPrintable(prefix + "duplicate code"))
                << backend << QString("insert into Cpxm(Cpxm_bm) values('A0001')") << false << "unique";
            QTest::newRow(qPrintable(prefix + "missing table"))
                << backend << QString("select * from NoSuchTable") << true << "nosuchtable";
            QTest::newRow(qPrintable(prefix + "missing column"))
                << backend << QString("insert into Cpxm(Cpxm_bm, NoSuchColumn) values('Z1', 1)") << false
                << "nosuchcolumn";
            QTest::newRow(qPrintable(prefix + "syntax")) << backend << QString("selec 1") << true << "selec";
        }
    }

    void errorsCarryDriverMessage()
    {
        QFETCH(Backend, backend);
        QFETCH(QString, sql);
        QFETCH(bool, select);
        QFETCH(QString, driverWord);
        STORETEST_REQUIRE_BACKEND(backend);
        data::Connection connection;
        connectDemo(backend, connection);
        data::Query query(connection);
        query.setSqlText(sql);
        try {
            select ? query.open() : query.execSql();
            QFAIL("the statement must fail");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains(driverWord, Qt::CaseInsensitive), qPrintable(error.message()));
        }
        QVERIFY(!query.isOpen());
        // The connection goes on.
        QCOMPARE(scalar(connection, "select count(*) as n from ProdKind where leve=0"), QString("5"));
    }

    // A refused row inside a transaction undoes itself only; PostgreSQL needs the savepoint for that.
    // The letter probe only asks whether a row exists: a limit stops the fetch, until the query is closed.
    void fetchLimit_data() { addBackendRows(); }
    void fetchLimit()
    {
        QFETCH(Backend, backend);
        STORETEST_REQUIRE_BACKEND(backend);
        data::Connection connection;
        connectDemo(backend, connection);
        data::Query insert(connection);
        for (const QString code : {"Z1", "Z2", "Z3"})
            insertProduct(insert, {code, "名", "", "", 1, 1, 1});

        data::Query query(connection);
        query.addSqlLine(data::statements::kCodeLetterProbe);
        query.bindText("aa", "Z%");
        query.setMaxRows(1);
        query.open();
        QCOMPARE(query.rowCount(), 1);
        QVERIFY(!query.eof());
        QVERIFY(query.fieldText("Cpxm_bm").startsWith(u'Z'));
        query.next();
        QVERIFY(query.eof());
        query.open(); // the limit holds for every open until the query is closed
        QCOMPARE(query.rowCount(), 1);

        query.close();
        query.open();
        QCOMPARE(query.rowCount(), 3);

        query.setMaxRows(2);
        query.clearSql(); // a new text drops the limit too
        query.addSqlLine(data::statements::kCodeLetterProbe);
        query.bindText("aa", "Z%");
        query.open();
        QCOMPARE(query.rowCount(), 3);

        query.setMaxRows(5); // more than there are
        query.open();
        QCOMPARE(query.rowCount(), 3);
    }

    // Two queries with the same text share the prepared statement: each row stores the values its query bound,
    // also when a query binds the very same strings again after the other one bound different ones.
    void sharedStatementKeepsEachQuerysValues_data() { addBackendRows(); }
    void sharedStatementKeepsEachQuerysValues()
    {
        QFETCH(Backend, backend);
        STORETEST_REQUIRE_BACKEND(backend);
        data::Connection connection;
        connectDemo(backend, connection);
        data::Query first(connection);
        data::Query second(connection);
        const Product one{"S1", "甲", "J", "盒", 1, 1, 1};
        const Product two{"S2", "乙", "", "瓶", 2, 2, 2};
        insertProduct(first, one);
        insertProduct(second, two);
        Product three = one;
        three.code = "S3";
        insertProduct(first, three);
        const QString names = scalar(connection, "select count(*) as n from Cpxm where (Cpxm_bm in ('S1','S3') and "
                                                 "Cpxm_mc='甲' and Cpxm_jp='J' and Cpxm_dw='盒') or (Cpxm_bm='S2' and "
                                                 "Cpxm_mc='乙' and Cpxm_jp='' and Cpxm_dw='瓶')");
        QCOMPARE(names, QString("3"));
    }

    void savepointKeepsOtherRows_data() { addBackendRows(); }
    void savepointKeepsOtherRows()
    {
        QFETCH(Backend, backend);
        STORETEST_REQUIRE_BACKEND(backend);
        data::Connection connection;
        connectDemo(backend, connection);
        QCOMPARE(connection.abortsTransactionOnError(), backend == Backend::Server);
        data::Query query(connection);
        connection.beginTransaction();
        QVERIFY(connection.inTransaction());
        int failed = 0;
        for (const QString code : {"T1", "A0001", "T2"}) {
            connection.savepoint();
            try {
                insertProduct(query, {code, "名", "", "", 1, 1, 1});
                connection.releaseSavepoint();
            } catch (const data::DatabaseError&) {
                ++failed;
                connection.rollbackToSavepoint();
                connection.releaseSavepoint();
            }
        }
        connection.commit();
        QVERIFY(!connection.inTransaction());
        QCOMPARE(failed, 1);
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm in ('T1','T2')"), QString("2"));

        connection.beginTransaction();
        insertProduct(query, {"T3", "名", "", "", 1, 1, 1});
        connection.rollback();
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm='T3'"), QString("0"));
    }

    // --- connecting ---------------------------------------------------------------------------------------

    void connectFails_data()
    {
        QTest::addColumn<QByteArray>("fileContent"); // empty: no file
        QTest::addColumn<QString>("odbc");
        QTest::addColumn<QString>("detail");
        QTest::newRow("file that is not a database")
            << QByteArray("this is no database, just some text long enough to fill a header") << QString()
            << "not a database";
        QTest::newRow("missing file") << QByteArray() << QString() << "unable to open";
        QTest::newRow("unknown ODBC driver")
            << QByteArray() << QString("DRIVER={No Such Driver};SERVER=localhost;DATABASE=Member;") << "driver";
    }

    void connectFails()
    {
        QFETCH(QByteArray, fileContent);
        QFETCH(QString, odbc);
        QFETCH(QString, detail);
        const QString path = freshFolder() + "/Member.dat";
        if (!fileContent.isEmpty())
            writeFile(path, fileContent);
        const QString connectionString = odbc.isEmpty() ? data::Connection::sqliteConnectionString(path) : odbc;
        data::Connection connection;
        try {
            connection.connect(connectionString);
            QFAIL("the connect must fail");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains(detail, Qt::CaseInsensitive), qPrintable(error.message()));
        }
        QVERIFY(!connection.isConnected());
        QCOMPARE(connection.connectionString(), connectionString);
        QVERIFY(!QFile::exists(path) || !fileContent.isEmpty()); // never creates a store
    }

    // Opening a query on a connection that is down connects it first, once.
    void openConnectsFirst()
    {
        const QString path = freshFolder() + "/Member.dat";
        storetest::createDemoStoreFile(path);
        data::Connection connection;
        connection.connect(data::Connection::sqliteConnectionString(path));
        connection.disconnect();
        QVERIFY(!connection.isConnected());
        data::Query query(connection);
        query.addSqlLine(data::statements::kProductTypes);
        query.bindInteger16("aa", 0);
        query.open();
        QVERIFY(connection.isConnected());
        QCOMPARE(query.rowCount(), 5);

        QFile::remove(path);
        connection.disconnect();
        QVERIFY_THROWS_EXCEPTION(data::DatabaseError, query.open());
        QVERIFY(!connection.isConnected());
    }

    // --- the kind loads -----------------------------------------------------------------------------------

    void productTypes_data() { addBackendRows(); }
    void productTypes()
    {
        QFETCH(Backend, backend);
        STORETEST_REQUIRE_BACKEND(backend);
        data::Connection connection;
        connectDemo(backend, connection);
        data::Query query(connection);
        const data::ProductKindList types = data::loadProductTypes(query);
        QCOMPARE(typeEntries(types),
                 (QStringList{"01 西药", "02 中成药", "03 中药饮片", "04 医疗器械", "05 保健食品"}));
    }

    void categories_data()
    {
        addBackendColumn();
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("entries");
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString prefix = storetest::backendName(backend) + ": ";
            // Top-level kinds have a NULL Parent: without the mend no type would have categories.
            QTest::newRow(qPrintable(prefix + "leaves only, no CF, beside NULL Parents"))
                << backend << "01"
                << QStringList{"010101 青霉素类 XY11", "010102 头孢菌素类 XY12", "0102 解热镇痛药 XY2",
                               "0103 消化系统用药 XY3"};
            QTest::newRow(qPrintable(prefix + "CF inside a kinid"))
                << backend << "02" << QStringList{"0201 感冒类 ZC1", "0202 清热解毒类 ZC2"};
            QTest::newRow(qPrintable(prefix + "type without categories")) << backend << "05" << QStringList{};
            QTest::newRow(qPrintable(prefix + "unknown type")) << backend << "99" << QStringList{};
        }
    }

    void categories()
    {
        QFETCH(Backend, backend);
        QFETCH(QString, type);
        QFETCH(QStringList, entries);
        STORETEST_REQUIRE_BACKEND(backend);
        data::Connection connection;
        connectDemo(backend, connection);
        data::Query query(connection);
        const data::ProductKindList categories = data::loadCategories(query, type);
        QCOMPARE(categoryEntries(categories), entries);
        // Choosing the same type again gives the same list.
        QCOMPARE(data::loadCategories(query, type), categories);
    }

    void cfAndParentKindsNeverOffered_data() { addBackendRows(); }
    void cfAndParentKindsNeverOffered()
    {
        QFETCH(Backend, backend);
        STORETEST_REQUIRE_BACKEND(backend);
        data::Connection connection;
        connectDemo(backend, connection);
        for (const QString kinid : {"CF", "XCF01", "ACFB"})
            insertKind(connection, kinid, 1, "01", "R" + kinid, "01");
        // 0104 is offered under 01 by its SRemark, but it is the Parent of 010401.
        insertKind(connection, "0104", 1, "01", "XY4", "01");
        insertKind(connection, "010401", 2, "0104", "XY41", "02");
        data::Query query(connection);
        const data::ProductKindList categories = data::loadCategories(query, "01");
        QCOMPARE(categories.size(), 4);
        for (const data::ProductKind& category : categories) {
            QVERIFY2(!category.kindId.contains("CF"), qPrintable(category.kindId));
            QVERIFY2(category.kindId != "0104" && category.kindId != "0101", qPrintable(category.kindId));
        }
        const data::ProductKindList under02 = data::loadCategories(query, "02");
        QVERIFY(std::any_of(under02.begin(), under02.end(), [](const auto& kind) { return kind.kindId == "010401"; }));
    }

    void noTypes_data()
    {
        addBackendColumn();
        QTest::addColumn<QString>("change");
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString prefix = storetest::backendName(backend) + ": ";
            QTest::newRow(qPrintable(prefix + "empty ProdKind")) << backend << QString("delete from ProdKind");
            QTest::newRow(qPrintable(prefix + "no leve 0"))
                << backend << QString("update ProdKind set leve=1 where leve=0");
        }
    }

    void noTypes()
    {
        QFETCH(Backend, backend);
        QFETCH(QString, change);
        STORETEST_REQUIRE_BACKEND(backend);
        data::Connection connection;
        connectDemo(backend, connection);
        execute(connection, change);
        data::Query query(connection);
        QVERIFY(data::loadProductTypes(query).isEmpty());
    }

    // A load that fails keeps what it had read and says nothing.
    void failedLoadsStayQuiet_data()
    {
        addBackendColumn();
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<int>("types");
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString prefix = storetest::backendName(backend) + ": ";
            QTest::newRow(qPrintable(prefix + "ProdKind missing"))
                << backend << QStringList{"drop table ProdKind"} << 0;
            // Two categories of 01 found, but their Remark cannot be read: no entry at all.
            QTest::newRow(qPrintable(prefix + "Remark missing"))
                << backend
                << QStringList{"drop table ProdKind",
                               "create table ProdKind(kinid varchar(20), kindname varchar(60), leve integer, "
                               "Parent varchar(20), SRemark varchar(20))",
                               "insert into ProdKind values('01', '西药', 0, null, '')",
                               "insert into ProdKind values('0101', '抗感染药', 1, '01', '01')",
                               "insert into ProdKind values('0102', '解热镇痛药', 1, '01', '01')"}
                << 1;
        }
    }

    void failedLoadsStayQuiet()
    {
        QFETCH(Backend, backend);
        QFETCH(QStringList, changes);
        QFETCH(int, types);
        STORETEST_REQUIRE_BACKEND(backend);
        data::Connection connection;
        connectDemo(backend, connection);
        for (const QString& change : changes)
            execute(connection, change);
        data::Query query(connection);
        QCOMPARE(data::loadProductTypes(query).size(), types);
        QVERIFY(data::loadCategories(query, "01").isEmpty());
    }

    // --- the store connection -----------------------------------------------------------------------------

    void storeConnectionChoice_data()
    {
        QTest::addColumn<QByteArray>("fileContent"); // null: no file; "demo": an SQLite demo store
        QTest::addColumn<QString>("computer");
        QTest::addColumn<QString>("expected"); // with <file> for the store file path; empty: throws
        const QByteArray jet = QByteArray("\x00\x01\x00\x00", 4) + "Standard Jet DB" + QByteArray(200, '\0');
        const QByteArray ace = QByteArray("\x00\x01\x00\x00", 4) + "Standard ACE DB" + QByteArray(200, '\0');
        QTest::newRow("no file: the server on this computer")
            << QByteArray() << "SHOP-PC"
            << "DRIVER={SQL Server};SERVER=SHOP-PC;DATABASE=Member;UID=sa;PWD=;";
        QTest::newRow("no file, no computer name") << QByteArray() << ""
                                                   << "DRIVER={SQL Server};SERVER=;DATABASE=Member;UID=sa;PWD=;";
        QTest::newRow("SQLite file") << QByteArray("demo") << "SHOP-PC"
                                     << "sqlite:<file>";
        QTest::newRow("Jet file") << jet << "SHOP-PC"
                                  << "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=<file>;PWD=qingshanbaiyu;";
        QTest::newRow("ACE file") << ace << "SHOP-PC"
                                  << "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=<file>;PWD=qingshanbaiyu;";
        QTest::newRow("junk file") << QByteArray("junk junk junk junk") << "SHOP-PC" << QString();
        QTest::newRow("empty file") << QByteArray("") << "SHOP-PC" << QString();
    }

    void storeConnectionChoice()
    {
        QFETCH(QByteArray, fileContent);
        QFETCH(QString, computer);
        QFETCH(QString, expected);
        const QString folder = freshFolder() + "/";
        QDir().mkpath(folder);
        const QString file = data::storeFilePath(folder);
        QCOMPARE(file, folder + "database/Member.dat");
        if (fileContent == "demo")
            storetest::createDemoStoreFile(file);
        else if (!fileContent.isNull())
            writeFile(file, fileContent);

        if (expected.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(data::DatabaseError, data::storeConnectionString(folder, computer));
            data::Connection connection;
            QVERIFY_THROWS_EXCEPTION(data::DatabaseError, data::connectStore(connection, folder, computer));
            QVERIFY(!connection.isConnected());
            return;
        }
        QCOMPARE(data::storeConnectionString(folder, computer), QString(expected).replace("<file>", file));
        if (fileContent == "demo") {
            data::Connection connection;
            data::connectStore(connection, folder, computer);
            QCOMPARE(scalar(connection, "select count(*) as n from ProdKind where leve=0"), QString("5"));
        }
    }

#ifndef Q_OS_WIN
    void accessFileSaysWhyItFails()
    {
        const QString folder = freshFolder() + "/";
        writeFile(data::storeFilePath(folder),
                  QByteArray("\x00\x01\x00\x00", 4) + "Standard Jet DB" + QByteArray(200, '\0'));
        data::Connection connection;
        try {
            data::connectStore(connection, folder, "SHOP-PC");
            QFAIL("an Access store cannot be opened here");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains("Access") && error.message().contains("Windows"),
                     qPrintable(error.message()));
        }
    }
#endif

    // Without the store file the store is the server named after this computer, through "SQL Server".
    void connectsToTheServerWithoutFile()
    {
        STORETEST_REQUIRE_BACKEND(Backend::Server);
        {
            data::Connection reset;
            storetest::connectServerWithDemo(reset);
        }
        const QString folder = freshFolder() + "/";
        QDir().mkpath(folder);
        data::Connection connection;
        data::connectStore(connection, folder, data::computerName());
        data::Query query(connection);
        QCOMPARE(data::loadProductTypes(query).size(), 5);
    }

    void programFolderAndComputerName()
    {
        QCOMPARE(data::programFolder(), QCoreApplication::applicationDirPath() + "/");
        const QString name = data::computerName();
        QVERIFY(!name.isEmpty());
        QVERIFY(name.toUtf8().size() <= 128);
    }

    // --- product-import-cli kinds ---------------------------------------------------------------------------

    void kindsVerb_data()
    {
        QTest::addColumn<QStringList>("arguments"); // {store} and {folder} are filled in
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("out"); // a piece of standard output
        QTest::addColumn<QString>("err"); // a piece of standard error, or empty for none at all
        QTest::newRow("types and their categories")
            << QStringList{"--store", "{store}"} << 0 << QString("01\t西药\n  010101\t青霉素类\tRemark=XY11\n")
            << QString();
        QTest::newRow("store file missing")
            << QStringList{"--store", "{folder}/none.dat"} << 1 << QString() << QString("none.dat");
        QTest::newRow("unknown option") << QStringList{"--fast"} << 2 << QString() << QString("--fast");
        // An empty value must not fall back to the store of the program folder or the server.
        QTest::newRow("empty --store") << QStringList{"--store", ""} << 2 << QString() << QString("--store");
        QTest::newRow("empty --odbc") << QStringList{"--odbc", ""} << 2 << QString() << QString("--odbc");
    }

    void kindsVerb()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitStatus);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString folder = freshFolder();
        const QString store = folder + "/demo-store.sqlite";
        data::createDemoStore(store);
        for (QString& argument : arguments)
            argument.replace("{store}", store).replace("{folder}", folder);

        QProcess cli;
        cli.start(testsupport::programFolder() + "product-import-cli", QStringList{"kinds"} + arguments);
        QVERIFY(cli.waitForFinished(60000));
        const QString standardOut = QString::fromUtf8(cli.readAllStandardOutput());
        const QString standardErr = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), exitStatus);
        QVERIFY2(standardOut.contains(out), qPrintable(standardOut));
        if (err.isEmpty())
            QCOMPARE(standardErr, QString());
        else
            QVERIFY2(standardErr.contains(err), qPrintable(standardErr));
    }

    // --- the demo store -----------------------------------------------------------------------------------

    void demoStoreIsNeverReplaced()
    {
        const QString path = freshFolder() + "/database/Member.dat";
        data::createDemoStore(path); // creates the folder too
        data::Connection connection;
        connection.connect(data::Connection::sqliteConnectionString(path));
        execute(connection, "delete from Cpxm");
        connection.disconnect();
        QVERIFY_THROWS_EXCEPTION(data::DatabaseError, data::createDemoStore(path));
        connection.connect(data::Connection::sqliteConnectionString(path));
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm"), QString("0"));
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files), QStringList{"Member.dat"});
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
