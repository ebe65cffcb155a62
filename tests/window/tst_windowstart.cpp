// The import window at its start, as a clerk finds it: the store's product types, the first start of an installed
// program, a store it cannot reach, where its controls stand, how it looks and resizes, the tab order, the two
// kind boxes, and closing it.
#include "ImportWindowFixture.h"

class TestWindowStart : public windowtest::ImportWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpCase(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void startsWithTheStoresProductTypes();
    void installedFirstStartSaysSoAndMakesTheDemoStore();
    void failedConnectionReportsAndQuits_data();
    void failedConnectionReportsAndQuits();
    void controlsStandWhereTheClerkExpectsThem_data();
    void controlsStandWhereTheClerkExpectsThem();
    void windowLook();
    void dockedControlsFollowAResize();
    void tabVisitsTheControlsInOrder();
    void typeThenCategory();
    void categoryReloadEmptiesTheBox();
    void closeEndsTheWindow();
};

void TestWindowStart::startsWithTheStoresProductTypes()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    QVERIFY(w->storeConnected());
    QVERIFY(w.dialogs->informations.isEmpty());
    QCOMPARE(w.dialogs->quitRequests, 0);
    const auto* types = w.child<QComboBox>("RzComboBox1");
    QCOMPARE(itemsOf(types), QStringList({"西药", "中成药", "中药饮片", "医疗器械", "保健食品"}));
    QCOMPARE(kindField(w->productTypes(), &data::ProductKind::kindId), QStringList({"01", "02", "03", "04", "05"}));
    QCOMPARE(types->currentIndex(), -1);
    QCOMPARE(types->currentText(), QString());
    QCOMPARE(w.child<QComboBox>("splb_com")->count(), 0);
    QCOMPARE(w.child<QLineEdit>("excel")->text(), QString());
    QCOMPARE(w.child<QComboBox>("RzEdit2")->currentText(), QStringLiteral("Sheet1"));
}

// An installed program's first start for a user: no store in the user's data folder and no server (no ODBC driver
// "SQL Server" at all here). The window says where it puts the demo store, puts it there and goes on with it; the
// tooltip names the folder.
void TestWindowStart::installedFirstStartSaysSoAndMakesTheDemoStore()
{
    QTemporaryDir noDrivers;
    QVERIFY(noDrivers.isValid());
    const QByteArray savedOdbcSysIni = qgetenv("ODBCSYSINI");
    qputenv("ODBCSYSINI", QFile::encodeName(noDrivers.path()));
    const QString userFolder = folder_->file(QStringLiteral("home/product-import/"));
    QVERIFY(QDir().mkpath(userFolder));
    const importer::ProgramPlaces places{folder_->file(QStringLiteral("usr/bin/")), userFolder,
                                         importer::ProgramPlaces::DataPlace::UserDataFolder,
                                         folder_->file(QStringLiteral("usr/share/product-import/example.xls"))};
    auto dialogs = std::make_unique<RecordingDialogs>();
    RecordingDialogs* recorder = dialogs.get();
    const TFmain window(std::move(dialogs), places);
    qputenv("ODBCSYSINI", savedOdbcSysIni);

    const QString store = userFolder + QStringLiteral("database/Member.dat");
    QCOMPARE(recorder->informations.size(), 1);
    QCOMPARE(recorder->informations.constFirst().text,
             QStringLiteral("没有找到商品库，现在在 %1 建立演示商品库，可以先用它试用。")
                 .arg(QDir::toNativeSeparators(store)));
    QVERIFY(QFile::exists(store));
    QVERIFY(window.storeConnected());
    QCOMPARE(window.productTypes().size(), 5);
    QCOMPARE(recorder->quitRequests, 0);
    QVERIFY2(window.toolTip().endsWith(QDir::toNativeSeparators(userFolder)), qPrintable(window.toolTip()));
    QCOMPARE(window.session().logFilePath, userFolder + QStringLiteral("log.txt"));
}

