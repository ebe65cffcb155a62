#include "window/TFmain.h"

#include "db/DatabaseError.h"
#include "engine/program/ProgramStore.h"
#include "engine/run/FurtherColumns.h"
#include "engine/run/OfferedCategories.h"
#include "engine/run/RunChecks.h"
#include "engine/sheet/ProductSheet.h"
#include "engine/writes/ErrorLogFile.h"
#include "engine/writes/FailedRows.h"
#include "store/StoreConnection.h"
#include "window/BusyCursor.h"
#include "window/ChineseFonts.h"
#include "window/DesktopDialogs.h"
#include "window/DockingPanel.h"
#include "window/ErrorReport.h"
#include "window/InputBlocker.h"
#include "window/KindComboBox.h"
#include "window/LogViewer.h"
#include "window/MenuDropButton.h"
#include "window/RunChange.h"
#include "window/StatusLinkLabel.h"
#include "window/StyledButton.h"
#include "window/TransparentLabel.h"
#include "window/WindowDialogs.h"
#include "window/WindowImportReporter.h"
#include "window/WindowResources.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace {

const QString kNoticeCaption = QStringLiteral("系统提示");
const QString kExampleWorkbook = QStringLiteral("商品信息导入格式事例.xls");
constexpr QColor kLabelRed{255, 0, 0};
constexpr QSize kClientSize{413, 267};
// The choices for products the store holds already, in the order of the box.
constexpr importer::ExistingChoice kExistingChoices[] = {importer::ExistingChoice::Add, importer::ExistingChoice::Skip,
                                                         importer::ExistingChoice::Update};

// A red label or a styled button of the panel, placed as the window always had it.
TransparentLabel* makeLabel(QWidget* panel, const char* name, const QString& text, int x, int y, int w)
{
    auto* label = new TransparentLabel(text, kLabelRed, panel);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(x, y, w, 12);
    return label;
}

StyledButton* makeButton(QWidget* panel, const char* name, const QString& text, int x, int y, int w)
{
    auto* button = new StyledButton(text, panel);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(x, y, w, 25);
    return button;
}

} // namespace

TFmain::TFmain(QWidget* parent)
    : TFmain(std::make_unique<DesktopDialogs>(), importer::ProgramPlaces::ofThisProgram(), parent)
{
}

TFmain::TFmain(std::unique_ptr<WindowDialogs> dialogs, const QString& programFolder, QWidget* parent)
    : TFmain(std::move(dialogs),
             importer::ProgramPlaces{programFolder, programFolder, importer::ProgramPlaces::DataPlace::ProgramFolder,
                                     programFolder + kExampleWorkbook},
             parent)
{
}

