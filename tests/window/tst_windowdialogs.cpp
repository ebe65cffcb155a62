// The window's dialogs and menus: the file dialog, the template example and its menu, the sheet box, and the
// column choice before a list that is not the template.
#include "ImportWindowFixture.h"

class TestWindowDialogs : public windowtest::ImportWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpCase(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void browseConfirmedAndCancelled();
    void templateExampleOpensBesideTheProgram();
    void templateMenuDropsBelowItsButton();
    void sheetBoxListsTheWorkbooksSheets();
    void columnChoiceBeforeAListThatIsNotTheTemplate();
    void cancelledColumnChoiceWritesNothing();
    void rememberedChoiceFollowsItsHeaderRow();
    void listWithoutCodesIsOfferedNumbering();
};

void TestWindowDialogs::browseConfirmedAndCancelled()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    auto* path = w.child<QLineEdit>("excel");
    auto* browse = w.child<QPushButton>("RzBitBtn3");
    const QString chosen = folder_->file(QStringLiteral("新建商品表.xls"));

    // Cancelled at first: the empty path stays empty.
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(path->text(), QString());

    w.dialogs->pickerAnswers.push_back(chosen);
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(path->text(), QDir::toNativeSeparators(chosen));

    // A path typed by hand is not where the dialog starts; a cancel keeps the text as it is.
    path->setText(QStringLiteral("/somewhere/else.xls"));
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(path->text(), QStringLiteral("/somewhere/else.xls"));
    QCOMPARE(w.dialogs->pickerStartFiles, QStringList({"", "", chosen}));
    QCOMPARE(w.child<QComboBox>("RzEdit2")->currentText(), QStringLiteral("Sheet1"));
}

void TestWindowDialogs::templateExampleOpensBesideTheProgram()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    auto* example = w->findChild<QAction*>(QStringLiteral("N2"));
    QVERIFY(example);
    QCOMPARE(example->text(), QStringLiteral("模板事例"));

    example->trigger();
    QCOMPARE(w.dialogs->opened.size(), 1);
    QCOMPARE(w.dialogs->opened.constFirst().url,
             QUrl::fromLocalFile(folder_->file(QStringLiteral("商品信息导入格式事例.xls"))));
    QVERIFY(w.dialogs->opened.constFirst().hourglassWhileOpening);
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // A desktop that fails: the error is reported and the pointer is the default one again.
    w.dialogs->failOpening = true;
    example->trigger();
    QCOMPARE(w.dialogs->opened.size(), 2);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(w.dialogs->errors.size(), 1);
    QCOMPARE(w.dialogs->errors.constFirst().text, QStringLiteral("no program opens this file."));
    QVERIFY(w.dialogs->informations.isEmpty());

    // A desktop with no program for it: the window says so and where the file is.
    w.dialogs->failOpening = false;
    w.dialogs->noLauncher = true;
    QFile exampleFile(folder_->file(QStringLiteral("商品信息导入格式事例.xls")));
    QVERIFY(exampleFile.open(QIODevice::WriteOnly));
    exampleFile.close();
    example->trigger();
    QCOMPARE(w.dialogs->informations.size(), 1);
    QCOMPARE(w.dialogs->informations.constFirst().text,
             QStringLiteral("这台电脑上没有能打开模板事例的程序。模板事例在：\n") +
                 QDir::toNativeSeparators(exampleFile.fileName()));
    QVERIFY(exampleFile.remove());
    example->trigger();
    QCOMPARE(w.dialogs->informations.size(), 2);
    QVERIFY(w.dialogs->informations.constLast().text.startsWith(QStringLiteral("模板事例不存在：\n")));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestWindowDialogs::templateMenuDropsBelowItsButton()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    auto* button = w.child<QPushButton>("RzMenuButton1");
    auto* menu = w.child<QMenu>("PopupMenu1");
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), button->mapToGlobal(QPoint(0, button->height())));
    menu->close();
}

