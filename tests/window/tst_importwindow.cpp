// The import window as a clerk uses it: the real window, offscreen, on a real SQLite demo store and real workbooks.
// Message boxes, the file dialog and the shell are recorded instead of shown.

#include "../engine/ListWorkbook.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "engine/run/ImportTexts.h"
#include "PrivateUserFolders.h"
#include "RecordingDialogs.h"
#include "store/DemoStore.h"
#include "store/StoreConnection.h"
#include "TestPaths.h"
#include "TypeText.h"
#include "window/ChineseFonts.h"
#include "window/ErrorReport.h"
#include "window/StatusLinkLabel.h"
#include "window/StyledButton.h"
#include "window/TFmain.h"
#include "window/WindowImportReporter.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const QString kFiveRows = testsupport::testData(QStringLiteral("window/five-rows.xls"));
const QString kDecorated = testsupport::testData(QStringLiteral("lists/decorated-headers.xlsx"));
const QString kTitleRows = testsupport::testData(QStringLiteral("lists/title-rows.xlsx"));
const QString kTwoCodes = testsupport::testData(QStringLiteral("lists/two-codes.xlsx"));

// A program folder of its own for each test, with a fresh demo store in database/Member.dat.
struct ProgramFolder
{
    QTemporaryDir dir;
    QString path() const { return dir.path() + u'/'; }
    QString file(const QString& name) const { return path() + name; }
    void addDemoStore() const { data::createDemoStore(data::storeFilePath(path())); }
};

struct Window
{
    RecordingDialogs* dialogs; // owned by the window
    std::unique_ptr<TFmain> window;

    TFmain* operator->() const { return window.get(); }
    template <class T> T* child(const char* name) const
    {
        T* found = window->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("the window has no %s", name);
        return found;
    }
};

Window openWindow(const ProgramFolder& folder)
{
    auto dialogs = std::make_unique<RecordingDialogs>();
    RecordingDialogs* recorder = dialogs.get();
    return {recorder, std::make_unique<TFmain>(std::move(dialogs), folder.path())};
}

// One field of every entry of a kind list, in order.
QStringList kindField(const data::ProductKindList& kinds, QString data::ProductKind::*field)
{
    QStringList values;
    for (const data::ProductKind& kind : kinds)
        values << kind.*field;
    return values;
}

QStringList itemsOf(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// Drops the list down and picks entry index with the keyboard, as a clerk does.
void pickFromList(QComboBox* box, int index)
{
    box->showPopup();
    QVERIFY(QTest::qWaitForWindowExposed(box->view()->window()));
    box->view()->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
    QVERIFY(!box->view()->isVisible());
}

QStringList storedCodes(const ProgramFolder& folder, const QString& pattern)
{
    data::Connection store;
    store.connect(data::Connection::sqliteConnectionString(data::storeFilePath(folder.path())));
    data::Query query(store);
    query.setSqlText(
        QStringLiteral("select Cpxm_bm, Cpxm_Bkind, Cpxm_Skind from Cpxm where Cpxm_bm like :aa order by Cpxm_bm"));
    query.bindText(QStringLiteral("aa"), pattern);
    query.open();
    QStringList rows;
    for (query.first(); !query.eof(); query.next()) {
        rows << query.fieldText(QStringLiteral("Cpxm_bm")) + u' ' + query.fieldText(QStringLiteral("Cpxm_Bkind")) +
                    u' ' + query.fieldText(QStringLiteral("Cpxm_Skind"));
    }
    return rows;
}

// Code and 助记码 of every product whose code is like the pattern.
QStringList storedMnemonics(const ProgramFolder& folder, const QString& pattern)
{
    data::Connection store;
    store.connect(data::Connection::sqliteConnectionString(data::storeFilePath(folder.path())));
    data::Query query(store);
    query.setSqlText(QStringLiteral("select Cpxm_bm, Cpxm_jp from Cpxm where Cpxm_bm like :aa order by Cpxm_bm"));
    query.bindText(QStringLiteral("aa"), pattern);
    query.open();
    QStringList rows;
    for (query.first(); !query.eof(); query.next())
        rows << query.fieldText(QStringLiteral("Cpxm_bm")) + u' ' + query.fieldText(QStringLiteral("Cpxm_jp"));
    return rows;
}

QStringList logLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (!bytes.endsWith("\r\n"))
        return {QStringLiteral("<no CR LF at the end>")};
    QStringDecoder gbk("GB18030");
    QString text = gbk(bytes.chopped(2));
    return text.split(QStringLiteral("\r\n"));
}

