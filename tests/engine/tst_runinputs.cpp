// What a run refuses before it touches the store: no workbook or category, a workbook or sheet that cannot be
// read, a log file that cannot be written or that is the store or the workbook.
#include "ImportRunFixture.h"

class TestRunInputs : public enginetest::ImportRunFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }

    void refusesMissingInput_data();
    void refusesMissingInput();
    void workbookNotOpened_data();
    void workbookNotOpened();
    void sheetUnreadable_data();
    void sheetUnreadable();
    void unwritableLogRefusesTheRunBeforeTheStore();
    void logLinkedToTheStoreOrWorkbookIsRefused_data();
    void logLinkedToTheStoreOrWorkbookIsRefused();
};

void TestRunInputs::refusesMissingInput_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("categoryChosen");
    QTest::addColumn<int>("notice");
    QTest::addColumn<QString>("message");
    const auto noPath = int(importer::ImportNotice::NoWorkbookPath);
    const auto noCategory = int(importer::ImportNotice::NoCategory);
    const QString five = workbook("five-rows.xls");
    QTest::newRow("no path, no category either")
        << QString() << false << noPath << QStringLiteral("请选择要导入的电子表格！");
    QTest::newRow("no path, a category") << QString() << true << noPath << QStringLiteral("请选择要导入的电子表格！");
    QTest::newRow("no category") << five << false << noCategory << QStringLiteral("请选择所属分类！");
}

void TestRunInputs::refusesMissingInput()
{
    QFETCH(QString, path);
    QFETCH(bool, categoryChosen);
    QFETCH(int, notice);
    QFETCH(QString, message);

    session_->errorLog = QStringList{QStringLiteral("left from before")};
    importer::ImportRequest request;
    request.workbookPath = path;
    request.sheetName = QStringLiteral("Sheet1");
    if (categoryChosen)
        request.category = categories_.at(0);
    const importer::ImportOutcome outcome = importer::runImport(*session_, request, reporter_);

    QCOMPARE(outcome.end, importer::ImportOutcome::End::Refused);
    QCOMPARE(reporter_.notices.size(), 1);
    QCOMPARE(int(reporter_.notices.first().notice), notice);
    QCOMPARE(reporter_.notices.first().text, message);
    QVERIFY(!reporter_.everBusy);
    QCOMPARE(reporter_.events, QStringList{"notice"});
    QCOMPARE(session_->errorLog, QStringList{kHeader});
    QCOMPARE(logBytes(), kOldLog);
    QCOMPARE(enginetest::productCount(*store_), 2);
}

void TestRunInputs::workbookNotOpened_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("detail");
    // text and detail: the reader's reason, or its beginning (the reason goes on to say what to save the file
    // as). A missing file gets the clerks' own sentence with the reason behind it; a file that is there but
    // cannot be read is headed with the reason.
    QTest::newRow("missing file") << QStringLiteral("/nonexistent/商品.xls")
                                  << QStringLiteral("Execl文件不存在,请重新连接！")
                                  << QStringLiteral("文件“/nonexistent/商品.xls”不存在。");
    QTest::newRow("not a workbook") << testsupport::testData(QStringLiteral("engine/make_fixtures.py"))
                                    << QStringLiteral("“make_fixtures.py”不是 ") << QString();
}

void TestRunInputs::workbookNotOpened()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    QFETCH(QString, detail);
    const importer::ImportOutcome outcome = run(path);
    QCOMPARE(outcome.end, importer::ImportOutcome::End::EndedEarly);
    QCOMPARE(reporter_.notices.size(), 1);
    QCOMPARE(reporter_.notices.first().notice, importer::ImportNotice::WorkbookNotOpened);
    QCOMPARE(reporter_.notices.first().text.left(text.size()), text);
    QCOMPARE(reporter_.notices.first().detail.left(detail.size()), detail);
    if (detail.isEmpty())
        QCOMPARE(reporter_.notices.first().detail, QString());
    QCOMPARE(reporter_.statusText(), QStringLiteral("正在导入......"));
    QVERIFY(!reporter_.progressVisible);
    QVERIFY(!reporter_.busy);
    QCOMPARE(logBytes(), kOldLog);
}