TFmain::TFmain(std::unique_ptr<WindowDialogs> dialogs, const importer::ProgramPlaces& places, QWidget* parent)
    : QWidget(parent), dialogs_(std::move(dialogs)), places_(places), programFolder_(places.dataFolder),
      settings_(places.dataFolder), session_{ADOCon, ADOQuery2, importer::errorLogPath(places.dataFolder), {}}
{
    setToolTip(QStringLiteral("商品库、log.txt 和 product-import.ini 所在的文件夹：%1")
                   .arg(QDir::toNativeSeparators(places.dataFolder)));
    setObjectName(QStringLiteral("Fmain"));
    setWindowTitle(QStringLiteral("商品资料批量导入"));
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont face(QString::fromUtf16(kWindowFontFamily));
    face.setPixelSize(kWindowFontPixels);
    setFont(face);
    resize(kClientSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    createControls();
    // Every control stands at a fixed place: a smaller window would cut them off.
    setMinimumSize(kClientSize);
    FormCreate();
}

TFmain::~TFmain() = default;

void TFmain::createControls()
{
    createPanels();
    createWorkbookInputs();
    createRunChoices();
    createProgressAndStatus();
    createTemplateMenu();
    createTypeChoice();
    orderTabs();
    connectControls();
    RzBitBtn1->setFocus(Qt::OtherFocusReason);
}

// The background picture and the panel everything else stands on.
void TFmain::createPanels()
{
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(backgroundPicture());
    Image1->setScaledContents(true);

    RzPanel1 = new DockingPanel(this);
    RzPanel1->setObjectName(QStringLiteral("RzPanel1"));
}

// The workbook's path and sheet, the category, the buttons and their labels.
void TFmain::createWorkbookInputs()
{
    RzLabel1 = makeLabel(RzPanel1, "RzLabel1", QStringLiteral("Excel文件："), 24, 40, 66);
    RzLabel2 = makeLabel(RzPanel1, "RzLabel2", QStringLiteral("薄名：（必须正确）"), 232, 40, 108);
    RzLabel3 = makeLabel(RzPanel1, "RzLabel3", QStringLiteral("药品类别选择："), 16, 123, 84);
    RzLabel4 = makeLabel(RzPanel1, "RzLabel4", QStringLiteral("药品类型选择："), 15, 81, 84);

    RzBitBtn1 = makeButton(RzPanel1, "RzBitBtn1", QStringLiteral("确定"), 80, 198, 75);
    RzBitBtn2 = makeButton(RzPanel1, "RzBitBtn2", QStringLiteral("关闭"), 264, 198, 75);
    RzBitBtn3 = makeButton(RzPanel1, "RzBitBtn3", QStringLiteral("。。。"), 337, 52, 46);

    excel = new QLineEdit(RzPanel1);
    excel->setObjectName(QStringLiteral("excel"));
    excel->setGeometry(16, 55, 217, 20);
    RzEdit2 = new QComboBox(RzPanel1);
    RzEdit2->setObjectName(QStringLiteral("RzEdit2"));
    RzEdit2->setEditable(true);
    RzEdit2->setCompleter(nullptr);                // a typed name is used exactly as typed
    RzEdit2->setInsertPolicy(QComboBox::NoInsert); // and never added to the workbook's sheets
    RzEdit2->setEditText(QStringLiteral("Sheet1"));
    RzEdit2->setGeometry(232, 55, 105, 20);

    splb_com = new KindComboBox(RzPanel1);
    splb_com->setObjectName(QStringLiteral("splb_com"));
    splb_com->setGeometry(16, 138, 209, 20);
}

// What the run does with products the store holds already and with repeated codes, as the clerk last chose.
void TFmain::createRunChoices()
{
    existingLabel = makeLabel(RzPanel1, "existingLabel", QStringLiteral("已有的商品："), 16, 172, 72);
    existingChoice = new QComboBox(RzPanel1);
    existingChoice->setObjectName(QStringLiteral("existingChoice"));
    existingLabel->setBuddy(existingChoice);
    existingChoice->addItems(
        {QStringLiteral("新增为新商品"), QStringLiteral("跳过已有的商品"), QStringLiteral("更新已有的商品")});
    existingChoice->setToolTip(QStringLiteral("商品库里已有同一编号（或一个字母加同一编号）的商品时怎么做；"
                                              "“更新已有的商品”只在本次运行中有效，下次启动时不会预选"));
    existingChoice->setGeometry(88, 168, 137, 20);
    const importer::ExistingChoice keptExisting = settings_.existingChoice();
    for (int i = 0; i < int(std::size(kExistingChoices)); ++i) {
        if (kExistingChoices[i] == keptExisting)
            existingChoice->setCurrentIndex(i);
    }
    mergeRepeats = new QCheckBox(QStringLiteral("重复编号合并库存"), RzPanel1);
    mergeRepeats->setObjectName(QStringLiteral("mergeRepeats"));
    mergeRepeats->setToolTip(
        QStringLiteral("表中重复的编号不算错误，它的库存加到第一行的商品上；只在本次运行中有效，下次启动时不会预选"));
    mergeRepeats->setGeometry(232, 168, 158, 20);
}

// The progress bar at the bottom and the status line above it.
void TFmain::createProgressAndStatus()
{
    ProgressBar1 = new QProgressBar(RzPanel1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->hide();
    RzPanel1->dock(ProgressBar1, Qt::BottomEdge, 16);

    RzPanel2 = new DockingPanel(RzPanel1);
    RzPanel2->setObjectName(QStringLiteral("RzPanel2"));
    RzPanel1->dock(RzPanel2, Qt::TopEdge, 34);
    RzURLLabel1 = new StatusLinkLabel(QStringLiteral("点此查看错误的药物信息"), RzPanel2);
    RzURLLabel1->setObjectName(QStringLiteral("RzURLLabel1"));
    RzURLLabel1->hide();
    RzPanel2->dock(RzURLLabel1, Qt::BottomEdge, RzURLLabel1->heightFor(kClientSize.width()));
}

// The template button's menu: the example workbook and the phrase mnemonics.
void TFmain::createTemplateMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* N2 = PopupMenu1->addAction(QStringLiteral("模板事例"));
    N2->setObjectName(QStringLiteral("N2"));
    N3 = PopupMenu1->addAction(QStringLiteral("按词组生成助记码"));
    N3->setObjectName(QStringLiteral("N3"));
    N3->setCheckable(true);
    N3->setChecked(settings_.phraseMnemonics());
    RzMenuButton1 = new MenuDropButton(QStringLiteral("Excel模板"), PopupMenu1, RzPanel1);
    RzMenuButton1->setObjectName(QStringLiteral("RzMenuButton1"));
    RzMenuButton1->setGeometry(312, 118, 78, 25);
    connect(N2, &QAction::triggered, this, &TFmain::N2Click);
    connect(N3, &QAction::triggered, this, &TFmain::N3Click);
}

void TFmain::createTypeChoice()
{
    RzComboBox1 = new KindComboBox(RzPanel1);
    RzComboBox1->setObjectName(QStringLiteral("RzComboBox1"));
    RzComboBox1->setGeometry(15, 96, 209, 20);
}

void TFmain::orderTabs()
{
    QWidget::setTabOrder(RzBitBtn1, RzBitBtn2);
    QWidget::setTabOrder(RzBitBtn2, RzBitBtn3);
    QWidget::setTabOrder(RzBitBtn3, excel);
    QWidget::setTabOrder(excel, RzEdit2);
    QWidget::setTabOrder(RzEdit2, splb_com);
    QWidget::setTabOrder(splb_com, existingChoice);
    QWidget::setTabOrder(existingChoice, mergeRepeats);
    QWidget::setTabOrder(mergeRepeats, RzMenuButton1);
    QWidget::setTabOrder(RzMenuButton1, RzComboBox1);
}

void TFmain::connectControls()
{
    connect(RzBitBtn1, &QPushButton::clicked, this, &TFmain::RzBitBtn1Click);
    connect(RzBitBtn2, &QPushButton::clicked, this, &TFmain::RzBitBtn2Click);
    connect(RzBitBtn3, &QPushButton::clicked, this, &TFmain::RzBitBtn3Click);
    connect(excel, &QLineEdit::editingFinished, this, [this] { guarded([this] { listSheets(); }); });
    connect(RzComboBox1, &KindComboBox::picked, this, &TFmain::RzComboBox1Select);
    connect(RzURLLabel1, &StatusLinkLabel::clicked, this, &TFmain::RzURLLabel1Click);
    connect(RzURLLabel1, &StatusLinkLabel::statusChanged, this, &TFmain::fitStatusLine);
    // Connected after the kept choice is shown: opening the window writes nothing.
    connect(existingChoice, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < int(std::size(kExistingChoices)))
            choiceKept(settings_.setExistingChoice(kExistingChoices[index]));
    });
}