// Fills the window for the five-row sheet under 西药 / 青霉素类.
void fillForFiveRows(const Window& w)
{
    w.child<QLineEdit>("excel")->setText(kFiveRows);
    pickFromList(w.child<QComboBox>("RzComboBox1"), 0);
    pickFromList(w.child<QComboBox>("splb_com"), 0);
}

// A list written by the test (its one sheet "S"), the first product type and category picked.
void fillForList(const Window& w, const QString& path)
{
    w.child<QLineEdit>("excel")->setText(path);
    w.child<QComboBox>("RzEdit2")->setEditText(QStringLiteral("S"));
    pickFromList(w.child<QComboBox>("RzComboBox1"), 0);
    pickFromList(w.child<QComboBox>("splb_com"), 0);
}

} // namespace

class ImportWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

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
    void fullRunImportsCountsAndLogs();
    void secondRunTakesTheNextLetterWithAnEmptyBar();
    void laterRunThatCannotOpenItsWorkbookShowsAnEmptyBar();
    void clicksQueuedDuringARunAreDropped();
    void headerOnlySheet();
    void earlyEnds_data();
    void earlyEnds();
    void storeFaultSaysWhatHappened_data();
    void storeFaultSaysWhatHappened();
    void browseConfirmedAndCancelled();
    void templateExampleOpensBesideTheProgram();
    void templateMenuDropsBelowItsButton();
    void phraseMnemonicsEntryIsRemembered();
    void phraseMnemonicsChoiceThatCannotBeKeptSaysSo();
    void runChoicesAreKeptBetweenStarts_data();
    void runChoicesAreKeptBetweenStarts();
    void runChoicesAsWrittenByHand_data();
    void runChoicesAsWrittenByHand();
    void runChoiceThatCannotBeKeptSaysSo();
    void runChoicesReachTheRun_data();
    void runChoicesReachTheRun();
    void declinedUpdateRunsNothing();
    void statusLineShowsEveryKindWhole_data();
    void statusLineShowsEveryKindWhole();
    void statusOfTheLastRunIsTakenBack();
    void returnOnOkStartsTheImport_data();
    void returnOnOkStartsTheImport();
    void phraseMnemonicsEntryChoosesTheCodes_data();
    void phraseMnemonicsEntryChoosesTheCodes();
    void statusLineOpensTheLogTable();
    void sheetBoxListsTheWorkbooksSheets();
    void columnChoiceBeforeAListThatIsNotTheTemplate();
    void cancelledColumnChoiceWritesNothing();
    void rememberedChoiceFollowsItsHeaderRow();
    void listWithoutCodesIsOfferedNumbering();
    void failedRowsSavedFromTheLogTable();
    void closeEndsTheWindow();

private:
    testsupport::PrivateUserFolders userFolders_; // dialogs and settings write there, not in the user's
    std::unique_ptr<ProgramFolder> folder_;
};

void ImportWindowTest::initTestCase()
{
    installChineseFontSubstitutes();
    QVERIFY2(QFile::exists(kFiveRows), qPrintable(kFiveRows));
}

void ImportWindowTest::init()
{
    folder_ = std::make_unique<ProgramFolder>();
    QVERIFY(folder_->dir.isValid());
}

void ImportWindowTest::cleanup()
{
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    folder_.reset();
}

void ImportWindowTest::startsWithTheStoresProductTypes()
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
void ImportWindowTest::installedFirstStartSaysSoAndMakesTheDemoStore()
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