void TestRunInputs::sheetUnreadable_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("message");
    const QString noSheet = QStringLiteral(
        "无法读取工作表：工作簿中没有名为“%1”的工作表，现有的工作表：“Sheet1”。\n没有导入任何记录。请检查薄名"
        "（必须与工作表的名字完全一致，大小写和空格也一样），然后再导入");
    QTest::newRow("no such sheet") << workbook("five-rows.xls") << QStringLiteral("Sheet2") << noSheet.arg("Sheet2");
    QTest::newRow("sheet name with a blank")
        << workbook("five-rows.xls") << QStringLiteral("Sheet1 ") << noSheet.arg("Sheet1 ");
    // The message goes on to name every header accepted for the field, and how to choose a column.
    QTest::newRow("no code column")
        << testsupport::testData(QStringLiteral("xls/products-xlwt.xls")) << QStringLiteral(" Sheet1 ")
        << QStringLiteral("工作表“ Sheet1 ”的前30行中没有商品编号列。商品编号列的列名可以是：商品编号、商品编码、");
}

void TestRunInputs::sheetUnreadable()
{
    QFETCH(QString, path);
    QFETCH(QString, sheet);
    QFETCH(QString, message);
    try {
        run(path, 0, sheet);
        QFAIL("the run should have ended with an error");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::SheetUnreadable);
        QVERIFY2(error.message().startsWith(message), qPrintable(error.message()));
        QVERIFY(error.message().endsWith(QStringLiteral("再导入")) ||
                error.message().endsWith(QStringLiteral("没有导入任何记录")));
    }
    QCOMPARE(reporter_.statusText(), QStringLiteral("正在导入......"));
    QVERIFY(!reporter_.progressVisible);
    QVERIFY(!reporter_.busy);
    QCOMPARE(logBytes(), kOldLog);
    QCOMPARE(enginetest::productCount(*store_), 2);
}

void TestRunInputs::unwritableLogRefusesTheRunBeforeTheStore()
{
    // The log's folder is a file: nothing can be written there, and no row is written either.
    const QString log = testsupport::testData(QStringLiteral("engine/make_fixtures.py/log.txt"));
    session_->logFilePath = log;
    try {
        run(workbook("five-rows.xls"));
        QFAIL("the run should have ended with an error");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::LogUnwritable);
        QVERIFY2(error.message().contains(log), qPrintable(error.message()));
    }
    QVERIFY(!reporter_.progressVisible);
    QVERIFY(!reporter_.busy);
    QCOMPARE(enginetest::productCount(*store_), 2);
}

void TestRunInputs::logLinkedToTheStoreOrWorkbookIsRefused_data()
{
    QTest::addColumn<QString>("target"); // what log.txt links to, in the test's folder
    QTest::newRow("the store") << QStringLiteral("demo-store.sqlite");
    QTest::newRow("the store's journal") << QStringLiteral("demo-store.sqlite-journal");
    QTest::newRow("the workbook") << QStringLiteral("five-rows.xls");
}

// The window's log.txt is a link to a file the run uses: the run refuses before it touches anything.
void TestRunInputs::logLinkedToTheStoreOrWorkbookIsRefused()
{
    QFETCH(QString, target);
    const QString book = folder_->filePath(QStringLiteral("five-rows.xls"));
    QVERIFY(QFile::copy(workbook("five-rows.xls"), book));
    QVERIFY(QFile::remove(session_->logFilePath));
    QVERIFY(QFile::link(folder_->filePath(target), session_->logFilePath));
    const auto bytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    };
    const QString storeFile = folder_->filePath(QStringLiteral("demo-store.sqlite"));
    const QByteArray storeBefore = bytes(storeFile);
    const QByteArray bookBefore = bytes(book);
    try {
        run(book);
        QFAIL("the run must refuse");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::LogClash);
        QVERIFY2(error.message().contains(session_->logFilePath), qPrintable(error.message()));
    }
    QCOMPARE(bytes(storeFile), storeBefore);
    QCOMPARE(bytes(book), bookBefore);
    QVERIFY(!QFile::exists(folder_->filePath(QStringLiteral("demo-store.sqlite-journal"))));
    QVERIFY(!reporter_.everBusy);
    QCOMPARE(enginetest::productCount(*store_), 2);
}

QTEST_GUILESS_MAIN(TestRunInputs)
#include "tst_runinputs.moc"