void TFmain::FormCreate()
{
    try {
        // An installed program's first start for this user says where it puts the demo store.
        importer::openProgramStore(ADOCon, places_, [this](const QString& storeFile) {
            dialogs_->showInformation(this, kNoticeCaption,
                                      QStringLiteral("没有找到商品库，现在在 %1 建立演示商品库，可以先用它试用。")
                                          .arg(QDir::toNativeSeparators(storeFile)));
        });
        storeConnected_ = true;
    } catch (const std::exception& e) {
        dialogs_->showInformation(this, kNoticeCaption, QStringLiteral("数据连接失败！"), QString::fromUtf8(e.what()));
        dialogs_->requestQuit();
    }
    loadProductTypes();
    // The code letters "A" to "Z" belong to the import run, which tries them in that order.
}

void TFmain::loadProductTypes()
{
    RzComboBox1->clear();
    // After a failed connection the store is not tried a second time: that would only hold start-up for another
    // connection time-out before the program ends.
    if (!storeConnected_)
        return;
    productTypes_ = importer::offeredTypes(ADOQuery2);
    for (const data::ProductKind& type : std::as_const(productTypes_))
        RzComboBox1->addItem(type.name);
    RzComboBox1->setCurrentIndex(-1);
}

void TFmain::RzComboBox1Select(int index)
{
    guarded([this, index] {
        if (index < 0 || index >= productTypes_.size())
            return;
        categories_ = importer::offeredCategories(ADOQuery2, productTypes_.at(index).kindId);
        splb_com->clear();
        for (const data::ProductKind& category : std::as_const(categories_))
            splb_com->addItem(category.name);
        // No category is chosen after a reload, and none is shown: another type's category named there would
        // only look chosen.
        splb_com->setCurrentIndex(-1);
        splb_com->clearEditText();
    });
}