void ImportWindowTest::failedConnectionReportsAndQuits_data()
{
    QTest::addColumn<QByteArray>("storeFile");
    QTest::newRow("not a database") << QByteArray("this is a shopping list, not a store\n");
    QTest::newRow("empty file") << QByteArray();
}

void ImportWindowTest::failedConnectionReportsAndQuits()
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

void ImportWindowTest::controlsStandWhereTheClerkExpectsThem_data()
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

void ImportWindowTest::controlsStandWhereTheClerkExpectsThem()
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

void ImportWindowTest::windowLook()
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

void ImportWindowTest::dockedControlsFollowAResize()
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

void ImportWindowTest::tabVisitsTheControlsInOrder()
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

void ImportWindowTest::typeThenCategory()
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

void ImportWindowTest::categoryReloadEmptiesTheBox()
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

void ImportWindowTest::fullRunImportsCountsAndLogs()
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

void ImportWindowTest::secondRunTakesTheNextLetterWithAnEmptyBar()
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

void ImportWindowTest::laterRunThatCannotOpenItsWorkbookShowsAnEmptyBar()
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

void ImportWindowTest::clicksQueuedDuringARunAreDropped()
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

void ImportWindowTest::headerOnlySheet()
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

enum class EarlyEnd { Notice, Error };
Q_DECLARE_METATYPE(EarlyEnd)

void ImportWindowTest::earlyEnds_data()
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

void ImportWindowTest::earlyEnds()
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
void ImportWindowTest::storeFaultSaysWhatHappened_data()
{
    QTest::addColumn<bool>("logWritable");
    QTest::newRow("log.txt written") << true;
    QTest::newRow("log.txt cannot be written") << false;
}

void ImportWindowTest::storeFaultSaysWhatHappened()
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

void ImportWindowTest::browseConfirmedAndCancelled()
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

void ImportWindowTest::templateExampleOpensBesideTheProgram()
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

void ImportWindowTest::templateMenuDropsBelowItsButton()
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

void ImportWindowTest::phraseMnemonicsEntryIsRemembered()
{
    folder_->addDemoStore();
    const QString iniPath = folder_->file(QStringLiteral("product-import.ini"));
    const auto entryOf = [](const Window& w) { return w->findChild<QAction*>(QStringLiteral("N3")); };
    {
        const Window w = openWindow(*folder_);
        QAction* entry = entryOf(w);
        QVERIFY(entry);
        QCOMPARE(entry->text(), QStringLiteral("按词组生成助记码"));
        QVERIFY(entry->isCheckable());
        QVERIFY(!entry->isChecked()); // no file yet: off
        // Right below "模板事例".
        const QList<QAction*> entries = w.child<QMenu>("PopupMenu1")->actions();
        QCOMPARE(entries.indexOf(entry), entries.indexOf(w->findChild<QAction*>(QStringLiteral("N2"))) + 1);
        QVERIFY(!QFile::exists(iniPath)); // opening the window writes nothing

        entry->trigger();
        QVERIFY(entry->isChecked());
        QCOMPARE(QSettings(iniPath, QSettings::IniFormat).value(QStringLiteral("mnemonic/phrases")).toString(),
                 QStringLiteral("true"));
    }
    {
        const Window w = openWindow(*folder_);
        QVERIFY(entryOf(w)->isChecked()); // remembered by the next start of the program
        entryOf(w)->trigger();
        QVERIFY(!entryOf(w)->isChecked());
    }
    QVERIFY(!entryOf(openWindow(*folder_))->isChecked());

    // The file as a clerk or an installer writes it by hand.
    QFile ini(iniPath);
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[mnemonic]\r\nphrases=true\r\n");
    ini.close();
    QVERIFY(entryOf(openWindow(*folder_))->isChecked());
}

