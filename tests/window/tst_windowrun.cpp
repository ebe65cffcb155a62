// Imports run from the window: what it stores and logs, the bar and the status line during and after a run, runs
// that end early or meet a store fault, the status line's link to the log table and the failed rows saved from it.
#include "ImportWindowFixture.h"

enum class EarlyEnd { Notice, Error };
Q_DECLARE_METATYPE(EarlyEnd)

class TestWindowRun : public windowtest::ImportWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpCase(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void fullRunImportsCountsAndLogs();
    void secondRunTakesTheNextLetterWithAnEmptyBar();
    void laterRunThatCannotOpenItsWorkbookShowsAnEmptyBar();
    void clicksQueuedDuringARunAreDropped();
    void headerOnlySheet();
    void earlyEnds_data();
    void earlyEnds();
    void storeFaultSaysWhatHappened_data();
    void storeFaultSaysWhatHappened();
    void statusLineShowsEveryKindWhole_data();
    void statusLineShowsEveryKindWhole();
    void statusOfTheLastRunIsTakenBack();
    void returnOnOkStartsTheImport_data();
    void returnOnOkStartsTheImport();
    void statusLineOpensTheLogTable();
    void failedRowsSavedFromTheLogTable();
};

void TestWindowRun::fullRunImportsCountsAndLogs()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    fillForFiveRows(w);
    auto* bar = w.child<QProgressBar>("ProgressBar1");
    QCOMPARE(bar->value(), 0);
    QSignalSpy barMoves(bar, &QProgressBar::valueChanged);

    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);

    QVERIFY(w.dialogs->informations.isEmpty());
    QVERIFY2(w.dialogs->errors.isEmpty(), qPrintable(w.dialogs->errors.value(0).text));
    QVERIFY(w.dialogs->columnsAsked.isEmpty()); // the template itself: no question about its columns
    const auto* status = w.child<QLabel>("RzURLLabel1");
    QVERIFY(!status->isHidden());
    QCOMPARE(status->text(), QStringLiteral("共5条,正确导入3条,错误1条,空纪录1条,点此查看错误的信息！"));
    QVERIFY(bar->isHidden());
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 5);
    QCOMPARE(bar->value(), 5);
    QVERIFY(!barMoves.isEmpty());
    QCOMPARE(barMoves.constLast().at(0).toInt(), 5);

    QCOMPARE(storedCodes(*folder_, QStringLiteral("B%")),
             QStringList({"BP001 XY11 010101", "BP004 XY11 010101", "BP005 XY11 010101"}));
    const QStringList log = logLines(folder_->file(QStringLiteral("log.txt")));
    QCOMPARE(log.size(), 2);
    QCOMPARE(log.at(0), QStringLiteral("以下是导入错误的信息！"));
    QVERIFY2(log.at(1).contains(QStringLiteral("P003")), qPrintable(log.at(1)));
    QCOMPARE(w->session().errorLog, log);
    QCOMPARE(w->lastOutcome().codeLetter, QStringLiteral("B"));
}

void TestWindowRun::secondRunTakesTheNextLetterWithAnEmptyBar()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    fillForFiveRows(w);
    auto* ok = w.child<QPushButton>("RzBitBtn1");
    QTest::mouseClick(ok, Qt::LeftButton);
    auto* bar = w.child<QProgressBar>("ProgressBar1");
    QCOMPARE(bar->value(), 5);

    QSignalSpy barMoves(bar, &QProgressBar::valueChanged);
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!barMoves.isEmpty());
    QCOMPARE(barMoves.constFirst().at(0).toInt(), 0);
    QCOMPARE(bar->value(), 5);
    QCOMPARE(storedCodes(*folder_, QStringLiteral("C%")).size(), 3);
    QCOMPARE(storedCodes(*folder_, QStringLiteral("B%")).size(), 3);
    QVERIFY(w.dialogs->errors.isEmpty());
}

void TestWindowRun::laterRunThatCannotOpenItsWorkbookShowsAnEmptyBar()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    fillForFiveRows(w);
    auto* ok = w.child<QPushButton>("RzBitBtn1");
    QTest::mouseClick(ok, Qt::LeftButton);
    auto* bar = w.child<QProgressBar>("ProgressBar1");
    QCOMPARE(bar->value(), 5);

    // Behind the message of the next run the bar is shown, and it is not the last run's full bar.
    w.child<QLineEdit>("excel")->setText(folder_->file(QStringLiteral("没有这个文件.xls")));
    bool barShown = false;
    int barValue = -1;
    w.dialogs->whileBoxShown = [&] {
        barShown = bar->isVisible();
        barValue = bar->value();
    };
    QTest::mouseClick(ok, Qt::LeftButton);
    w.dialogs->whileBoxShown = nullptr;
    QCOMPARE(w.dialogs->informations.size(), 1);
    QCOMPARE(w.dialogs->informations.constFirst().text, QStringLiteral("Execl文件不存在,请重新连接！"));
    QVERIFY(barShown);
    QCOMPARE(barValue, 0);
    QVERIFY(bar->isHidden());
}

