// What a run writes into the store and where, on SQLite and on the test server: an update leaves what a blank
// cell does not say, a code stored twice is never written over blindly, numbers and texts beyond their column fail
// their row alike on every store, store columns whose names need quoting work, a column chosen twice and a log
// that cannot be written stop the run before the store is touched, an early end counts every row written, and
// init-store refuses a path that holds no store.
#include "CliRun.h"
#include "db/Query.h"
#include "engine/run/FurtherColumns.h"
#include "engine/run/ImportRun.h"
#include "engine/sheet/SheetLayout.h"
#include "EngineTestSupport.h"
#include "ListRuns.h"
#include "ListWorkbook.h"
#include "RecordingReporter.h"
#include "RowBackend.h"
#include "store/ProductKinds.h"
#include "StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using storetest::Backend;

namespace {

using Run = enginetest::ListRun;

} // namespace

class TestStoreWrites : public QObject, enginetest::ListRuns
{
    Q_OBJECT

private slots:
    void init();

    void updateLeavesBlankCellsAsStored_data() { storetest::addBackendRows(); }
    void updateLeavesBlankCellsAsStored();
    void refusedUpdateFailsAlone_data() { storetest::addBackendRows(); }
    void refusedUpdateFailsAlone();
    void twoRowsMeaningOneProduct_data() { storetest::addBackendRows(); }
    void twoRowsMeaningOneProduct();
    void codeStoredTwiceIsNeverWrittenOver_data();
    void codeStoredTwiceIsNeverWrittenOver();
    void numbersBeyondTheColumnFailTheRow_data() { storetest::addBackendRows(); }
    void numbersBeyondTheColumnFailTheRow();
    void numberTheServerColumnCannotHold_data() { enginetest::addServerRow(); }
    void numberTheServerColumnCannotHold();
    void storeColumnsWhoseNamesNeedQuoting_data() { storetest::addBackendRows(); }
    void storeColumnsWhoseNamesNeedQuoting();
    void textsLongerThanTheirColumnFail_data() { storetest::addBackendRows(); }
    void textsLongerThanTheirColumnFail();
    void earlyEndCountsEveryRowWritten_data() { storetest::addBackendRows(); }
    void earlyEndCountsEveryRowWritten();
    void storeColumnChosenTwiceIsAUsageError();
    void logThatCannotBeOpenedRefusesTheRun_data();
    void logThatCannotBeOpenedRefusesTheRun();
    void initStoreRefusesWhatIsNoStore_data();
    void initStoreRefusesWhatIsNoStore();

private:
    Run run(const QList<QStringList>& rows, importer::ExistingChoice existing,
            importer::RepeatChoice repeats = importer::RepeatChoice::Fail, const QStringList& map = {},
            bool commitEveryRow = false);
    void dropUniqueCode(Backend backend);
};

void TestStoreWrites::init()
{
    if (!enginetest::requireRowBackend())
        return;
    makeFolders();
}

Run TestStoreWrites::run(const QList<QStringList>& rows, importer::ExistingChoice existing,
                         importer::RepeatChoice repeats, const QStringList& map, bool commitEveryRow)
{
    importer::ImportRequest request;
    request.existing = existing;
    request.repeats = repeats;
    request.commitEveryRow = commitEveryRow;
    for (const QString& assignment : map)
        importer::addColumnChoice(request.columns, assignment);
    return runList(rows, request);
}

// Cpxm as some stores have it: Cpxm_bm without a unique index.
void TestStoreWrites::dropUniqueCode(Backend backend)
{
    if (backend == Backend::Server) {
        enginetest::execute(*store_, QStringLiteral("alter table Cpxm drop constraint cpxm_cpxm_bm_key"));
        return;
    }
    const QString table =
        enginetest::column(*store_, QStringLiteral("select sql as v from sqlite_master where name = 'Cpxm'")).value(0);
    QVERIFY(table.contains(QStringLiteral("not null unique")));
    enginetest::execute(*store_, QStringLiteral("alter table Cpxm rename to Cpxm_was"));
    enginetest::execute(*store_, QString(table).replace(QStringLiteral("not null unique"), QStringLiteral("not null")));
    enginetest::execute(*store_, QStringLiteral("insert into Cpxm select * from Cpxm_was"));
    enginetest::execute(*store_, QStringLiteral("drop table Cpxm_was"));
}