// A settings file that cannot be written (a folder in its place, as a read-only program folder would do): the
// choice holds for this run, and the window says that it will not be kept.
void ImportWindowTest::phraseMnemonicsChoiceThatCannotBeKeptSaysSo()
{
    folder_->addDemoStore();
    const QString iniPath = folder_->file(QStringLiteral("product-import.ini"));
    QVERIFY(QDir().mkpath(iniPath));
    const Window w = openWindow(*folder_);
    QAction* entry = w->findChild<QAction*>(QStringLiteral("N3"));
    entry->trigger();
    QVERIFY(entry->isChecked());
    QCOMPARE(w.dialogs->informations.size(), 1);
    QCOMPARE(w.dialogs->informations.constFirst().text,
             QStringLiteral("这个选择只在本次运行中有效，下次启动时不会保留：无法写入 ") +
                 QDir::toNativeSeparators(iniPath));
}

void ImportWindowTest::runChoicesAreKeptBetweenStarts_data()
{
    QTest::addColumn<int>("index"); // in the box of existing products
    QTest::addColumn<bool>("merge");
    QTest::addColumn<QString>("existing"); // as product-import.ini keeps it
    QTest::addColumn<int>("nextIndex");    // preset at the next start
    QTest::newRow("skip") << 1 << false << "skip" << 1;
    QTest::newRow("update") << 2 << false << "<none>" << 0;
    QTest::newRow("merge") << 0 << true << "<none>" << 0;
    QTest::newRow("skip and merge") << 1 << true << "skip" << 1;
    QTest::newRow("update and merge") << 2 << true << "<none>" << 0;
}

// The box of existing products and the merge check box start as every run did before and write nothing until the
// clerk changes them. Skipping is kept in product-import.ini for the next start; updating and merging, which
// change stored products, last until the program ends and are never found preset.
void ImportWindowTest::runChoicesAreKeptBetweenStarts()
{
    QFETCH(int, index);
    QFETCH(bool, merge);
    QFETCH(QString, existing);
    QFETCH(int, nextIndex);
    folder_->addDemoStore();
    const QString iniPath = folder_->file(QStringLiteral("product-import.ini"));
    {
        const Window w = openWindow(*folder_);
        auto* box = w.child<QComboBox>("existingChoice");
        auto* check = w.child<QCheckBox>("mergeRepeats");
        QCOMPARE(itemsOf(box), QStringList({"新增为新商品", "跳过已有的商品", "更新已有的商品"}));
        QCOMPARE(box->currentIndex(), 0);
        QVERIFY(!box->isEditable());
        QVERIFY(!check->isChecked());
        QVERIFY(!QFile::exists(iniPath)); // opening the window writes nothing
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        pickFromList(box, index);
        if (merge)
            QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
        QCOMPARE(check->isChecked(), merge);
        QCOMPARE(box->currentIndex(), index); // for the rest of this run of the program
    }
    const QSettings ini(iniPath, QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("import/existing"), QStringLiteral("<none>")).toString(), existing);
    QVERIFY(!ini.contains(QStringLiteral("import/repeats")));
    {
        const Window w = openWindow(*folder_);
        QCOMPARE(w.child<QComboBox>("existingChoice")->currentIndex(), nextIndex);
        QVERIFY(!w.child<QCheckBox>("mergeRepeats")->isChecked());
        // Back to the default: kept as well.
        w.child<QComboBox>("existingChoice")->setCurrentIndex(0);
    }
    const Window w = openWindow(*folder_);
    QCOMPARE(w.child<QComboBox>("existingChoice")->currentIndex(), 0);
    QVERIFY(!w.child<QCheckBox>("mergeRepeats")->isChecked());
    const QSettings reset(iniPath, QSettings::IniFormat);
    QCOMPARE(reset.value(QStringLiteral("import/existing"), QStringLiteral("add")).toString(), QStringLiteral("add"));
}

void ImportWindowTest::runChoicesAsWrittenByHand_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("index");
    // What an earlier version kept: update and merge are not preset from it.
    QTest::newRow("update, merge") << QByteArray("[import]\r\nexisting=update\r\nrepeats=merge\r\n") << 0;
    QTest::newRow("skip alone") << QByteArray("[import]\nexisting=skip\n") << 1;
    QTest::newRow("skip, merge") << QByteArray("[import]\nexisting=skip\nrepeats=merge\n") << 1;
    QTest::newRow("values the program does not know") << QByteArray("[import]\nexisting=keep\nrepeats=yes\n") << 0;
    QTest::newRow("another section") << QByteArray("[mnemonic]\nexisting=skip\nrepeats=merge\n") << 0;
}