void TestWindowRun::clicksQueuedDuringARunAreDropped()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    fillForFiveRows(w);
    auto* ok = w.child<QPushButton>("RzBitBtn1");
    // An impatient second click on OK, still in the queue when the first run starts.
    const QPointF centre = QRectF(ok->rect()).center();
    QCoreApplication::postEvent(ok, new QMouseEvent(QEvent::MouseButtonPress, centre, ok->mapToGlobal(centre),
                                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(ok, new QMouseEvent(QEvent::MouseButtonRelease, centre, ok->mapToGlobal(centre),
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    QTest::mouseClick(ok, Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(storedCodes(*folder_, QStringLiteral("B%")).size(), 3);
    QVERIFY(storedCodes(*folder_, QStringLiteral("C%")).isEmpty());

    // Afterwards the button works as before.
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(storedCodes(*folder_, QStringLiteral("C%")).size(), 3);
}

void TestWindowRun::headerOnlySheet()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    fillForFiveRows(w);
    w.child<QComboBox>("RzEdit2")->setEditText(QStringLiteral("只有表头"));
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QVERIFY(w.dialogs->errors.isEmpty());
    QCOMPARE(w.child<QLabel>("RzURLLabel1")->text(), QStringLiteral("有 0条 正在导入......"));
    QVERIFY(w.child<QWidget>("ProgressBar1")->isHidden());
    QCOMPARE(logLines(folder_->file(QStringLiteral("log.txt"))), QStringList{QStringLiteral("以下是导入错误的信息！")});
}

void TestWindowRun::earlyEnds_data()
{
    QTest::addColumn<QString>("workbook"); // "<five>" the five-row sheet, "<folder>/x" a file in the program folder
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("category"); // "<pick>" the first category picked from the list, else typed
    QTest::addColumn<EarlyEnd>("end");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("status"); // "<hidden>" when the status line stays hidden

    QTest::newRow("no workbook") << ""
                                 << "Sheet1"
                                 << "<pick>" << EarlyEnd::Notice << "请选择要导入的电子表格！"
                                 << "excel"
                                 << "<hidden>";
    QTest::newRow("no workbook and no category") << ""
                                                 << "Sheet1"
                                                 << "" << EarlyEnd::Notice << "请选择要导入的电子表格！"
                                                 << "excel"
                                                 << "<hidden>";
    QTest::newRow("no category") << "<five>"
                                 << "Sheet1"
                                 << "" << EarlyEnd::Notice << "请选择所属分类！"
                                 << "splb_com"
                                 << "<hidden>";
    QTest::newRow("category typed by hand") << "<five>"
                                            << "Sheet1"
                                            << "自己写的类别" << EarlyEnd::Notice << "请选择所属分类！"
                                            << "splb_com"
                                            << "<hidden>";
    QTest::newRow("workbook missing") << "<folder>/没有这个文件.xls"
                                      << "Sheet1"
                                      << "<pick>" << EarlyEnd::Notice << "Execl文件不存在,请重新连接！"
                                      << ""
                                      << "导入已停止,没有导入任何记录";
    QTest::newRow("not a workbook") << "<folder>/not-a-workbook.xls"
                                    << "Sheet1"
                                    << "<pick>" << EarlyEnd::Notice << "“not-a-workbook.xls”不是 "
                                    << ""
                                    << "导入已停止,没有导入任何记录";
    QTest::newRow("no such worksheet") << "<five>"
                                       << "Sheet9"
                                       << "<pick>" << EarlyEnd::Error << ""
                                       << ""
                                       << "导入已停止,没有导入任何记录";
    // No column dialog for a sheet without rows: the error says it is empty.
    QTest::newRow("an empty worksheet") << testsupport::testData(QStringLiteral("xls/products-xlwt.xls")) << " Sheet1 "
                                        << "<pick>" << EarlyEnd::Error << "是空的"
                                        << ""
                                        << "导入已停止,没有导入任何记录";
}

void TestWindowRun::earlyEnds()
{
    QFETCH(QString, workbook);
    QFETCH(QString, sheet);
    QFETCH(QString, category);
    QFETCH(EarlyEnd, end);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(QString, status);

    folder_->addDemoStore();
    {
        QFile notAWorkbook(folder_->file(QStringLiteral("not-a-workbook.xls")));
        QVERIFY(notAWorkbook.open(QIODevice::WriteOnly));
        notAWorkbook.write("商品编号,商品名称\r\nP1,止咳糖浆\r\n");
    }
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    workbook.replace(QStringLiteral("<five>"), kFiveRows);
    workbook.replace(QStringLiteral("<folder>/"), folder_->path());
    w.child<QLineEdit>("excel")->setText(workbook);
    w.child<QComboBox>("RzEdit2")->setEditText(sheet);
    pickFromList(w.child<QComboBox>("RzComboBox1"), 0);
    auto* categories = w.child<QComboBox>("splb_com");
    if (category == u"<pick>")
        pickFromList(categories, 0);
    else
        categories->setEditText(category);

    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);

    if (end == EarlyEnd::Notice) {
        QCOMPARE(w.dialogs->informations.size(), 1);
        const RecordedBox& box = w.dialogs->informations.constFirst();
        QCOMPARE(box.text.left(message.size()), message);
        if (box.text != message) // a file that is there but cannot be read: headed with the reason, nothing behind
            QCOMPARE(box.detail, QString());
        QCOMPARE(box.caption, QStringLiteral("系统提示"));
        QCOMPARE(box.owner, w.window.get());
        // The box waits for the clerk, not for the run: the ordinary pointer over it.
        QCOMPARE(box.cursorWhenShown, Qt::ArrowCursor);
        QVERIFY(w.dialogs->errors.isEmpty());
    } else {
        QVERIFY(w.dialogs->informations.isEmpty());
        QCOMPARE(w.dialogs->errors.size(), 1);
        const RecordedBox& box = w.dialogs->errors.constFirst();
        QCOMPARE(box.caption, applicationTitle());
        QCOMPARE(box.owner, w.window.get());
        QVERIFY2(box.text.contains(sheet), qPrintable(box.text));
        QVERIFY2(box.text.contains(message), qPrintable(box.text));
        QVERIFY(w.dialogs->columnsAsked.isEmpty());
    }
    if (!focus.isEmpty()) {
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused);
        if (qobject_cast<QComboBox*>(focused->parentWidget()))
            focused = focused->parentWidget();
        QCOMPARE(focused->objectName(), focus);
    }
    const auto* statusLine = w.child<QLabel>("RzURLLabel1");
    if (status == u"<hidden>") {
        QVERIFY(statusLine->isHidden());
    } else {
        QVERIFY(!statusLine->isHidden());
        QCOMPARE(statusLine->text(), status);
    }
    QVERIFY(w.child<QWidget>("ProgressBar1")->isHidden());
    QVERIFY(!QFile::exists(folder_->file(QStringLiteral("log.txt"))));
    QVERIFY(storedCodes(*folder_, QStringLiteral("B%")).isEmpty());
}

// The store refuses the first row (a column of Cpxm is missing): the status line says the run stopped and that
// nothing was stored, and the message says only what happened to the rows and to log.txt.
void TestWindowRun::storeFaultSaysWhatHappened_data()
{
    QTest::addColumn<bool>("logWritable");
    QTest::newRow("log.txt written") << true;
    QTest::newRow("log.txt cannot be written") << false;
}

void TestWindowRun::storeFaultSaysWhatHappened()
{
    QFETCH(bool, logWritable);
    folder_->addDemoStore();
    {
        data::Connection store;
        store.connect(data::Connection::sqliteConnectionString(data::storeFilePath(folder_->path())));
        data::Query query(store);
        query.setSqlText(QStringLiteral("alter table Cpxm drop column Cpxm_fw"));
        query.execSql();
    }
    if (!logWritable) // a folder where the file should be: it cannot be written
        QVERIFY(QDir().mkpath(folder_->file(QStringLiteral("log.txt"))));
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    fillForFiveRows(w);
    const QString statusBefore = w.child<QLabel>("RzURLLabel1")->text();
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);

    QCOMPARE(w.dialogs->errors.size(), 1);
    const QString message = w.dialogs->errors.constFirst().text;
    QVERIFY2(message.contains(QStringLiteral("没有导入任何记录")), qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("此前导入")), qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("已写入 log.txt")), qPrintable(message));
    // A log that cannot be written refuses the run before the store is touched, naming the log's path.
    QCOMPARE(message.contains(QStringLiteral("无法保存到 ") + folder_->file(QStringLiteral("log.txt"))), !logWritable);
    // Refused before the run began, the status line stays as it was.
    const auto* statusLine = w.child<QLabel>("RzURLLabel1");
    QCOMPARE(statusLine->text(), logWritable ? QStringLiteral("导入已停止,没有导入任何记录") : statusBefore);
    QVERIFY(w.child<QWidget>("ProgressBar1")->isHidden());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(storedCodes(*folder_, QStringLiteral("B%")).isEmpty());
}