// A blank cell of an update leaves the stored value: the unit, both cost columns, the stock, a further column and a
// hand-made mnemonic stay; what the sheet does say is written, a mnemonic given by the sheet too.
void TestStoreWrites::updateLeavesBlankCellsAsStored()
{
    QFETCH(Backend, backend);
    open(backend);
    const QStringList header{"商品编号", "商品名称", "计量单位", "成本价", "销售价", "当前库存", "助记码", "规格"};
    const QStringList map{QStringLiteral("Cpxm_gg=规格")};
    QCOMPARE(run({header,
                  {"11", "甲片", "盒", "5", "10", "35", "JPX", "10片"},
                  {"12", "乙片", "瓶", "6", "12", "4", "", "1瓶"}},
                 importer::ExistingChoice::Add, importer::RepeatChoice::Fail, map)
                 .outcome.counts.imported,
             2);
    const Run update =
        run({header, {"11", "甲片", "", "", "12.5", "", "", ""}, {"12", "乙片", "", "", "", "", "YP", ""}},
            importer::ExistingChoice::Update, importer::RepeatChoice::Fail, map);
    QCOMPARE(update.outcome.counts.updated, 2);
    QVERIFY2(update.log.isEmpty(), qPrintable(update.log.join(u'\n')));
    const auto value = [&](const char* code, const char* column) {
        return enginetest::productValue(*store_, QString::fromLatin1(code), QString::fromLatin1(column));
    };
    QCOMPARE(value("B11", "Cpxm_dw"), QStringLiteral("盒"));
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_cbdj"), 5.0);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_jhdj"), 5.0);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_ysdj"), 12.5);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "CPxm_sl"), 35.0);
    QCOMPARE(value("B11", "Cpxm_jp"), QStringLiteral("JPX"));
    QCOMPARE(value("B11", "Cpxm_gg"), QStringLiteral("10片"));
    // The sheet's mnemonic is written over the one built from the name; the prices stay.
    QCOMPARE(value("B12", "Cpxm_jp"), QStringLiteral("YP"));
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B12"), "Cpxm_ysdj"), 12.0);
    QCOMPARE(value("B12", "Cpxm_dw"), QStringLiteral("瓶"));
    QCOMPARE(value("B12", "Cpxm_gg"), QStringLiteral("1瓶"));
}

// Updates sent together (on the server, one statement a batch): the one the store refuses fails with its reason
// and the others are written, in the sheet's order.
void TestStoreWrites::refusedUpdateFailsAlone()
{
    QFETCH(Backend, backend);
    open(backend);
    const QStringList header{"商品编号", "商品名称", "销售价"};
    QCOMPARE(run({header, {"11", "甲片", "1"}, {"12", "乙片", "2"}, {"13", "丙片", "3"}}, importer::ExistingChoice::Add)
                 .outcome.counts.imported,
             3);
    if (backend == Backend::Sqlite)
        enginetest::execute(*store_, QStringLiteral("create trigger price_ok before update on Cpxm when "
                                                    "new.Cpxm_ysdj < 0 begin select raise(abort, 'refused by the "
                                                    "store'); end"));
    else
        enginetest::execute(*store_, QStringLiteral("alter table Cpxm add constraint price_ok check (Cpxm_ysdj >= 0)"));
    const Run update =
        run({header, {"11", "甲片", "7"}, {"12", "乙片", "-1"}, {"13", "丙片", "9"}}, importer::ExistingChoice::Update);
    QCOMPARE(update.outcome.counts.updated, 2);
    QCOMPARE(enginetest::withoutStoreMessages(update.log),
             QStringList{QStringLiteral("编号---12；名称---乙片；原因---数据库拒绝了这一行")});
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_ysdj"), 7.0);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B12"), "Cpxm_ysdj"), 2.0);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B13"), "Cpxm_ysdj"), 9.0);
}