void ImportWindowTest::runChoicesAsWrittenByHand()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, index);
    folder_->addDemoStore();
    QFile file(folder_->file(QStringLiteral("product-import.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    const Window w = openWindow(*folder_);
    QCOMPARE(w.child<QComboBox>("existingChoice")->currentIndex(), index);
    QVERIFY(!w.child<QCheckBox>("mergeRepeats")->isChecked());
    QVERIFY(w.dialogs->informations.isEmpty());
}

// A settings file that cannot be written: a choice that would be kept holds for this run, and the window says it
// will not be kept; update and merge are never kept, and need no word.
void ImportWindowTest::runChoiceThatCannotBeKeptSaysSo()
{
    folder_->addDemoStore();
    const QString iniPath = folder_->file(QStringLiteral("product-import.ini"));
    QVERIFY(QDir().mkpath(iniPath));
    const Window w = openWindow(*folder_);
    w.child<QComboBox>("existingChoice")->setCurrentIndex(2);
    w.child<QCheckBox>("mergeRepeats")->setChecked(true);
    QVERIFY(w.dialogs->informations.isEmpty());
    w.child<QComboBox>("existingChoice")->setCurrentIndex(1);
    QCOMPARE(w.dialogs->informations.size(), 1);
    QCOMPARE(w.dialogs->informations.constFirst().text,
             QStringLiteral("这个选择只在本次运行中有效，下次启动时不会保留：无法写入 ") +
                 QDir::toNativeSeparators(iniPath));
    QCOMPARE(w.child<QComboBox>("existingChoice")->currentIndex(), 1);
    QVERIFY(w.child<QCheckBox>("mergeRepeats")->isChecked());
}

void ImportWindowTest::runChoicesReachTheRun_data()
{
    QTest::addColumn<int>("index"); // in the box of existing products
    QTest::addColumn<bool>("merge");
    QTest::addColumn<QString>("named");    // between the counts and the link
    QTest::addColumn<QString>("question"); // asked on 确定, empty for none
    const QString update = QStringLiteral(
        "将更新已有商品的计量单位、成本价、销售价、最低折扣、当前库存、单品折扣和助记码（改为表中的值）。");
    const QString merge = QStringLiteral("表中重复的编号将合并库存：后面各行的当前库存加到第一行的商品上。");
    const QString ask = QStringLiteral("\n\n确定要导入吗？");
    QTest::newRow("as ever") << 0 << false << ""
                             << "";
    QTest::newRow("skip") << 1 << false << "已有0条,"
                          << "";
    QTest::newRow("update") << 2 << false << "更新0条," << update + ask;
    QTest::newRow("merge") << 0 << true << "合并0条," << merge + ask;
    QTest::newRow("update and merge") << 2 << true << "更新0条,合并0条," << update + u'\n' + merge + ask;
}

// What the clerk chose goes with the run: the status line names what became of existing products and repeated
// codes (none of the sheet's codes is in the demo store, and none repeats); the default run's line is as it
// always was.
void ImportWindowTest::runChoicesReachTheRun()
{
    QFETCH(int, index);
    QFETCH(bool, merge);
    QFETCH(QString, named);
    QFETCH(QString, question);
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    fillForFiveRows(w);
    w.child<QComboBox>("existingChoice")->setCurrentIndex(index);
    w.child<QCheckBox>("mergeRepeats")->setChecked(merge);
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(w->lastOutcome().end, importer::ImportOutcome::End::Completed);
    QCOMPARE(w.child<QLabel>("RzURLLabel1")->text(),
             QStringLiteral("共5条,正确导入3条,错误1条,空纪录1条,") + named + QStringLiteral("点此查看错误的信息！"));
    QVERIFY(w.dialogs->errors.isEmpty());
    QCOMPARE(w.dialogs->confirmations.size(), question.isEmpty() ? 0 : 1);
    if (!question.isEmpty()) {
        QCOMPARE(w.dialogs->confirmations.constFirst().text, question);
        QCOMPARE(w.dialogs->confirmations.constFirst().caption, QStringLiteral("系统提示"));
    }
}

// 取消 on the question: nothing is run, nothing written, and the status line shows no run.
void ImportWindowTest::declinedUpdateRunsNothing()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    fillForFiveRows(w);
    w.child<QComboBox>("existingChoice")->setCurrentIndex(2);
    w.dialogs->confirmAnswer = false;
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(w.dialogs->confirmations.size(), 1);
    QCOMPARE(w->lastOutcome().end, importer::ImportOutcome::End::Refused);
    QVERIFY(w.child<QLabel>("RzURLLabel1")->isHidden());
    QVERIFY(!QFile::exists(folder_->file(QStringLiteral("log.txt"))));
    QVERIFY(storedCodes(*folder_, QStringLiteral("B%")).isEmpty());
}

// Return and keypad Enter on the focused 确定 start the import, as Space does; the tab order is unchanged.
void ImportWindowTest::returnOnOkStartsTheImport_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier);
}

