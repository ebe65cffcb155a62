// A whole import run when the store refuses to go on: a lock, a read-only or full store, a lost server or group,
// a failed commit, another writer; what stays stored, what the log and the status line say.
#include "ImportRunFixture.h"

class TestRunStoreFaults : public enginetest::ImportRunFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }

    void storeFaultEndsTheRunEarly_data();
    void storeFaultEndsTheRunEarly();
    void lostServerKeepsTheRowsStoredSoFar_data() { enginetest::addServerRow(); }
    void lostServerKeepsTheRowsStoredSoFar();
    void lostGroupIsNeitherStoredNorFailed_data();
    void lostGroupIsNeitherStoredNorFailed();
    void longSheetEndsEarlyOnAStoreFault();
    void waitsForAnotherWriter();
    void failedCommitWritesTheGroupAgain_data() { enginetest::addServerRow(); }
    void failedCommitWritesTheGroupAgain();
    void failedCommitOnSqliteCountsTheGroupOnce();
    void probeFailureEscapes();
};

// The store refuses to go on (locked, read-only, full, a column missing): the run ends at once with the store's
// own words, keeps the rows stored so far, saves the log of the rows handled (or, ended before any row, leaves
// the log as it was) and changes nothing else. The waiting time is short here; the time each case took is
// printed, never checked.
void TestRunStoreFaults::storeFaultEndsTheRunEarly_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<QStringList>("setUp"); // on the run's own connection
    QTest::addColumn<QString>("holder");    // what another connection holds during the run
    QTest::addColumn<QString>("status");    // the status line after the end; empty: refused before the first row
    QTest::addColumn<QString>("word");      // in the message: the store's own
    // The store refuses the first batch (1001, then the blank row, sent when the bad number of row 3 comes), or
    // the insert itself when the first row comes (prepared then, as on PostgreSQL the arrays' statement is).
    const QString batchRefused = QStringLiteral("共5条,正确导入0条,错误0条,空纪录1条,点此查看错误的信息！");
    const QString insertRefused = QStringLiteral("有 5条 正在导入......");
    QTest::newRow("sqlite: missing column") << Backend::Sqlite << QStringList{"alter table Cpxm drop column Cpxm_fw"}
                                            << QString() << insertRefused << "cpxm_fw";
    QTest::newRow("postgresql: missing column")
        << Backend::Server << QStringList{"alter table Cpxm drop column Cpxm_fw"} << QString() << insertRefused
        << "cpxm_fw";
    QTest::newRow("sqlite: another writer holds the store")
        << Backend::Sqlite << QStringList{} << "write" << QString() << "locked";
    QTest::newRow("postgresql: another import holds the code letters")
        << Backend::Server << QStringList{} << "letters" << QString() << "lock";
    QTest::newRow("postgresql: another program holds Cpxm")
        << Backend::Server << QStringList{} << "lock table Cpxm in exclusive mode" << insertRefused << "lock";
    QTest::newRow("sqlite: read-only") << Backend::Sqlite << QStringList{"pragma query_only = 1"} << QString()
                                       << QString() << "readonly";
    QTest::newRow("postgresql: read-only")
        << Backend::Server << QStringList{"set session characteristics as transaction read only"} << QString()
        << batchRefused << "read-only";
    QTest::newRow("sqlite: disk full") << Backend::Sqlite << QStringList{"<fill>"} << QString() << batchRefused
                                       << "full";
}

