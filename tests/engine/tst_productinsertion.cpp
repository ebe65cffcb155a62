// A product row made into its values and written through the run's writer, and the code letter probe, on a SQLite file
// and on the PostgreSQL test server.
#include "db/DatabaseError.h"
#include "engine/rows/MadeRow.h"
#include "engine/rows/ProductRow.h"
#include "engine/rows/ProductValues.h"
#include "engine/rows/RowValues.h"
#include "engine/run/CodeLetterProbe.h"
#include "engine/writes/GroupWriter.h"
#include "EngineTestSupport.h"
#include "RowBackend.h"
#include "StoreFixture.h"
#include "StoreTestSupport.h"

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

importer::RunValues runD()
{
    importer::RunValues runValues;
    runValues.codeLetter = QStringLiteral("D");
    runValues.bigKindCode = QStringLiteral("XY11");
    runValues.categoryKindId = QStringLiteral("010101");
    return runValues;
}

// The writes of one run, with the counts and the log they keep.
struct Writes
{
    explicit Writes(data::Connection& store, importer::WritePolicy policy = {}) : writer(store, policy, counts, log) {}

    // One sheet row made into its values and handed to the writer, as the run's row loop does.
    void add(const importer::ProductRow& row, const importer::RunValues& runValues, int sheetRow)
    {
        importer::MadeRow made;
        made.sheetRow = sheetRow;
        made.code = row.Code;
        made.name = row.Name;
        importer::ValueSlabs slabs(1);
        importer::makeValues(made, row, runValues, slabs);
        writer.add(std::move(made));
    }

    importer::ImportCounts counts;
    QStringList log;
    importer::GroupWriter writer;
};

} // namespace

class TestProductInsertion : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void storesEveryColumn_data() { storetest::addBackendRows(); }
    void storesEveryColumn();
    void noLetterLeavesTheCodeAlone_data() { storetest::addBackendRows(); }
    void noLetterLeavesTheCodeAlone();
    void badNumberFailsTheRow_data();
    void badNumberFailsTheRow();
    void loneSurrogatesAreStoredAsReplacements_data() { storetest::addBackendRows(); }
    void loneSurrogatesAreStoredAsReplacements();
    void duplicateCodeFailsOnlyTheSecond_data() { storetest::addBackendRows(); }
    void duplicateCodeFailsOnlyTheSecond();
    void missingColumnIsAStoreFault_data() { storetest::addBackendRows(); }
    void missingColumnIsAStoreFault();
    void refusedRowsFailAloneInSheetOrder_data();
    void refusedRowsFailAloneInSheetOrder();

    void probeTakesFirstFreeLetter_data();
    void probeTakesFirstFreeLetter();
    void probeFailsWithoutTheTable_data() { storetest::addBackendRows(); }
    void probeFailsWithoutTheTable();

private:
    void connect(Backend backend);

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<data::Connection> store_;
};

void TestProductInsertion::init()
{
    if (!enginetest::requireRowBackend())
        return;
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
    connect(backend);

    Writes writes(*store_);
    importer::ProductRow row = goodRow(QStringLiteral("1001"), QStringLiteral("阿莫西林胶囊"));
    row.Unit.clear();
    writes.add(row, runD(), 0);
    writes.writer.finish();
    QCOMPARE(writes.counts.imported, 1);
    QCOMPARE(writes.counts.failed, 0);
    QVERIFY(writes.log.isEmpty());

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
}

void TestProductInsertion::noLetterLeavesTheCodeAlone()
{
    QFETCH(Backend, backend);
    connect(backend);

    Writes writes(*store_);
    importer::RunValues runValues = runD();
    runValues.codeLetter.clear();
    runValues.bigKindCode.clear();
    writes.add(goodRow("1001", "甘草片"), runValues, 0);
    writes.writer.finish();
    QCOMPARE(writes.counts.imported, 1);
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
    connect(backend);

    importer::ProductRow row = goodRow(QStringLiteral("1001"), QStringLiteral("维生素C片"));
    QString* fields[] = {&row.CostPrice, &row.SalePrice, &row.MinDiscount, &row.Stock, &row.ItemDiscount};
    *fields[field] = text;

    Writes writes(*store_);
    const int before = enginetest::productCount(*store_);
    writes.add(row, runD(), 0);
    // Counted and logged at once: nothing was sent.
    QCOMPARE(writes.counts.imported, 0);
    QCOMPARE(writes.counts.failed, 1);
    const QString headers[] = {"成本价", "销售价", "最低折扣", "当前库存", "单品折扣"};
    QCOMPARE(
        writes.log,
        QStringList{QStringLiteral("编号---1001；名称---维生素C片；原因---%1“%2”不是数字").arg(headers[field], text)});
    writes.writer.finish();
    QCOMPARE(enginetest::productCount(*store_), before);
}