// Rows 11 and B11 both mean the stored B11: sent together, the statement changes one product for two rows, so it is
// undone and they go one by one, the later row's values last.
void TestStoreWrites::twoRowsMeaningOneProduct()
{
    QFETCH(Backend, backend);
    open(backend);
    const QStringList header{"商品编号", "商品名称", "销售价", "当前库存"};
    QCOMPARE(run({header, {"11", "甲片", "1", "5"}}, importer::ExistingChoice::Add).outcome.counts.imported, 1);
    const Run update =
        run({header, {"11", "甲片", "7", ""}, {"B11", "甲片", "8", "6"}}, importer::ExistingChoice::Update);
    QVERIFY2(update.log.isEmpty(), qPrintable(update.log.join(u'\n')));
    QCOMPARE(update.outcome.counts.updated, 2);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "Cpxm_ysdj"), 8.0);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B11"), "CPxm_sl"), 6.0);
    QCOMPARE(enginetest::productCount(*store_), 3);
}

// A store without a unique index on Cpxm_bm holds "X1 甲" twice and "X2 乙" beside "X2 丙": the row X1 matches two
// products and fails, the row X2 乙 updates 乙 alone; by the select per batch and by the whole read alike.
void TestStoreWrites::codeStoredTwiceIsNeverWrittenOver_data()
{
    storetest::addBackendColumn();
    QTest::addColumn<int>("moreRows"); // new products after the two rows: 2,000 rows in all read the store at once
    for (const Backend backend : {Backend::Sqlite, Backend::Server}) {
        const QByteArray name = storetest::backendName(backend).toUtf8();
        QTest::addRow("%s per batch", name.data()) << backend << 0;
        QTest::addRow("%s whole read", name.data()) << backend << 1998;
    }
}

void TestStoreWrites::codeStoredTwiceIsNeverWrittenOver()
{
    QFETCH(Backend, backend);
    QFETCH(int, moreRows);
    open(backend);
    dropUniqueCode(backend);
    for (const char* product : {"('X1', '甲', 1)", "('X1', '甲', 2)", "('X2', '乙', 3)", "('X2', '丙', 4)"})
        enginetest::execute(
            *store_,
            QStringLiteral("insert into Cpxm(Cpxm_bm, Cpxm_mc, Cpxm_ysdj) values %1").arg(QString::fromUtf8(product)));
    QList<QStringList> rows{{"商品编号", "商品名称", "销售价"}, {"X1", "甲", "9"}, {"X2", "乙", "8"}};
    for (int i = 0; i < moreRows; ++i)
        rows.append({QStringLiteral("N%1").arg(i), QStringLiteral("新%1").arg(i), QStringLiteral("1")});
    const Run update = run(rows, importer::ExistingChoice::Update);
    QCOMPARE(update.outcome.counts.updated, 1);
    QCOMPARE(update.outcome.counts.failed, 1);
    QCOMPARE(update.outcome.counts.imported, moreRows);
    QCOMPARE(update.log.size(), 1);
    QVERIFY2(update.log.first().startsWith(QStringLiteral("编号---X1；名称---甲；原因---数据库中有2个商品与它相符")),
             qPrintable(update.log.first()));
    QCOMPARE(enginetest::column(*store_, QStringLiteral("select Cpxm_ysdj as v from Cpxm where Cpxm_bm = 'X1' "
                                                        "order by Cpxm_ysdj")),
             (QStringList{"1", "2"}));
    QCOMPARE(enginetest::column(*store_, QStringLiteral("select Cpxm_ysdj as v from Cpxm where Cpxm_bm = 'X2' "
                                                        "order by Cpxm_mc")),
             (QStringList{"4", "8"})); // 丙, 乙
}

// Two rows of 1e308 merge beyond what a double holds: the second fails with its reason and the stock stays; the
// same on every store (SQLite would store infinity).
void TestStoreWrites::numbersBeyondTheColumnFailTheRow()
{
    QFETCH(Backend, backend);
    open(backend);
    const Run merged = run({{"商品编号", "商品名称", "当前库存"},
                            {"21", "甲", "1e308"},
                            {"21", "甲", "1e308"},
                            {"22", "乙", "2"},
                            {"22", "乙", "3"}},
                           importer::ExistingChoice::Add, importer::RepeatChoice::Merge);
    QCOMPARE(merged.outcome.counts.imported, 2);
    QCOMPARE(merged.outcome.counts.merged, 1);
    QCOMPARE(merged.log,
             QStringList{QStringLiteral("编号---21；名称---甲；原因---当前库存合并后超出数字的范围，不能合并库存")});
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B21"), "CPxm_sl"), 1e308);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B22"), "CPxm_sl"), 5.0);
}