void TestRunStoreFaults::storeFaultEndsTheRunEarly()
{
    QFETCH(QStringList, setUp);
    QFETCH(QString, holder);
    QFETCH(QString, status);
    QFETCH(QString, word);
    data::Connection other;
    if (!holder.isEmpty()) {
        other.connect(store_->connectionString());
        other.beginTransaction();
        if (holder == "letters")
            other.lockCodeLetters();
        else if (holder == "write")
            enginetest::execute(other, QStringLiteral("insert into Cpxm(Cpxm_bm) values('Z1')"));
        else
            enginetest::execute(other, holder);
    }
    for (const QString& statement : setUp) {
        if (statement == "<fill>")
            fillTheStore(*store_);
        else
            enginetest::execute(*store_, statement);
    }
    const QStringList codesBefore = enginetest::productCodes(*store_);
    store_->setBusyTimeout(std::chrono::milliseconds(300));

    QElapsedTimer timer;
    timer.start();
    try {
        run(workbook("five-rows.xls"));
        QFAIL("the run must end early");
    } catch (const importer::ImportError& error) {
        qInfo("%s: ended after %lld ms (busy time-out 300 ms): %s", QTest::currentDataTag(), timer.elapsed(),
              qPrintable(error.message().section(u'\n', 0, 0)));
        QCOMPARE(error.kind(), importer::ImportError::Kind::StoreFault);
        QVERIFY2(error.message().contains(word, Qt::CaseInsensitive), qPrintable(error.message()));
    }
    if (other.inTransaction())
        other.rollback();
    QVERIFY(!reporter_.busy);
    QVERIFY(!reporter_.progressVisible);
    if (status.isEmpty()) {
        QCOMPARE(logBytes(), kOldLog);
        QCOMPARE(reporter_.statusText(), QStringLiteral("正在导入......"));
    } else {
        // The row with a bad number (1003) waits for the rows before it and was never handled.
        QCOMPARE(session_->errorLog, QStringList{kHeader});
        QCOMPARE(logBytes(), gbkLines(session_->errorLog));
        QCOMPARE(reporter_.statusText(), status);
    }
    for (const QString& statement : setUp) {
        if (statement.startsWith("pragma query_only") || statement.startsWith("set session"))
            enginetest::execute(*store_, statement.startsWith("pragma") ? "pragma query_only = 0"
                                                                        : "set session characteristics as "
                                                                          "transaction read write");
    }
    QCOMPARE(enginetest::productCodes(*store_), codesBefore);
}

// The server ends the connection in the middle of a run: the rows committed so far stay and are counted, the log
// of the rows handled is saved, and the run ends with the server's words.
void TestRunStoreFaults::lostServerKeepsTheRowsStoredSoFar()
{
    data::Connection administrator;
    administrator.connect(store_->connectionString());
    const QString pid = enginetest::column(*store_, QStringLiteral("select pg_backend_pid() as v")).value(0);
    reporter_.onRowHandled = [&](int rowsDone) {
        if (rowsDone == 2)
            enginetest::execute(administrator, QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
    };
    QElapsedTimer timer;
    timer.start();
    // A commit per row, so that the first row is in the store when the server goes.
    QVERIFY_THROWS_EXCEPTION(importer::ImportError, run(workbook("five-rows.xls"), 0, "Sheet1", true));
    qInfo("lost server: ended after %lld ms", timer.elapsed());
    QCOMPARE(reporter_.statusText(), QStringLiteral("共5条,正确导入1条,错误1条,空纪录1条,点此查看错误的信息！"));
    QCOMPARE(session_->errorLog,
             (QStringList{kHeader, QStringLiteral("编号---1003；名称---维生素C片；原因---销售价“12元”不是数字")}));
    QCOMPARE(logBytes(), gbkLines(session_->errorLog));
    QCOMPARE(enginetest::productCodes(administrator), (QStringList{"A0001", "A0002", "B1001"}));
}

void TestRunStoreFaults::lostGroupIsNeitherStoredNorFailed_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<int>("lostAfter"); // rows handled when the server ends the connection, or the disk fills
    for (const int rows : {1, 150, 1337, 2500, 3210, 4444, 5001, 5555, 5999, 6000})
        QTest::addRow("postgresql: connection lost after row %d", rows) << Backend::Server << rows;
    for (const int rows : {1, 2500, 5999})
        QTest::addRow("sqlite: disk full after row %d", rows) << Backend::Sqlite << rows;
}