std::optional<data::ProductKind> TFmain::chosenCategory() const
{
    // The box is editable: an entry counts as chosen only while the edit field still shows it; a text typed over
    // it, or a text kept from another type's list, chooses nothing.
    const int index = splb_com->currentIndex();
    if (index < 0 || index >= categories_.size() || splb_com->currentText().isEmpty() ||
        splb_com->itemText(index) != splb_com->currentText())
        return std::nullopt;
    return categories_.at(index);
}

void TFmain::RzBitBtn1Click()
{
    guarded([this] {
        importer::ImportRequest request;
        request.workbookPath = excel->text();
        request.sheetName = RzEdit2->currentText();
        request.category = chosenCategory();
        request.phraseMnemonics = N3->isChecked();
        request.existing =
            kExistingChoices[std::clamp(existingChoice->currentIndex(), 0, int(std::size(kExistingChoices)) - 1)];
        request.repeats = mergeRepeats->isChecked() ? importer::RepeatChoice::Merge : importer::RepeatChoice::Fail;
        if (!request.workbookPath.isEmpty() && request.category) {
            if (!chooseColumns(request)) {
                clearStatus(); // the last run's counts are not this sheet's
                return;
            }
            const QString change = runChangeText(request.existing, request.repeats, changedFields(request));
            if (!change.isEmpty() && !dialogs_->confirm(this, kNoticeCaption, change))
                return;
        }
        statusWorkbook_ = request.workbookPath;
        WindowImportReporter reporter(*dialogs_, {this, RzURLLabel1, ProgressBar1, excel, splb_com}, request.existing,
                                      request.repeats);
        const InputBlocker noInputWhileRunning(this);
        try {
            lastOutcome_ = importer::runImport(session_, request, reporter);
        } catch (const importer::ImportError& error) {
            // A run that got through its rows (only log.txt not saved) keeps its summary.
            if (error.kind() != importer::ImportError::Kind::LogNotSaved)
                reporter.showStopped(error.storedRows());
            throw;
        }
        if (lastOutcome_.end == importer::ImportOutcome::End::EndedEarly)
            reporter.showStopped(0);
        // Rows that name a product but have no code are empty records; the status line's tooltip says which.
        const QString unsaid = importer::namedWithoutCodeNote(lastOutcome_.namedWithoutCode);
        if (!unsaid.isEmpty())
            RzURLLabel1->setToolTip(RzURLLabel1->text() + u'\n' + unsaid);
    });
}

void TFmain::RzBitBtn2Click()
{
    close();
}

void TFmain::RzBitBtn3Click()
{
    guarded([this] {
        const std::optional<QString> chosen = dialogs_->chooseWorkbook(this, lastConfirmedWorkbook_);
        if (!chosen)
            return;
        lastConfirmedWorkbook_ = *chosen;
        excel->setText(QDir::toNativeSeparators(*chosen));
        listSheets();
    });
}

void TFmain::listSheets()
{
    const QString path = excel->text();
    if (!path.isEmpty() && path != statusWorkbook_)
        clearStatus(); // the status line told of another workbook
    if (path.isEmpty() || path == listedWorkbook_)
        return;
    listedWorkbook_ = path;
    const BusyCursor busy;
    const QString typed = RzEdit2->currentText();
    RzEdit2->clear();
    try {
        RzEdit2->addItems(workbooks_.workbook(path).sheetNames());
        RzEdit2->setCurrentIndex(RzEdit2->findText(workbooks_.productSheet(path).name(), Qt::MatchExactly));
    } catch (const std::runtime_error&) {
        // The run says what is wrong with the file; the name typed stays.
        RzEdit2->setEditText(typed);
    }
}