// A number is stored where the column holds it (double precision takes 1.7976931348623157e308) and fails with its
// reason where the column cannot (numeric(12,2) on the server).
void TestStoreWrites::numberTheServerColumnCannotHold()
{
    open(Backend::Server);
    enginetest::execute(*store_, QStringLiteral("alter table Cpxm alter column Cpxm_cbdj type numeric(12,2)"));
    const Run stored = run({{"商品编号", "商品名称", "成本价", "销售价"},
                            {"31", "甲", "1", "1.7976931348623157e308"},
                            {"32", "乙", "1.7976931348623157e308", "1"}},
                           importer::ExistingChoice::Add);
    QCOMPARE(stored.outcome.counts.imported, 1);
    QCOMPARE(stored.log.size(), 1);
    QVERIFY2(stored.log.first().startsWith(QStringLiteral("编号---32；名称---乙；原因---数字超出数据库列能存的范围（")),
             qPrintable(stored.log.first()));
}

// Store columns named "pack size", "order" and a"b are written by an import and by an update.
void TestStoreWrites::storeColumnsWhoseNamesNeedQuoting()
{
    QFETCH(Backend, backend);
    open(backend);
    for (const char* column : {"\"pack size\"", "\"order\"", "\"a\"\"b\""})
        enginetest::execute(
            *store_, QStringLiteral("alter table Cpxm add column %1 varchar(20)").arg(QString::fromLatin1(column)));
    const QStringList map{QStringLiteral("pack size=规格"), QStringLiteral("order=顺序"), QStringLiteral("a\"b=备注")};
    const Run added = run({{"商品编号", "商品名称", "规格", "顺序", "备注"}, {"41", "甲", "10片", "3", "x"}},
                          importer::ExistingChoice::Add, importer::RepeatChoice::Fail, map);
    QVERIFY2(added.log.isEmpty(), qPrintable(added.log.join(u'\n')));
    QCOMPARE(added.outcome.counts.imported, 1);
    const Run updated = run({{"商品编号", "商品名称", "规格", "顺序", "备注"}, {"41", "甲", "20片", "", "y"}},
                            importer::ExistingChoice::Update, importer::RepeatChoice::Fail, map);
    QVERIFY2(updated.log.isEmpty(), qPrintable(updated.log.join(u'\n')));
    QCOMPARE(updated.outcome.counts.updated, 1);
    QCOMPARE(enginetest::column(*store_, QStringLiteral("select \"pack size\" || '/' || \"order\" || '/' || \"a\"\"b\" "
                                                        "as v from Cpxm where Cpxm_bm = 'B41'")),
             QStringList{QStringLiteral("20片/3/y")});
}

// The stated widths of the twenty columns are checked on every store with the same reason: a 201-character name,
// a 21-character unit, a 101-character mnemonic and a 40-character code (41 with the run's letter) fail; a long
// name's mnemonic that the program builds is cut to its column.
void TestStoreWrites::textsLongerThanTheirColumnFail()
{
    QFETCH(Backend, backend);
    open(backend);
    const QString code40(40, u'7');
    const Run long_ = run({{"商品编号", "商品名称", "计量单位", "助记码"},
                           {"51", QString(201, u'名'), "盒", ""},
                           {"52", "乙", QString(21, u'盒'), ""},
                           {"53", "丙", "盒", QString(101, u'B')},
                           {code40, "丁", "盒", ""},
                           {"54", QString(150, u'戊'), "盒", ""}},
                          importer::ExistingChoice::Add);
    QCOMPARE(long_.outcome.counts.imported, 1);
    QCOMPARE(long_.log,
             (QStringList{
                 QStringLiteral("编号---51；名称---%1；原因---商品名称“%1”超出数据库列 Cpxm_mc 的长度（最多200个字）")
                     .arg(QString(201, u'名')),
                 QStringLiteral("编号---52；名称---乙；原因---计量单位“%1”超出数据库列 Cpxm_dw 的长度（最多20个字）")
                     .arg(QString(21, u'盒')),
                 QStringLiteral("编号---53；名称---丙；原因---助记码“%1”超出数据库列 Cpxm_jp 的长度（最多100个字）")
                     .arg(QString(101, u'B')),
                 QStringLiteral("编号---%1；名称---丁；原因---商品编号“B%1”超出数据库列 Cpxm_bm 的长度（最多40个字）")
                     .arg(code40),
             }));
    QCOMPARE(enginetest::productValue(*store_, QStringLiteral("B54"), "Cpxm_jp").size(), 100);
}