// A text from a sheet that holds half a surrogate pair (an .xls string may) reaches both stores as the same text:
// neither driver pairs the half with a neighbour, the unit after it or the one after the text's end.
void TestProductInsertion::loneSurrogatesAreStoredAsReplacements()
{
    QFETCH(Backend, backend);
    connect(backend);

    Writes writes(*store_);
    const QString name = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00) +
                         QStringLiteral("c😀") + QChar(0xDBFF);
    writes.add(goodRow("1001", name), runD(), 0);
    writes.writer.finish();
    QCOMPARE(writes.counts.imported, 1);
    QCOMPARE(enginetest::productValue(*store_, "D1001", "Cpxm_mc"), QStringLiteral("a\uFFFDb\uFFFDc😀\uFFFD"));
}

void TestProductInsertion::duplicateCodeFailsOnlyTheSecond()
{
    QFETCH(Backend, backend);
    connect(backend);

    Writes writes(*store_);
    writes.add(goodRow("3001", "复方甘草片"), runD(), 0);
    writes.add(goodRow("3001", "复方甘草片二"), runD(), 1);
    writes.writer.finish();
    QCOMPARE(writes.counts.imported, 1);
    QCOMPARE(writes.counts.failed, 1);
    QCOMPARE(writes.log,
             QStringList{QStringLiteral("编号---3001；名称---复方甘草片二；原因---编号重复，数据库中已有这个编号")});
    QCOMPARE(enginetest::productValue(*store_, "D3001", "Cpxm_mc"), QStringLiteral("复方甘草片"));
}

// A column the insert names is missing: no row can be stored, and the store's refusal escapes as a store fault
// instead of failing every row one by one.
void TestProductInsertion::missingColumnIsAStoreFault()
{
    QFETCH(Backend, backend);
    connect(backend);
    enginetest::execute(*store_, QStringLiteral("alter table Cpxm drop column Cpzk"));

    Writes writes(*store_);
    try {
        int sheetRow = 0;
        for (const char* code : {"1", "2", "3"})
            writes.add(goodRow(code, "商品"), runD(), sheetRow++);
        writes.writer.finish();
        QFAIL("the store's refusal must escape");
    } catch (const data::DatabaseError& error) {
        QVERIFY2(error.isStoreFault(), qPrintable(error.code() + ": " + error.message()));
        QVERIFY2(error.message().contains(QStringLiteral("cpzk"), Qt::CaseInsensitive), qPrintable(error.message()));
    }
    writes.writer.close();
    QCOMPARE(writes.counts.imported, 0);
    QCOMPARE(writes.counts.failed, 0);
    QVERIFY(writes.log.isEmpty());
    QCOMPARE(enginetest::productCount(*store_), 2); // the demo's own two
}

// Rows sent together (a hundred to a statement, or arrays of five hundred): a refused row fails alone, whether
// the store refuses it for its code or by a rule of its own, a bad number fails before anything is sent, and the
// log names the failed rows in the sheet's order.
void TestProductInsertion::refusedRowsFailAloneInSheetOrder_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<int>("groupRows");
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        QTest::addRow("%s, one group", qPrintable(storetest::backendName(backend))) << backend << 20000;
        QTest::addRow("%s, a commit after every statement", qPrintable(storetest::backendName(backend)))
            << backend << 1;
    }
}