namespace {

QStringList rowTexts(const data::Worksheet& sheet, int row)
{
    QStringList texts;
    for (int column = 0; column < sheet.columnCount(); ++column)
        texts << sheet.cellText(row, column);
    return texts;
}

// A layout with the header on the first row that holds anything, and no field chosen: where the clerk starts when
// no row names a code and a name column.
importer::SheetLayout emptyLayout(const data::Worksheet& sheet)
{
    for (int row = 0; row < std::min(sheet.rowCount(), importer::kHeaderSearchRows); ++row) {
        const QStringList texts = rowTexts(sheet, row);
        if (std::any_of(texts.begin(), texts.end(), [](const QString& text) { return !text.isEmpty(); }))
            return importer::SheetLayout::withoutColumns(row);
    }
    return importer::SheetLayout::withoutColumns(0);
}

} // namespace

bool TFmain::chooseColumns(importer::ImportRequest& request)
{
    std::optional<data::Worksheet> sheet;
    importer::SheetLayout preset;
    {
        const BusyCursor busy;
        try {
            sheet = workbooks_.sheet(request.workbookPath, request.sheetName);
        } catch (const std::runtime_error&) {
            return true; // the run itself says why the workbook or the sheet cannot be read
        }
        if (sheet->rowCount() == 0)
            return true; // an empty sheet has no columns to choose: the run says it is empty
        try {
            preset = importer::findSheetLayout(*sheet);
            if (preset.isExactTemplate()) {
                request.readSheet = sheet;
                return true;
            }
        } catch (const importer::MissingColumnsError& error) {
            // A list of names without codes: what was found, and the products numbered.
            if (error.found() && error.found()->column(importer::ProductColumn::Name) >= 0) {
                preset = *error.found();
                preset.columns[std::size_t(importer::indexOf(importer::ProductColumn::Code))] = importer::kAutoNumber;
                preset.foundBy[std::size_t(importer::indexOf(importer::ProductColumn::Code))] =
                    importer::FoundBy::Choice;
            } else {
                preset = emptyLayout(*sheet);
            }
        }
        // What the clerk chose last time for a header row that reads the same, taken at the row where those texts
        // stand now.
        int keptRow = preset.headerRow;
        std::optional<importer::ColumnChoice> kept = settings_.columnChoice(rowTexts(*sheet, keptRow));
        for (int row = 0; !kept && row < std::min(sheet->rowCount(), importer::kHeaderSearchRows); ++row) {
            const QStringList texts = rowTexts(*sheet, row);
            if (std::all_of(texts.begin(), texts.end(), [](const QString& text) { return text.isEmpty(); }))
                continue;
            kept = settings_.columnChoice(texts);
            keptRow = row;
        }
        if (kept) {
            kept->headerRow = keptRow;
            try {
                preset = importer::findSheetLayout(*sheet, *kept);
            } catch (const std::runtime_error&) {
                // The sheet has changed since: what is found stands.
            }
        }
    }
    QStringList furtherColumns;
    try {
        for (const data::StoreColumn& column : importer::offeredFurtherColumns(ADOCon))
            furtherColumns << column.name;
    } catch (const data::DatabaseError&) {
        // Without them the nine fields are still offered; the run reports a store that does not answer.
    }
    const std::optional<importer::SheetLayout> chosen =
        dialogs_->chooseColumns(this, *sheet, preset, N3->isChecked(), furtherColumns);
    if (!chosen)
        return false;
    // A folder that cannot be written keeps nothing; the run does not need it. A sheet without a header row has no
    // texts to remember the choice by.
    if (chosen->headerRow != importer::kNoHeaderRow)
        settings_.setColumnChoice(rowTexts(*sheet, chosen->headerRow), *chosen);
    request.columns = chosen->asChoice();
    request.readSheet = sheet;
    return true;
}

std::optional<QStringList> TFmain::changedFields(const importer::ImportRequest& request) const
{
    if (!request.readSheet)
        return std::nullopt;
    try {
        return updatedFields(importer::findSheetLayout(*request.readSheet, request.columns));
    } catch (const std::runtime_error&) {
        return std::nullopt; // the run says what is wrong with the sheet
    }
}