void TestWindowDialogs::sheetBoxListsTheWorkbooksSheets()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    auto* sheets = w.child<QComboBox>("RzEdit2");
    // Picked with the browse button: the products stand on 饮片, beside an empty Sheet1.
    w.dialogs->pickerAnswers.push_back(kTitleRows);
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn3"), Qt::LeftButton);
    QCOMPARE(itemsOf(sheets), (QStringList{"Sheet1", "饮片"}));
    QCOMPARE(sheets->currentText(), QStringLiteral("饮片"));
    // Typed, on leaving the box: Sheet1 has the products.
    auto* path = w.child<QLineEdit>("excel");
    path->setFocus();
    path->setText(kTwoCodes);
    QTest::keyClick(path, Qt::Key_Tab);
    QCOMPARE(itemsOf(sheets), QStringList{"Sheet1"});
    QCOMPARE(sheets->currentText(), QStringLiteral("Sheet1"));
    // A name typed is used as typed: no completion to a sheet of the list.
    sheets->setFocus();
    sheets->lineEdit()->selectAll();
    QTest::keyClicks(sheets->lineEdit(), QStringLiteral("sheet"));
    QCOMPARE(sheets->currentText(), QStringLiteral("sheet"));
}

// A list that is not the template: the clerk sees which column feeds each field, preset from what was found,
// changes one, and the run stores the choice; the next run of a sheet with the same header row starts from it.
void TestWindowDialogs::columnChoiceBeforeAListThatIsNotTheTemplate()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w.child<QLineEdit>("excel")->setText(kDecorated);
    pickFromList(w.child<QComboBox>("RzComboBox1"), 0);
    pickFromList(w.child<QComboBox>("splb_com"), 0);
    w.dialogs->answerColumns = [](const importer::SheetLayout& preset) {
        importer::SheetLayout changed = preset;
        changed.columns[std::size_t(importer::indexOf(importer::ProductColumn::Unit))] = -1; // 计量单位: (无)
        changed.further.emplace_back(QStringLiteral("Cpxm_gg"), 7); // 备注 into the store's 规格 column
        return std::optional(changed);
    };
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);

    QCOMPARE(w.dialogs->columnsAsked.size(), 1);
    const importer::SheetLayout& preset = w.dialogs->columnsAsked[0].preset;
    QCOMPARE(preset.headerRow, 0);
    QCOMPARE(preset.column(importer::ProductColumn::Code), 0);
    QCOMPARE(preset.column(importer::ProductColumn::Unit), 2);
    QCOMPARE(preset.column(importer::ProductColumn::Mnemonic), 6);
    QCOMPARE(preset.column(importer::ProductColumn::MinDiscount), -1);
    QCOMPARE(w.dialogs->columnsAsked[0].furtherColumns,
             (QStringList{"Cpxm_gg", "Cpxm_cd", "Cpxm_txm", "Cpxm_zt"})); // the store's own, not the twenty
    QVERIFY(preset.further.empty());
    QCOMPARE(w.child<QLabel>("RzURLLabel1")->text(),
             QStringLiteral("共3条,正确导入3条,错误0条,空纪录0条,点此查看错误的信息！"));
    QCOMPARE(storedCodes(*folder_, QStringLiteral("BP%")).size(), 3);
    data::Connection store;
    store.connect(data::Connection::sqliteConnectionString(data::storeFilePath(folder_->path())));
    data::Query query(store);
    query.setSqlText(QStringLiteral("select count(*) as n from Cpxm where Cpxm_bm like 'BP%' and Cpxm_dw = ''"));
    query.open();
    QCOMPARE(query.fieldText(QStringLiteral("n")), QStringLiteral("3"));
    query.setSqlText(QStringLiteral("select Cpxm_gg as g from Cpxm where Cpxm_bm = 'BP001'"));
    query.open();
    QCOMPARE(query.fieldText(QStringLiteral("g")), QStringLiteral("常用"));

    // Remembered: a new window over the same program folder presets the choice made.
    const Window again = openWindow(*folder_);
    again.child<QLineEdit>("excel")->setText(kDecorated);
    pickFromList(again.child<QComboBox>("RzComboBox1"), 0);
    pickFromList(again.child<QComboBox>("splb_com"), 0);
    again.dialogs->answerColumns = [](const importer::SheetLayout&) { return std::nullopt; };
    QTest::mouseClick(again.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(again.dialogs->columnsAsked.size(), 1);
    QCOMPARE(again.dialogs->columnsAsked[0].preset.column(importer::ProductColumn::Unit), -1);
    QCOMPARE(again.dialogs->columnsAsked[0].preset.column(importer::ProductColumn::Code), 0);
    QCOMPARE(again.dialogs->columnsAsked[0].preset.further,
             (std::vector<std::pair<QString, int>>{{QStringLiteral("Cpxm_gg"), 7}}));
}