void TestWindowStart::failedConnectionReportsAndQuits_data()
{
    QTest::addColumn<QByteArray>("storeFile");
    QTest::newRow("not a database") << QByteArray("this is a shopping list, not a store\n");
    QTest::newRow("empty file") << QByteArray();
}

void TestWindowStart::failedConnectionReportsAndQuits()
{
    QFETCH(QByteArray, storeFile);
    QVERIFY(QDir().mkpath(folder_->file(QStringLiteral("database"))));
    QFile file(data::storeFilePath(folder_->path()));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(storeFile);
    file.close();

    const Window w = openWindow(*folder_);
    QVERIFY(!w->storeConnected());
    QCOMPARE(w.dialogs->informations.size(), 1);
    const RecordedBox& box = w.dialogs->informations.constFirst();
    QCOMPARE(box.text, QStringLiteral("数据连接失败！"));
    QCOMPARE(box.caption, QStringLiteral("系统提示"));
    QCOMPARE(box.owner, w.window.get());
    QCOMPARE(box.detail, QStringLiteral("The store file %1 is neither an SQLite nor an Access database")
                             .arg(data::storeFilePath(folder_->path())));
    QCOMPARE(w.dialogs->quitRequests, 1);
    QVERIFY(w.dialogs->errors.isEmpty());
    QCOMPARE(w.child<QComboBox>("RzComboBox1")->count(), 0);
}

void TestWindowStart::controlsStandWhereTheClerkExpectsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("Image1") << "Image1"
                            << "Fmain" << QRect(0, 0, 413, 267) << "" << false;
    QTest::newRow("RzPanel1") << "RzPanel1"
                              << "Fmain" << QRect(0, 0, 413, 267) << "" << false;
    QTest::newRow("RzLabel1") << "RzLabel1"
                              << "RzPanel1" << QRect(24, 40, 66, 12) << "Excel文件：" << false;
    QTest::newRow("RzLabel2") << "RzLabel2"
                              << "RzPanel1" << QRect(232, 40, 108, 12) << "薄名：（必须正确）" << false;
    QTest::newRow("RzLabel3") << "RzLabel3"
                              << "RzPanel1" << QRect(16, 123, 84, 12) << "药品类别选择：" << false;
    QTest::newRow("RzLabel4") << "RzLabel4"
                              << "RzPanel1" << QRect(15, 81, 84, 12) << "药品类型选择：" << false;
    QTest::newRow("RzBitBtn1") << "RzBitBtn1"
                               << "RzPanel1" << QRect(80, 198, 75, 25) << "确定" << false;
    QTest::newRow("RzBitBtn2") << "RzBitBtn2"
                               << "RzPanel1" << QRect(264, 198, 75, 25) << "关闭" << false;
    QTest::newRow("RzBitBtn3") << "RzBitBtn3"
                               << "RzPanel1" << QRect(337, 52, 46, 25) << "。。。" << false;
    QTest::newRow("excel") << "excel"
                           << "RzPanel1" << QRect(16, 55, 217, 20) << "" << false;
    QTest::newRow("RzEdit2") << "RzEdit2"
                             << "RzPanel1" << QRect(232, 55, 105, 20) << "Sheet1" << false;
    QTest::newRow("splb_com") << "splb_com"
                              << "RzPanel1" << QRect(16, 138, 209, 20) << "" << false;
    QTest::newRow("ProgressBar1") << "ProgressBar1"
                                  << "RzPanel1" << QRect(0, 251, 413, 16) << "" << true;
    QTest::newRow("RzPanel2") << "RzPanel2"
                              << "RzPanel1" << QRect(0, 0, 413, 34) << "" << false;
    QTest::newRow("RzURLLabel1") << "RzURLLabel1"
                                 << "RzPanel2" << QRect(0, 22, 413, 12) << "点此查看错误的药物信息" << true;
    QTest::newRow("RzMenuButton1") << "RzMenuButton1"
                                   << "RzPanel1" << QRect(312, 118, 78, 25) << "Excel模板" << false;
    QTest::newRow("RzComboBox1") << "RzComboBox1"
                                 << "RzPanel1" << QRect(15, 96, 209, 20) << "" << false;
    // Under the category: what becomes of products the store holds already, and of repeated codes.
    QTest::newRow("existingLabel") << "existingLabel"
                                   << "RzPanel1" << QRect(16, 172, 72, 12) << "已有的商品：" << false;
    QTest::newRow("existingChoice") << "existingChoice"
                                    << "RzPanel1" << QRect(88, 168, 137, 20) << "新增为新商品" << false;
    QTest::newRow("mergeRepeats") << "mergeRepeats"
                                  << "RzPanel1" << QRect(232, 168, 158, 20) << "重复编号合并库存" << false;
}