void TestWindowRun::statusLineShowsEveryKindWhole_data()
{
    QTest::addColumn<int>("existing");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("rows");
    using importer::ExistingChoice;
    using importer::RepeatChoice;
    for (const int rows : {851, 1234567}) {
        for (const ExistingChoice existing : {ExistingChoice::Add, ExistingChoice::Skip, ExistingChoice::Update}) {
            for (const RepeatChoice repeats : {RepeatChoice::Fail, RepeatChoice::Merge}) {
                QTest::addRow("%s, %s, %d rows", qPrintable(importer::choiceName(existing)),
                              qPrintable(importer::choiceName(repeats)), rows)
                    << int(existing) << int(repeats) << rows;
            }
        }
    }
}

// Every kind of summary, with counts of up to seven digits, is shown whole in the window's font at the window's
// smallest size: wrapped inside the status area where one line is too short, never cut; the tooltip holds it too.
void TestWindowRun::statusLineShowsEveryKindWhole()
{
    QFETCH(int, existing);
    QFETCH(int, repeats);
    QFETCH(int, rows);
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QCOMPARE(w->size(), w->minimumSize());
    auto* status = w.child<StatusLinkLabel>("RzURLLabel1");
    const auto choice = importer::ExistingChoice(existing);
    const auto repeatChoice = importer::RepeatChoice(repeats);
    importer::ImportCounts counts;
    counts.imported = rows / 7;
    counts.failed = rows / 7;
    counts.empty = rows / 7;
    counts.existing = choice == importer::ExistingChoice::Skip ? rows / 7 : 0;
    counts.updated = choice == importer::ExistingChoice::Update ? rows / 7 : 0;
    counts.merged = repeatChoice == importer::RepeatChoice::Merge ? rows / 7 : 0;
    {
        WindowImportReporter reporter(*w.dialogs,
                                      {w.window.get(), status, w.child<QProgressBar>("ProgressBar1"),
                                       w.child<QWidget>("excel"), w.child<QWidget>("splb_com")},
                                      choice, repeatChoice);
        reporter.runStarted();
        reporter.codeLetterChosen(QStringLiteral("B"));
        reporter.rowsCounted(rows);
        reporter.rowHandled(rows, counts);
        reporter.runEnded();
    }
    const QString text = importer::texts::rowSummary(rows, counts, choice, repeatChoice);
    QVERIFY(text.startsWith(QStringLiteral("共%1条,").arg(rows)));
    QCOMPARE(status->text(), text);
    QCOMPARE(status->toolTip(), text);
    QVERIFY(status->wordWrap());
    // The text laid out as the label draws it, in the label's own font, fits the label; the label stays inside the
    // status area, above the controls.
    const QRect needed = status->fontMetrics().boundingRect(QRect(QPoint(0, 0), status->size()),
                                                            int(status->alignment()) | Qt::TextWordWrap, text);
    const QFontMetrics metrics = status->fontMetrics();
    QVERIFY2(needed.width() <= status->width(), qPrintable(QString::number(needed.width())));
    if (metrics.horizontalAdvance(text) <= status->width())
        QCOMPARE(status->height(), std::max(12, metrics.height())); // one line, where it always stood
    else
        QVERIFY2(needed.height() <= status->height(),
                 qPrintable(QStringLiteral("%1 lines in %2").arg(needed.height()).arg(status->height())));
    const QWidget* area = w.child<QWidget>("RzPanel2");
    QVERIFY(area->rect().contains(status->geometry()));
    QCOMPARE(status->geometry().bottom(), area->rect().bottom()); // grows upwards from its one-line place
}

