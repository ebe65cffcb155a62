// InsertProductRecord and the code letter probe, on a SQLite file and on the PostgreSQL test server.
#include "CodeLetterProbe.h"
#include "DatabaseError.h"
#include "EngineTestSupport.h"
#include "ProductInsertion.h"
#include "ProductRow.h"
#include "StoreFixture.h"

#include <QTemporaryDir>
#include <QTest>

using storetest::Backend;

namespace {

importer::ProductRow goodRow(const QString& code, const QString& name)
{
    importer::ProductRow row;
    row.Code = code;
    row.Name = name;
    row.Mnemonic = QStringLiteral("AMXLJN");
    row.Unit = QStringLiteral("盒");
    row.CostPrice = QStringLiteral("8");
    row.SalePrice = QStringLiteral("12.5");
    row.MinDiscount = QStringLiteral("0.8");
    row.Stock = QStringLiteral("100");
    row.ItemDiscount = QStringLiteral("1");
    return row;
}

importer::BatchValues batchD()
{
    return importer::BatchValues{QStringLiteral("D"), QStringLiteral("XY11"), QStringLiteral("010101")};
}

void addBackends()
{
    QTest::addColumn<Backend>("backend");
    QTest::newRow("sqlite") << Backend::Sqlite;
    QTest::newRow("postgresql") << Backend::Server;
}

} // namespace

class TestProductInsertion : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void storesEveryColumn_data() { addBackends(); }
    void storesEveryColumn();
    void noLetterLeavesTheCodeAlone_data() { addBackends(); }
    void noLetterLeavesTheCodeAlone();
    void badNumberFailsTheRow_data();
    void badNumberFailsTheRow();
    void duplicateCodeFailsOnlyTheSecond_data() { addBackends(); }
    void duplicateCodeFailsOnlyTheSecond();
    void missingColumnFailsEveryRow_data() { addBackends(); }
    void missingColumnFailsEveryRow();

    void probeTakesFirstFreeLetter_data();
    void probeTakesFirstFreeLetter();
    void probeFailsWithoutTheTable_data() { addBackends(); }
    void probeFailsWithoutTheTable();

private:
    void connect(Backend backend);

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<data::Connection> store_;
};

void TestProductInsertion::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    store_ = std::make_unique<data::Connection>();
}

void TestProductInsertion::connect(Backend backend)
{
    storetest::connectDemoStore(backend, *store_, folder_->path());
}

void TestProductInsertion::storesEveryColumn()
{
    QFETCH(Backend, backend);
    STORETEST_REQUIRE_BACKEND(backend);
    connect(backend);

    data::Query query(*store_);
    importer::ImportCounts counts;
    QStringList log;
    importer::ProductRow row = goodRow(QStringLiteral("1001"), QStringLiteral("阿莫西林胶囊"));
    row.Unit.clear();
    QCOMPARE(importer::InsertProductRecord(query, row, batchD(), counts, log), importer::InsertResult::Stored);
    QCOMPARE(counts.imported, 1);
    QCOMPARE(counts.failed, 0);
    QVERIFY(log.isEmpty());

    const QString code = QStringLiteral("D1001");
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_mc"), QStringLiteral("阿莫西林胶囊"));
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_jp"), QStringLiteral("AMXLJN"));
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_dw"), QString()); // empty, not NULL
    QCOMPARE(enginetest::productNumber(*store_, code, "Cpxm_ysdj"), 12.5);
    QCOMPARE(enginetest::productNumber(*store_, code, "Cpxm_cbdj"), 8.0);
    QCOMPARE(enginetest::productNumber(*store_, code, "Cpxm_jhdj"), 8.0);
    QCOMPARE(enginetest::productNumber(*store_, code, "CPxm_sl"), 100.0);
    QCOMPARE(enginetest::productNumber(*store_, code, "Cpxm_zdzk"), 0.8);
    QCOMPARE(enginetest::productNumber(*store_, code, "Cpzk"), 1.0);
    QCOMPARE(enginetest::productNumber(*store_, code, "Cpxm_tcbl"), 0.0);
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_Bkind"), QStringLiteral("XY11"));
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_Skind"), QStringLiteral("010101"));
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_ckbm"), QStringLiteral("CK000"));
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_fdbh"), QStringLiteral("FD000"));
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_kybm"), QStringLiteral("1"));
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_kymc"), QStringLiteral("可供"));
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_tcms"), QStringLiteral("不提成"));
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_tcfs"), QStringLiteral("无"));
    QCOMPARE(enginetest::productValue(*store_, code, "Cpxm_fw"), QStringLiteral("0"));

    // Statement text as the store query holds it afterwards: the two clauses, each ending its line.
    QVERIFY(query.sqlText().startsWith(QStringLiteral("insert into Cpxm(Cpxm_bm,")));
    QVERIFY(query.sqlText().contains(QStringLiteral(",Cpzk)\r\n values(:Cpxm_bm,")));
    QVERIFY(query.sqlText().endsWith(QStringLiteral(",:Cpzk)\r\n")));
    QCOMPARE(query.parameterNames().size(), 20);
}

void TestProductInsertion::noLetterLeavesTheCodeAlone()
{
    QFETCH(Backend, backend);
    STORETEST_REQUIRE_BACKEND(backend);
    connect(backend);

    data::Query query(*store_);
    importer::ImportCounts counts;
    QStringList log;
    importer::BatchValues batch = batchD();
    batch.batchPrefix.clear();
    batch.bigKindCode.clear();
    QCOMPARE(importer::InsertProductRecord(query, goodRow("1001", "甘草片"), batch, counts, log),
             importer::InsertResult::Stored);
    QCOMPARE(enginetest::productValue(*store_, "1001", "Cpxm_mc"), QStringLiteral("甘草片"));
    QCOMPARE(enginetest::productValue(*store_, "1001", "Cpxm_Bkind"), QString());
}