void TestProductInsertion::refusedRowsFailAloneInSheetOrder()
{
    QFETCH(Backend, backend);
    QFETCH(int, groupRows);
    connect(backend);

    enginetest::refuseProductsNamed(*store_, backend, QStringLiteral("%拒%"));
    Writes writes(*store_, importer::WritePolicy{.groupRows = groupRows});
    importer::RunValues runValues = runD();
    runValues.codeLetter.clear(); // the codes as they stand: A0001 is the demo's own
    QStringList expectedLog;
    // Refused by the store's rule: a pair at the start, three in a row in the middle, the last two.
    const QList<int> refusedByRule{2, 3, 120, 121, 122, 249, 250};
    for (int i = 1; i <= 250; ++i) {
        importer::ProductRow row = goodRow(QStringLiteral("X%1").arg(i), QStringLiteral("商品%1").arg(i));
        const auto failsFor = [&](const QString& reason) {
            expectedLog.append(importer::errorLine(row.Code, row.Name, reason));
        };
        if (refusedByRule.contains(i)) {
            row.Name = QStringLiteral("拒收%1").arg(i);
            failsFor(QStringLiteral("数据库拒绝了这一行"));
        } else if (i % 50 == 7) {
            row.Code = QStringLiteral("A0001");
            failsFor(QStringLiteral("编号重复，数据库中已有这个编号"));
        } else if (i % 60 == 11) {
            row.Stock = QStringLiteral("十");
            failsFor(QStringLiteral("当前库存“十”不是数字"));
        } else if (i == 200) {
            row.Code = QStringLiteral("X199"); // the row before it, in the same statement
            failsFor(QStringLiteral("编号重复，数据库中已有这个编号"));
        }
        writes.add(row, runValues, i);
    }
    writes.writer.finish();
    QCOMPARE(enginetest::withoutStoreMessages(writes.log), expectedLog);
    QCOMPARE(writes.counts.failed, expectedLog.size());
    QCOMPARE(writes.counts.imported, 250 - expectedLog.size());
    QCOMPARE(enginetest::productCount(*store_), 2 + writes.counts.imported);
    QCOMPARE(enginetest::productValue(*store_, "X199", "Cpxm_mc"), QStringLiteral("商品199"));
    QCOMPARE(enginetest::productValue(*store_, "X248", "Cpxm_mc"), QStringLiteral("商品248"));
    QCOMPARE(enginetest::productValue(*store_, "X123", "Cpxm_mc"), QStringLiteral("商品123"));
}

void TestProductInsertion::probeTakesFirstFreeLetter_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<bool>("emptied");
    QTest::addColumn<QString>("takenLetters");
    QTest::addColumn<QString>("expected");
    for (Backend backend : {Backend::Sqlite, Backend::Server}) {
        const QString name = storetest::backendName(backend);
        // The demo store already has A0001 and A0002, unless emptied first.
        QTest::addRow("%s empty", qPrintable(name)) << backend << true << QString() << QStringLiteral("A");
        QTest::addRow("%s only B taken", qPrintable(name))
            << backend << true << QStringLiteral("B") << QStringLiteral("A");
        QTest::addRow("%s A taken", qPrintable(name)) << backend << false << QString() << QStringLiteral("B");
        QTest::addRow("%s A-C taken", qPrintable(name))
            << backend << false << QStringLiteral("BC") << QStringLiteral("D");
        QTest::addRow("%s gap", qPrintable(name)) << backend << false << QStringLiteral("BCEF") << QStringLiteral("D");
        QTest::addRow("%s all taken", qPrintable(name))
            << backend << false << QStringLiteral("BCDEFGHIJKLMNOPQRSTUVWXYZ") << QString();
    }
}

void TestProductInsertion::probeTakesFirstFreeLetter()
{
    QFETCH(Backend, backend);
    QFETCH(bool, emptied);
    QFETCH(QString, takenLetters);
    QFETCH(QString, expected);
    connect(backend);

    if (emptied)
        enginetest::execute(*store_, QStringLiteral("delete from Cpxm"));
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
    connect(backend);
    enginetest::execute(*store_, QStringLiteral("drop table Cpxm"));
    data::Query query(*store_);
    QVERIFY_THROWS_EXCEPTION(data::DatabaseError, importer::probeCodeLetter(query));
}

QTEST_GUILESS_MAIN(TestProductInsertion)
#include "tst_productinsertion.moc"