// The server ends the connection, or the disk fills, at some moment of a long run, amid its groups: the counts are
// the rows the store holds and the rows logged as failed, the rows of the lost group are neither, and the message
// names the first row of the sheet that is not in the store, so that importing from there on leaves nothing out.
void TestRunStoreFaults::lostGroupIsNeitherStoredNorFailed()
{
    QFETCH(Backend, backend);
    QFETCH(int, lostAfter);
    const QString path = folder_->filePath(QStringLiteral("long.xlsx"));
    const int rowCount = 6000;
    const int badEvery = 97;
    writeLongSheet(path, rowCount, badEvery, 1000000);
    data::Connection administrator;
    administrator.connect(store_->connectionString());
    const QString pid = backend == Backend::Server
                            ? enginetest::column(*store_, QStringLiteral("select pg_backend_pid() as v")).value(0)
                            : QString();
    reporter_.onRowHandled = [&](int rowsDone) {
        if (rowsDone % 400 == 0)
            QThread::msleep(40); // a few groups commit before the end
        if (rowsDone != lostAfter)
            return;
        if (backend == Backend::Server)
            enginetest::execute(administrator, QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
        else
            enginetest::execute(*store_, QStringLiteral("pragma max_page_count = 1"));
    };
    QString message;
    try {
        run(path, 0, QStringLiteral("S"));
        QFAIL("the run must end early");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::StoreFault);
        message = error.message();
    }
    const QStringList stored = enginetest::productCodes(administrator).filter(QRegularExpression("^B"));
    const QString status = reporter_.statusText();
    QCOMPARE(status, QStringLiteral("共%1条,正确导入%2条,错误%3条,空纪录0条,点此查看错误的信息！")
                         .arg(rowCount)
                         .arg(stored.size())
                         .arg(session_->errorLog.size() - 1));
    QCOMPARE(logBytes(), gbkLines(session_->errorLog));

    // The sheet's rows from the one the message names on are neither stored nor logged; every row before it is.
    const QRegularExpressionMatch restart =
        QRegularExpression(QStringLiteral("从工作表的第 (\\d+) 行起")).match(message);
    QVERIFY2(restart.hasMatch(), qPrintable(message));
    const int firstRowAgain = restart.captured(1).toInt(); // as the sheet numbers its rows: the header is row 1
    QVERIFY(firstRowAgain >= 2 && firstRowAgain <= rowCount + 1);
    QStringList expectedStored;
    QStringList expectedLog{kHeader};
    for (int n = 1; n + 1 < firstRowAgain; ++n) {
        if (n % badEvery == 0)
            expectedLog
                << QStringLiteral("编号---%1；名称---药品%2；原因---成本价“x%2”不是数字").arg(100000 + n).arg(n);
        else
            expectedStored << QStringLiteral("B%1").arg(100000 + n);
    }
    QCOMPARE(stored, expectedStored);
    QCOMPARE(session_->errorLog, expectedLog);
}

// A store fault while the rows ahead wait: the run ends at once, the rows made for nothing are dropped.
void TestRunStoreFaults::longSheetEndsEarlyOnAStoreFault()
{
    const QString path = folder_->filePath(QStringLiteral("long.xlsx"));
    writeLongSheet(path, 20000, 1000000, 1000000);
    fillTheStore(*store_);
    QVERIFY_THROWS_EXCEPTION(importer::ImportError, run(path, 0, QStringLiteral("S")));
}

void TestRunStoreFaults::waitsForAnotherWriter()
{
    // The store's own system holds the write lock when the run starts: the run waits for it instead of failing
    // its rows.
    const QString path = folder_->filePath(QStringLiteral("demo-store.sqlite"));
    std::promise<void> locked;
    std::thread other([&] {
        data::Connection connection;
        connection.connect(data::Connection::sqliteConnectionString(path));
        connection.beginTransaction();
        enginetest::execute(connection, QStringLiteral("insert into Cpxm(Cpxm_bm) values('Z1')"));
        locked.set_value();
        QThread::msleep(700);
        connection.commit();
    });
    locked.get_future().wait();
    const importer::ImportOutcome outcome = run(workbook("five-rows.xls"));
    other.join();
    QCOMPARE(outcome.counts.imported, 3);
    QCOMPARE(outcome.counts.failed, 1);
    QCOMPARE(enginetest::productCount(*store_), 6);
}