// The store gives up after products were added and two were updated and committed: the message counts them all.
void TestStoreWrites::earlyEndCountsEveryRowWritten()
{
    QFETCH(Backend, backend);
    open(backend);
    const QStringList header{"商品编号", "商品名称", "销售价"};
    QCOMPARE(
        run({header, {"11", "甲片", "1"}, {"12", "乙片", "2"}}, importer::ExistingChoice::Add).outcome.counts.imported,
        2);
    // A product named 满 meets a full disk.
    if (backend == Backend::Sqlite) {
        enginetest::execute(*store_, QStringLiteral("create table filler(b blob)"));
        enginetest::execute(*store_, QStringLiteral("create trigger fill before insert on Cpxm when new.Cpxm_mc = '满' "
                                                    "begin insert into filler values (zeroblob(16000000)); end"));
        const QString pages =
            enginetest::column(*store_, QStringLiteral("select page_count as v from pragma_page_count")).value(0);
        enginetest::execute(*store_, QStringLiteral("pragma max_page_count = %1").arg(pages.toInt() + 1000));
    } else {
        enginetest::execute(*store_,
                            QStringLiteral("create or replace function fill() returns trigger language plpgsql as $$ "
                                           "begin if new.Cpxm_mc = '满' then raise exception 'disk full' using "
                                           "errcode = '53100'; end if; return new; end $$"));
        enginetest::execute(*store_, QStringLiteral("create trigger fill before insert on Cpxm for each row execute "
                                                    "function fill()"));
    }
    try {
        // The first batch of rows looked up together commits before the row that fills the store.
        QList<QStringList> rows{header, {"13", "丙片", "3"}, {"11", "甲片", "4"}, {"12", "乙片", "5"}};
        for (int i = 0; i < 498; ++i)
            rows.append({QStringLiteral("N%1").arg(i), QStringLiteral("新%1").arg(i), QStringLiteral("1")});
        rows.append({"99", "满", "6"});
        run(rows, importer::ExistingChoice::Update, importer::RepeatChoice::Fail, {}, true);
        QFAIL("the run went on");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::StoreFault);
        QVERIFY2(
            error.message().contains(QStringLiteral("此前写入的 501 条记录已保存在数据库中（新增499条，更新2条）")),
            qPrintable(error.message()));
    }
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B12"), "Cpxm_ysdj"), 5.0);
}

// --map Cpxm_gg=规格 --map cpxm_GG=产地: one column of the store twice, refused before the run with both choices.
void TestStoreWrites::storeColumnChosenTwiceIsAUsageError()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString store = dir.filePath(QStringLiteral("Member.dat"));
    storetest::createDemoStoreFile(store);
    const QString workbook = dir.filePath(QStringLiteral("list.xlsx"));
    enginetest::writeListWorkbook(workbook, {{"商品编号", "商品名称", "规格", "产地"}, {"1", "甲", "x", "y"}});
    const testsupport::CliRun cli =
        testsupport::runCliInProcess({"import", workbook, "--category", "010101", "--store", store, "--log",
                                      dir.filePath("log.txt"), "--map", "Cpxm_gg=规格", "--map", "cpxm_GG=产地"});
    QCOMPARE(cli.exitCode, 2);
    const QString err = QString::fromUtf8(cli.err);
    QVERIFY2(err.contains(QStringLiteral("Cpxm_gg=规格")) && err.contains(QStringLiteral("cpxm_GG=产地")),
             qPrintable(err));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("log.txt"))));

    // The engine refuses the same choice from any face.
    try {
        data::StoreColumn column;
        column.name = QStringLiteral("Cpxm_gg");
        importer::chosenFurtherColumns({column}, {"Cpxm_gg", "cpxm_GG"});
        QFAIL("chosen twice");
    } catch (const importer::ColumnChoiceError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("两次")), qPrintable(error.message()));
    }
}