void TestProductInsertion::badNumberFailsTheRow_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    const char* names[] = {"CostPrice", "SalePrice", "MinDiscount", "Stock", "ItemDiscount"};
    const char* texts[] = {"1,000", "¥12", "5%", "0x10", "1e999"};
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        for (int field = 0; field < 5; ++field) {
            QTest::addRow("%s %s %s", qPrintable(storetest::backendName(backend)), names[field], texts[field])
                << backend << field << QString::fromUtf8(texts[field]);
        }
    }
}

void TestProductInsertion::badNumberFailsTheRow()
{
    QFETCH(Backend, backend);
    QFETCH(int, field);
    QFETCH(QString, text);
    STORETEST_REQUIRE_BACKEND(backend);
    connect(backend);

    importer::ProductRow row = goodRow(QStringLiteral("1001"), QStringLiteral("维生素C片"));
    QString* fields[] = {&row.CostPrice, &row.SalePrice, &row.MinDiscount, &row.Stock, &row.ItemDiscount};
    *fields[field] = text;

    data::Query query(*store_);
    importer::ImportCounts counts;
    QStringList log;
    const int before = enginetest::productCount(*store_);
    QCOMPARE(importer::InsertProductRecord(query, row, batchD(), counts, log), importer::InsertResult::BadNumber);
    QCOMPARE(counts.imported, 0);
    QCOMPARE(counts.failed, 1);
    QCOMPARE(log, QStringList{QStringLiteral("编号---1001；名称---维生素C片")});
    QCOMPARE(enginetest::productCount(*store_), before);
}

void TestProductInsertion::duplicateCodeFailsOnlyTheSecond()
{
    QFETCH(Backend, backend);
    STORETEST_REQUIRE_BACKEND(backend);
    connect(backend);

    data::Query query(*store_);
    importer::ImportCounts counts;
    QStringList log;
    QCOMPARE(importer::InsertProductRecord(query, goodRow("3001", "复方甘草片"), batchD(), counts, log),
             importer::InsertResult::Stored);
    QCOMPARE(importer::InsertProductRecord(query, goodRow("3001", "复方甘草片二"), batchD(), counts, log),
             importer::InsertResult::StoreRefused);
    QCOMPARE(counts.imported, 1);
    QCOMPARE(counts.failed, 1);
    QCOMPARE(log, QStringList{QStringLiteral("编号---3001；名称---复方甘草片二")});
    QCOMPARE(enginetest::productValue(*store_, "D3001", "Cpxm_mc"), QStringLiteral("复方甘草片"));
}

void TestProductInsertion::missingColumnFailsEveryRow()
{
    QFETCH(Backend, backend);
    STORETEST_REQUIRE_BACKEND(backend);
    connect(backend);
    enginetest::execute(*store_, QStringLiteral("alter table Cpxm drop column Cpzk"));

    data::Query query(*store_);
    importer::ImportCounts counts;
    QStringList log;
    for (const char* code : {"1", "2", "3"}) {
        QCOMPARE(importer::InsertProductRecord(query, goodRow(code, "商品"), batchD(), counts, log),
                 importer::InsertResult::StoreRefused);
    }
    QCOMPARE(counts.failed, 3);
    QCOMPARE(log.size(), 3);
    QCOMPARE(enginetest::productCount(*store_), 2); // the demo's own two
}

void TestProductInsertion::probeTakesFirstFreeLetter_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<QString>("takenLetters");
    QTest::addColumn<QString>("expected");
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        const QString name = storetest::backendName(backend);
        // The demo store already has A0001 and A0002.
        QTest::addRow("%s A taken", qPrintable(name)) << backend << QString() << QStringLiteral("B");
        QTest::addRow("%s A-C taken", qPrintable(name)) << backend << QStringLiteral("BC") << QStringLiteral("D");
        QTest::addRow("%s gap", qPrintable(name)) << backend << QStringLiteral("BCEF") << QStringLiteral("D");
        QTest::addRow("%s all taken", qPrintable(name))
            << backend << QStringLiteral("BCDEFGHIJKLMNOPQRSTUVWXYZ") << QString();
    }
}

void TestProductInsertion::probeTakesFirstFreeLetter()
{
    QFETCH(Backend, backend);
    QFETCH(QString, takenLetters);
    QFETCH(QString, expected);
    STORETEST_REQUIRE_BACKEND(backend);
    connect(backend);

    for (const QChar letter : takenLetters) {
        enginetest::execute(*store_,
                            QStringLiteral("insert into Cpxm(Cpxm_bm, Cpxm_mc) values('%1900', '占位')").arg(letter));
    }
    data::Query query(*store_);
    QCOMPARE(importer::probeCodeLetter(query), expected);
}

void TestProductInsertion::probeFailsWithoutTheTable()
{
    QFETCH(Backend, backend);
    STORETEST_REQUIRE_BACKEND(backend);
    connect(backend);
    enginetest::execute(*store_, QStringLiteral("drop table Cpxm"));
    data::Query query(*store_);
    QVERIFY_THROWS_EXCEPTION(data::DatabaseError, importer::probeCodeLetter(query));
}

QTEST_GUILESS_MAIN(TestProductInsertion)
#include "tst_productinsertion.moc"