void ImportWindowTest::returnOnOkStartsTheImport()
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

void ImportWindowTest::phraseMnemonicsEntryChoosesTheCodes_data()
{
    QTest::addColumn<bool>("phrases");
    QTest::addColumn<QStringList>("expected");
    // 人参, 复方丹参片 with a blank of spaces, and 白术, whose 助记码 the sheet gives.
    QTest::newRow("off: characters alone") << false << QStringList({"B6001 RC", "B6002 FFDCP", "B6003 BAIZHU"});
    QTest::newRow("on: whole words") << true << QStringList({"B6001 RS", "B6002 FFDSP", "B6003 BAIZHU"});
}

void ImportWindowTest::phraseMnemonicsEntryChoosesTheCodes()
{
    QFETCH(bool, phrases);
    QFETCH(QStringList, expected);
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    if (phrases)
        w->findChild<QAction*>(QStringLiteral("N3"))->trigger();
    w.child<QLineEdit>("excel")->setText(testsupport::testData(QStringLiteral("engine/phrase-names.xls")));
    pickFromList(w.child<QComboBox>("RzComboBox1"), 0);
    pickFromList(w.child<QComboBox>("splb_com"), 0);

    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);

    QVERIFY2(w.dialogs->errors.isEmpty(), qPrintable(w.dialogs->errors.value(0).text));
    QCOMPARE(w->lastOutcome().counts.imported, 5);
    QCOMPARE(storedMnemonics(*folder_, QStringLiteral("B600_")).mid(0, 3), expected);
}

void ImportWindowTest::statusLineOpensTheLogTable()
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

void ImportWindowTest::statusLineShowsEveryKindWhole_data()
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
void ImportWindowTest::statusLineShowsEveryKindWhole()
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
void ImportWindowTest::statusOfTheLastRunIsTakenBack()
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

void ImportWindowTest::sheetBoxListsTheWorkbooksSheets()
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
void ImportWindowTest::columnChoiceBeforeAListThatIsNotTheTemplate()
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

void ImportWindowTest::cancelledColumnChoiceWritesNothing()
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
void ImportWindowTest::rememberedChoiceFollowsItsHeaderRow()
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
void ImportWindowTest::listWithoutCodesIsOfferedNumbering()
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

// The log table offers the last run's failed rows as a workbook, beside the workbook by default; the file holds
// exactly those rows, with their sheet rows and reasons.
void ImportWindowTest::failedRowsSavedFromTheLogTable()
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

void ImportWindowTest::closeEndsTheWindow()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn2"), Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(w.dialogs->informations.isEmpty());
}

QTEST_MAIN(ImportWindowTest)
#include "tst_importwindow.moc"