void TestWindowStart::controlsStandWhereTheClerkExpectsThem()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(bool, hidden);
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    const auto* control = w->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    if (name == u"RzURLLabel1") {
        // As tall as its face needs to show the underline, at least 12 pixels.
        const int height = std::max(12, control->fontMetrics().height());
        geometry.setTop(34 - height);
    }
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->isHidden(), hidden);
    if (const auto* label = qobject_cast<const QLabel*>(control); label && name != u"Image1")
        QCOMPARE(label->text(), text);
    else if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        QCOMPARE(button->text(), text);
    else if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        QCOMPARE(edit->text(), text);
    else if (const auto* box = qobject_cast<const QComboBox*>(control))
        QCOMPARE(box->currentText(), text);
    if (name.startsWith(u"RzLabel") || name == u"existingLabel")
        QCOMPARE(control->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

void TestWindowStart::windowLook()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    QCOMPARE(w->objectName(), QStringLiteral("Fmain"));
    QCOMPARE(w->windowTitle(), QStringLiteral("商品资料批量导入"));
    QCOMPARE(w->size(), QSize(413, 267));
    // No smaller than the size that shows every control, each whole inside the window.
    QCOMPARE(w->minimumSize(), QSize(413, 267));
    w->resize(200, 100);
    QCOMPARE(w->size(), QSize(413, 267));
    for (const QWidget* control : w.child<QWidget>("RzPanel1")->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(w->rect().contains(control->geometry()), qPrintable(control->objectName()));
    QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w->font().family(), QStringLiteral("宋体"));
    QCOMPARE(w->font().pixelSize(), 12);
    for (int size : {16, 24, 32, 48, 64, 72, 96, 128})
        QVERIFY2(w->windowIcon().availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));

    const auto* status = w.child<QLabel>("RzURLLabel1");
    QCOMPARE(status->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QVERIFY(status->font().bold());
    QVERIFY(status->font().underline());
    QCOMPARE(status->font().pixelSize(), 12);
    QCOMPARE(status->alignment(), Qt::AlignCenter);
    QCOMPARE(status->cursor().shape(), Qt::PointingHandCursor);

    // The background picture shows through around the labels and the panels, and the buttons are pink.
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    const QImage shot = w->grab().toImage();
    const QColor besideLabel = shot.pixelColor(300, 10);
    QVERIFY2(besideLabel.red() > 240 && besideLabel.green() > 190 && besideLabel.green() < 250 &&
                 besideLabel.blue() > 210 && besideLabel.red() > besideLabel.green(),
             qPrintable(besideLabel.name()));
    QCOMPARE(shot.pixelColor(84, 210), kButtonFace);
}

void TestWindowStart::dockedControlsFollowAResize()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    w->resize(600, 320);
    QCOMPARE(w.child<QWidget>("Image1")->geometry(), QRect(0, 0, 600, 320));
    QCOMPARE(w.child<QWidget>("RzPanel1")->geometry(), QRect(0, 0, 600, 320));
    QCOMPARE(w.child<QWidget>("ProgressBar1")->geometry(), QRect(0, 304, 600, 16));
    QCOMPARE(w.child<QWidget>("RzPanel2")->geometry(), QRect(0, 0, 600, 34));
    const int statusHeight = std::max(12, w.child<QWidget>("RzURLLabel1")->fontMetrics().height());
    QCOMPARE(w.child<QWidget>("RzURLLabel1")->geometry(), QRect(0, 34 - statusHeight, 600, statusHeight));
    QCOMPARE(w.child<QWidget>("RzBitBtn1")->geometry(), QRect(80, 198, 75, 25));
}