void TFmain::N2Click()
{
    guarded([this] {
        bool opened = false;
        {
            const BusyCursor busy;
            opened = dialogs_->openWithDesktop(QUrl::fromLocalFile(places_.exampleWorkbook));
        }
        // A desktop with no program for it shows nothing by itself: say so, and where the file is.
        if (!opened) {
            dialogs_->showInformation(
                this, kNoticeCaption,
                QFileInfo::exists(places_.exampleWorkbook)
                    ? QStringLiteral("这台电脑上没有能打开模板事例的程序。模板事例在：\n%1")
                          .arg(QDir::toNativeSeparators(places_.exampleWorkbook))
                    : QStringLiteral("模板事例不存在：\n%1").arg(QDir::toNativeSeparators(places_.exampleWorkbook)));
        }
    });
}

void TFmain::N3Click(bool checked)
{
    choiceKept(settings_.setPhraseMnemonics(checked));
}

void TFmain::choiceKept(bool written)
{
    // A folder that cannot be written keeps the choice for this run of the program only; the import needs no file.
    if (!written) {
        dialogs_->showInformation(this, kNoticeCaption,
                                  QStringLiteral("这个选择只在本次运行中有效，下次启动时不会保留：无法写入 %1")
                                      .arg(QDir::toNativeSeparators(settings_.filePath())));
    }
}

void TFmain::RzURLLabel1Click()
{
    guarded([this] {
        const QString path = importer::errorLogPath(programFolder_);
        if (!QFileInfo::exists(path))
            return;
        // The window's own table of the failed rows; the desktop's program for log.txt is one button away in it,
        // and so are the failed rows as a workbook to fix, while they are the last run's.
        std::function<void(QWidget*)> save;
        if (!lastOutcome_.failedRows.isEmpty() && !statusWorkbook_.isEmpty())
            save = [this](QWidget* viewer) { saveFailedRows(viewer); };
        dialogs_->showLog(this, path, readLogText(path), save);
    });
}

void TFmain::saveFailedRows(QWidget* owner)
{
    const QFileInfo workbook(statusWorkbook_);
    const QString suggested = workbook.dir().filePath(workbook.completeBaseName() + QStringLiteral("-出错的行.xlsx"));
    const std::optional<QString> path = dialogs_->chooseFailedRowsFile(owner, suggested);
    if (!path)
        return;
    // Written over like the log: never the store, the workbook or the log itself.
    const QString logPath = importer::errorLogPath(programFolder_);
    if (importer::outputClash(logPath, *path, data::storeFileOf(ADOCon.connectionString()), statusWorkbook_).output !=
        importer::OutputClash::Output::None) {
        dialogs_->showInformation(
            owner, kNoticeCaption,
            QStringLiteral("不能保存到 %1：它是数据库、要导入的电子表格或 log.txt，写入会毁掉它！")
                .arg(QDir::toNativeSeparators(*path)));
        return;
    }
    try {
        const BusyCursor busy;
        importer::writeFailedRowsWorkbook(*path, lastOutcome_.failedRows);
    } catch (const importer::FailedRowsError& error) {
        dialogs_->showInformation(owner, kNoticeCaption, error.message());
        return;
    }
    dialogs_->showInformation(owner, kNoticeCaption,
                              QStringLiteral("出错的 %1 行已保存到 %2，改好后可以导入这个文件！")
                                  .arg(lastOutcome_.failedRows.rows.size())
                                  .arg(QDir::toNativeSeparators(*path)));
}

void TFmain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Image1->setGeometry(rect());
    RzPanel1->setGeometry(rect());
    fitStatusLine();
}

void TFmain::fitStatusLine()
{
    // A summary longer than the window is wide goes on to a second line above the first, inside the status area.
    // The status area spans the window (its width is the window's before the panels have had their resize).
    RzPanel2->setThickness(RzURLLabel1, std::min(RzURLLabel1->heightFor(width()), RzPanel2->height()));
}

void TFmain::clearStatus()
{
    RzURLLabel1->clearStatus();
    statusWorkbook_.clear();
}

void TFmain::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        reportEscapedError(*dialogs_, this, QString::fromUtf8(e.what()));
    } catch (...) {
        reportEscapedError(*dialogs_, this, QStringLiteral("未知错误"));
    }
}