void TestRunStoreFaults::failedCommitWritesTheGroupAgain()
{
    // A uniqueness the server checks only at commit: the group with both 3001 rows cannot be committed. Its rows
    // are written again one by one, so the first 3001 and 3002 are stored after all and the counts say so.
    enginetest::execute(*store_, QStringLiteral("alter table Cpxm drop constraint cpxm_cpxm_bm_key"));
    enginetest::execute(*store_, QStringLiteral("alter table Cpxm add constraint cpxm_bm_at_commit unique (Cpxm_bm) "
                                                "deferrable initially deferred"));
    const importer::ImportOutcome outcome = run(workbook("duplicate-codes.xls"));
    QCOMPARE(outcome.counts.imported, 2);
    QCOMPARE(outcome.counts.failed, 1);
    QCOMPARE(session_->errorLog,
             (QStringList{kHeader, QStringLiteral(
                                       "编号---3001；名称---复方甘草片（重复）；原因---编号重复，与第2行的编号相同")}));
    QCOMPARE(enginetest::productCodes(*store_), (QStringList{"A0001", "A0002", "B3001", "B3002"}));
    QCOMPARE(reporter_.statusText(), QStringLiteral("共3条,正确导入2条,错误1条,空纪录0条,点此查看错误的信息！"));
}

// SQLite checks a deferred foreign key at the commit: the group with the row whose unit is unknown is refused whole,
// its rows are counted no longer and written again one by one, and only that row fails.
void TestRunStoreFaults::failedCommitOnSqliteCountsTheGroupOnce()
{
    enginetest::execute(*store_, QStringLiteral("create table Units(name varchar(20) primary key)"));
    enginetest::execute(*store_, QStringLiteral("insert into Units values('盒')"));
    QString schema = enginetest::column(*store_, QStringLiteral("select sql as v from sqlite_master "
                                                                "where type = 'table' and name = 'Cpxm'"))
                         .value(0);
    schema.insert(schema.lastIndexOf(u')'),
                  QStringLiteral(", foreign key (Cpxm_dw) references Units(name) deferrable initially deferred"));
    enginetest::execute(*store_, QStringLiteral("drop table Cpxm"));
    enginetest::execute(*store_, schema);
    enginetest::execute(*store_, QStringLiteral("pragma foreign_keys = on"));

    const QString path = folder_->filePath(QStringLiteral("units.xlsx"));
    writeProductSheet(path, {{"1", "甲", "盒", "1"},
                             {"2", "乙", "盒", "2"},
                             {"3", "丙", "瓶", "3"},
                             {"4", "丁", "盒", "4"},
                             {"5", "戊", "盒", "5"}});
    const importer::ImportOutcome outcome = run(path, 0, QStringLiteral("S"));
    QCOMPARE(outcome.counts.imported, 4);
    QCOMPARE(outcome.counts.failed, 1);
    QCOMPARE(session_->errorLog.size(), 2);
    QVERIFY2(session_->errorLog.at(1).startsWith(QStringLiteral("编号---3；名称---丙；原因---")),
             qPrintable(session_->errorLog.at(1)));
    QCOMPARE(enginetest::productCodes(*store_), (QStringList{"A1", "A2", "A4", "A5"}));
    QCOMPARE(reporter_.statusText(), QStringLiteral("共5条,正确导入4条,错误1条,空纪录0条,点此查看错误的信息！"));
}

void TestRunStoreFaults::probeFailureEscapes()
{
    enginetest::execute(*store_, QStringLiteral("drop table Cpxm"));
    try {
        run(workbook("five-rows.xls"));
        QFAIL("the run should have ended with an error");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::StoreUnreachable);
        QCOMPARE(error.message(),
                 QStringLiteral("无法从数据库查询已用的商品编号（表 Cpxm）：no such table: Cpxm\n没有导入任何记录。"
                                "请检查数据库能否连接、是否有表 Cpxm 及其列 Cpxm_bm，然后再导入"));
    }
    QVERIFY(!reporter_.busy);
    QVERIFY(!reporter_.progressVisible);
    QCOMPARE(logBytes(), kOldLog);
}

QTEST_GUILESS_MAIN(TestRunStoreFaults)
#include "tst_runstorefaults.moc"