void TestWindowStart::tabVisitsTheControlsInOrder()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w.child<QWidget>("RzBitBtn1")->setFocus();
    QStringList visited;
    for (int i = 0; i < 11; ++i) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        // The edit field of a combo box stands for the box.
        if (qobject_cast<QComboBox*>(focus->parentWidget()))
            focus = focus->parentWidget();
        visited << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(visited, QStringList({"RzBitBtn1", "RzBitBtn2", "RzBitBtn3", "excel", "RzEdit2", "splb_com",
                                   "existingChoice", "mergeRepeats", "RzMenuButton1", "RzComboBox1", "RzBitBtn1"}));
}

void TestWindowStart::typeThenCategory()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    auto* types = w.child<QComboBox>("RzComboBox1");
    auto* categories = w.child<QComboBox>("splb_com");

    pickFromList(types, 0); // 西药
    QCOMPARE(itemsOf(categories), QStringList({"青霉素类", "头孢菌素类", "解热镇痛药", "消化系统用药"}));
    QCOMPARE(kindField(w->categories(), &data::ProductKind::kindId), QStringList({"010101", "010102", "0102", "0103"}));
    QCOMPARE(kindField(w->categories(), &data::ProductKind::remark), QStringList({"XY11", "XY12", "XY2", "XY3"}));

    // An arrow key on the closed box moves to the next type and loads its categories.
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down); // 中成药
    QCOMPARE(types->currentIndex(), 1);
    QCOMPARE(itemsOf(categories), QStringList({"感冒类", "清热解毒类"}));

    // Typing a type's name does not load its categories.
    types->lineEdit()->selectAll();
    typeText(types, QStringLiteral("医疗器械"));
    QTest::keyClick(types, Qt::Key_Return);
    w.child<QWidget>("excel")->setFocus();
    QCOMPARE(itemsOf(categories), QStringList({"感冒类", "清热解毒类"}));

    // Choosing the same type twice reloads the same categories; a type without categories empties the list.
    pickFromList(types, 1);
    QCOMPARE(itemsOf(categories), QStringList({"感冒类", "清热解毒类"}));
    pickFromList(types, 4); // 保健食品
    QCOMPARE(categories->count(), 0);
    QVERIFY(w.dialogs->errors.isEmpty());
}

void TestWindowStart::categoryReloadEmptiesTheBox()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    auto* types = w.child<QComboBox>("RzComboBox1");
    auto* categories = w.child<QComboBox>("splb_com");
    pickFromList(types, 1);
    pickFromList(categories, 1);
    QCOMPARE(categories->currentText(), QStringLiteral("清热解毒类"));

    pickFromList(types, 2); // 中药饮片
    QCOMPARE(itemsOf(categories), QStringList({"根茎类", "花叶类"}));
    QCOMPARE(categories->currentIndex(), -1);
    QCOMPARE(categories->currentText(), QString()); // the other type's category is not shown as if chosen

    // An import now asks for a category, and nothing is read at index -1.
    w.child<QLineEdit>("excel")->setText(kFiveRows);
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(w.dialogs->informations.size(), 1);
    QCOMPARE(w.dialogs->informations.constFirst().text, QStringLiteral("请选择所属分类！"));
    QVERIFY(storedCodes(*folder_, QStringLiteral("B%")).isEmpty());
}

void TestWindowStart::closeEndsTheWindow()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn2"), Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(w.dialogs->informations.isEmpty());
}

QTEST_MAIN(TestWindowStart)
#include "tst_windowstart.moc"