// The status line of the last run goes away when the clerk turns to another workbook or calls a run off in the
// column dialog; the same workbook picked again keeps it.
void TestWindowRun::statusOfTheLastRunIsTakenBack()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    auto* status = w.child<QLabel>("RzURLLabel1");
    fillForFiveRows(w);
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QVERIFY(status->isVisible());

    w.dialogs->pickerAnswers.push_back(kFiveRows);
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn3"), Qt::LeftButton);
    QVERIFY(status->isVisible());
    w.dialogs->pickerAnswers.push_back(kTwoCodes);
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn3"), Qt::LeftButton);
    QVERIFY(status->isHidden());
    QCOMPARE(status->toolTip(), QString());

    // Typed, on leaving the box: the same.
    w.child<QLineEdit>("excel")->setText(kFiveRows);
    w.child<QComboBox>("RzEdit2")->setEditText(QStringLiteral("Sheet1"));
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QVERIFY(status->isVisible());
    auto* path = w.child<QLineEdit>("excel");
    path->setFocus();
    path->setText(kDecorated);
    QTest::keyClick(path, Qt::Key_Tab);
    QVERIFY(status->isHidden());

    // The column dialog cancelled, for the workbook of the last run.
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QVERIFY(status->isVisible());
    w.dialogs->answerColumns = [](const importer::SheetLayout&) { return std::nullopt; };
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(w.dialogs->columnsAsked.size(), 2);
    QVERIFY(status->isHidden());
}