void TestWindowDialogs::cancelledColumnChoiceWritesNothing()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w.child<QLineEdit>("excel")->setText(kTitleRows);
    w.child<QComboBox>("RzEdit2")->setEditText(QStringLiteral("饮片"));
    pickFromList(w.child<QComboBox>("RzComboBox1"), 0);
    pickFromList(w.child<QComboBox>("splb_com"), 0);
    w.dialogs->answerColumns = [](const importer::SheetLayout&) { return std::nullopt; };
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(w.dialogs->columnsAsked.size(), 1);
    QCOMPARE(w.dialogs->columnsAsked[0].preset.headerRow, 6);
    QVERIFY(w.child<QLabel>("RzURLLabel1")->isHidden());
    QVERIFY(!QFile::exists(folder_->file(QStringLiteral("log.txt"))));
    QCOMPARE(storedCodes(*folder_, QStringLiteral("%")).size(), 2);
}

// A choice remembered for a header row is preset where those texts stand now: two title rows above them make the
// header row 3, not the first row.
void TestWindowDialogs::rememberedChoiceFollowsItsHeaderRow()
{
    folder_->addDemoStore();
    const QString first = folder_->file(QStringLiteral("first.xlsx"));
    const QString moved = folder_->file(QStringLiteral("moved.xlsx"));
    enginetest::writeListWorkbook(first, {{"货号", "品名", "产地"}, {"P1", "甘草", "甘肃"}});
    enginetest::writeListWorkbook(moved,
                                  {{"价目表"}, {"2026年12月"}, {"货号", "品名", "产地"}, {"P2", "黄芪", "内蒙古"}});
    const Window w = openWindow(*folder_);
    fillForList(w, first);
    w.dialogs->answerColumns = [](const importer::SheetLayout& preset) {
        importer::SheetLayout changed = preset;
        changed.further.emplace_back(QStringLiteral("Cpxm_cd"), 2);
        return std::optional(changed);
    };
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(w.dialogs->columnsAsked.size(), 1);

    const Window again = openWindow(*folder_);
    fillForList(again, moved);
    again.dialogs->answerColumns = [](const importer::SheetLayout&) { return std::nullopt; };
    QTest::mouseClick(again.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(again.dialogs->columnsAsked.size(), 1);
    const importer::SheetLayout& preset = again.dialogs->columnsAsked[0].preset;
    QCOMPARE(preset.headerRow, 2);
    QCOMPARE(preset.column(importer::ProductColumn::Code), 0);
    QCOMPARE(preset.further, (std::vector<std::pair<QString, int>>{{QStringLiteral("Cpxm_cd"), 2}}));
}

// A list of names without codes: the dialog presets numbering and every field that was found.
void TestWindowDialogs::listWithoutCodesIsOfferedNumbering()
{
    folder_->addDemoStore();
    const QString list = folder_->file(QStringLiteral("names.xlsx"));
    enginetest::writeListWorkbook(
        list, {{"序号", "品名", "单位", "含税价"}, {"1", "甘草", "克", "0.2"}, {"2", "黄芪", "克", "0.3"}});
    const Window w = openWindow(*folder_);
    fillForList(w, list);
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(w.dialogs->columnsAsked.size(), 1);
    const importer::SheetLayout& preset = w.dialogs->columnsAsked[0].preset;
    QCOMPARE(preset.column(importer::ProductColumn::Code), importer::kAutoNumber);
    QCOMPARE(preset.column(importer::ProductColumn::Name), 1);
    QCOMPARE(preset.column(importer::ProductColumn::Unit), 2);
    QCOMPARE(preset.column(importer::ProductColumn::SalePrice), 3);
    // Taken as preset, both products are stored under their places.
    QCOMPARE(storedCodes(*folder_, QStringLiteral("B%")).size(), 2);
}

QTEST_MAIN(TestWindowDialogs)
#include "tst_windowdialogs.moc"