// A log in a missing folder, in a read-only folder, that is a folder, or a FIFO nobody reads: the run is refused
// before any row is written, naming the path given, and the run does not wait for the FIFO.
void TestStoreWrites::logThatCannotBeOpenedRefusesTheRun_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"missing folder", "read-only folder", "folder", "fifo"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestStoreWrites::logThatCannotBeOpenedRefusesTheRun()
{
    QFETCH(QString, kind);
    if (kind == QLatin1String("read-only folder") && ::geteuid() == 0)
        QSKIP("root writes into a read-only folder");
    open(Backend::Sqlite);
    QString log;
    if (kind == QLatin1String("missing folder")) {
        log = folder_ + QStringLiteral("/nowhere/errors.txt");
    } else if (kind == QLatin1String("read-only folder")) {
        QVERIFY(QDir(folder_).mkdir(QStringLiteral("ro")));
        QVERIFY(QFile::setPermissions(folder_ + QStringLiteral("/ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        log = folder_ + QStringLiteral("/ro/errors.txt");
    } else if (kind == QLatin1String("folder")) {
        log = folder_ + QStringLiteral("/errors.txt");
        QVERIFY(QDir(folder_).mkdir(QStringLiteral("errors.txt")));
    } else {
        log = folder_ + QStringLiteral("/errors.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(log).constData(), 0600), 0);
    }
    session_->logFilePath = log;
    const int before = enginetest::productCount(*store_);
    try {
        run({{"商品编号", "商品名称"}, {"61", "甲"}}, importer::ExistingChoice::Add);
        QFAIL("the run went on");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::LogUnwritable);
        QVERIFY2(error.message().contains(log), qPrintable(error.message()));
        QVERIFY2(!error.message().contains(QStringLiteral("log.txt")), qPrintable(error.message()));
    }
    QCOMPARE(enginetest::productCount(*store_), before);
    if (kind == QLatin1String("read-only folder"))
        QFile::setPermissions(folder_ + QStringLiteral("/ro"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// init-store leaves a store as it is, and refuses (exit 1, nothing written) a path that holds a text, an empty file,
// a folder, or a link to nothing.
void TestStoreWrites::initStoreRefusesWhatIsNoStore_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // on standard output (exit 0) or standard error
    QTest::newRow("a store") << "store" << 0 << "exists; it is left as it is";
    QTest::newRow("a text file") << "text" << 1 << "is not a store";
    QTest::newRow("an empty file") << "empty" << 1 << "is not a store: it is an empty file";
    QTest::newRow("a folder") << "folder" << 1 << "is not a store: it is a folder";
    QTest::newRow("a link to nothing") << "dangling" << 1 << "which does not exist";
}

void TestStoreWrites::initStoreRefusesWhatIsNoStore()
{
    QFETCH(QString, kind);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Member.dat"));
    if (kind == QLatin1String("store"))
        storetest::createDemoStoreFile(path);
    else if (kind == QLatin1String("text"))
        storetest::writeFile(path, "notes of the day\n");
    else if (kind == QLatin1String("empty"))
        storetest::writeFile(path, QByteArray());
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Member.dat")));
    else
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone.dat")), path));
    const QFileInfo before(path);
    const qint64 size = before.isFile() ? before.size() : -1;
    const testsupport::CliRun cli = testsupport::runCliInProcess({"init-store", "--store", path});
    QCOMPARE(cli.exitCode, exitCode);
    const QString text = QString::fromUtf8(exitCode == 0 ? cli.out : cli.err);
    QVERIFY2(text.contains(said), qPrintable(text));
    QCOMPARE(QFileInfo(path).isFile() ? QFileInfo(path).size() : -1, size);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("gone.dat"))));
}

QTEST_GUILESS_MAIN(TestStoreWrites)
#include "tst_storewrites.moc"