// Return and keypad Enter on the focused 确定 start the import, as Space does; the tab order is unchanged.
void TestWindowRun::returnOnOkStartsTheImport_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier);
}

void TestWindowRun::returnOnOkStartsTheImport()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    fillForFiveRows(w);
    auto* ok = w.child<QPushButton>("RzBitBtn1");
    ok->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w->lastOutcome().end, importer::ImportOutcome::End::Completed);
    QCOMPARE(w->lastOutcome().rowTotal, 5);
    QCOMPARE(ok->nextInFocusChain(), w.child<QWidget>("RzBitBtn2"));
}

void TestWindowRun::statusLineOpensTheLogTable()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    auto* status = w.child<QLabel>("RzURLLabel1");
    status->show();

    // No log yet: nothing happens, nothing is shown.
    QTest::mouseClick(status, Qt::LeftButton);
    QVERIFY(w.dialogs->logsShown.isEmpty());
    QVERIFY(w.dialogs->informations.isEmpty());
    QVERIFY(w.dialogs->errors.isEmpty());

    // After a run: the window's table of log.txt, decoded; the file stays as it is, and the desktop's program for
    // it is left to the table's own button.
    fillForFiveRows(w);
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    const QString logPath = folder_->file(QStringLiteral("log.txt"));
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray onDisk = log.readAll();
    log.close();
    const QStringList lines = logLines(logPath);
    QCOMPARE(lines.size(), 2);
    QTest::mouseClick(status, Qt::LeftButton);
    QCOMPARE(w.dialogs->logsShown.size(), 1);
    QCOMPARE(w.dialogs->logsShown.constFirst().path, logPath);
    QCOMPARE(w.dialogs->logsShown.constFirst().text, lines.join(u'\n') + u'\n');
    QVERIFY(w.dialogs->opened.isEmpty());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), onDisk);
}

// The log table offers the last run's failed rows as a workbook, beside the workbook by default; the file holds
// exactly those rows, with their sheet rows and reasons.
void TestWindowRun::failedRowsSavedFromTheLogTable()
{
    folder_->addDemoStore();
    const QString list = folder_->file(QStringLiteral("list.xlsx"));
    enginetest::writeListWorkbook(
        list, {{"编码", "名称", "售价"}, {"A1", "甘草", "3"}, {"A1", "黄芪", "5"}, {"A2", "当归", "个"}});
    const Window w = openWindow(*folder_);
    fillForList(w, list);
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    const QString saved = folder_->file(QStringLiteral("改好再导入.xlsx"));
    w.dialogs->pressSaveFailedRows = true;
    w.dialogs->failedRowsAnswer = saved;
    QTest::mouseClick(w.child<QLabel>("RzURLLabel1"), Qt::LeftButton);
    QVERIFY(w.dialogs->failedRowsSavable);
    QCOMPARE(w.dialogs->failedRowsStartFiles, QStringList{folder_->file(QStringLiteral("list-出错的行.xlsx"))});
    const data::Worksheet back = data::Workbook::open(saved).sheet(QStringLiteral("出错的行"));
    QCOMPARE(back.rowCount(), 3);
    QCOMPARE(back.cellText(0, 4), QStringLiteral("原因"));
    QCOMPARE(back.cellText(1, 3), QStringLiteral("3"));
    QCOMPARE(back.cellText(2, 0), QStringLiteral("A2"));
    QCOMPARE(back.cellText(2, 4), QStringLiteral("售价“个”不是数字"));
}

QTEST_MAIN(TestWindowRun)
#include "tst_windowrun.moc"
