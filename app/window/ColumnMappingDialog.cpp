#include "window/ColumnMappingDialog.h"

#include "engine/rows/ProductRow.h"
#include "engine/sheet/ProductSheet.h"
#include "mnemonic/MnemonicEncoder.h"
#include "window/FurtherColumnLabels.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using importer::ProductColumn;

namespace {

const QString kNoColumn = QStringLiteral("(无)");
// The size the dialog asks for when the screen has room: the fields, and the preview below them.
constexpr QSize kWantedSize{760, 620};
constexpr int kWantedPreviewHeight = 240;
// Room the window manager's frame takes: the title bar above, the border around. The dialog stays that much
// inside the screen's free area, so its title bar is never off the screen.
constexpr int kTitleRoom = 40;
constexpr int kBorderRoom = 12;

} // namespace

ColumnMappingDialog::ColumnMappingDialog(const data::Worksheet& sheet, const importer::SheetLayout& preset,
                                         bool phraseMnemonics, const QStringList& furtherColumns, QWidget* parent)
    : QDialog(parent), sheet_(sheet), phraseMnemonics_(phraseMnemonics), furtherNames_(furtherColumns)
{
    setObjectName(QStringLiteral("ColumnMappingDialog"));
    setWindowTitle(QStringLiteral("列的对应 - %1").arg(sheet.name()));
    setModal(true);

    auto* intro = new QLabel(
        QStringLiteral(
            "这张表不是导入模板的格式。请为每一项选择表中的列（只有商品编号和商品名称是必须的），"
            "下面是前%1行导入后的样子。更新已有的商品时，表中空着的格子不改动已存的值，助记码只在表中给出时才写入。")
            .arg(kPreviewRows),
        this);
    intro->setWordWrap(true);

    auto* form = new QFormLayout;
    headerRow_ = new QSpinBox(this);
    headerRow_->setObjectName(QStringLiteral("headerRow"));
    // 0 is a sheet without a header row: every row a product, the columns named 第1列, 第2列 ...
    headerRow_->setRange(0, std::max(1, std::min(sheet_.rowCount(), importer::kHeaderSearchRows)));
    headerRow_->setSpecialValueText(QStringLiteral("无表头"));
    headerRow_->setValue(preset.headerRow + 1);
    form->addRow(QStringLiteral("表头在第几行："), headerRow_);
    for (ProductColumn field : importer::kProductColumns) {
        auto* box = new QComboBox(this);
        box->setObjectName(importer::templateHeader(field));
        auto* why = new QLabel(this);
        why->setObjectName(QStringLiteral("why:") + importer::templateHeader(field));
        fields_[std::size_t(importer::indexOf(field))] = box;
        why_[std::size_t(importer::indexOf(field))] = why;
        auto* row = new QHBoxLayout;
        row->addWidget(box, 1);
        row->addWidget(why, 1);
        form->addRow(importer::templateHeader(field) + QStringLiteral("："), row);
    }
    // The store's own further columns, by what they hold where that is known, else by the names its system gives.
    for (const QString& name : furtherNames_) {
        auto* box = new QComboBox(this);
        box->setObjectName(QStringLiteral("further:") + name);
        further_.push_back(box);
        form->addRow(furtherColumnLabel(name) + QStringLiteral("："), box);
    }
    // The fields scroll when the screen is too low for all of them; the buttons stay below, always seen.
    auto* fields = new QWidget;
    fields->setLayout(form);
    auto* fieldsArea = new QScrollArea(this);
    fieldsArea->setObjectName(QStringLiteral("fieldsArea"));
    fieldsArea->setWidget(fields);
    fieldsArea->setWidgetResizable(true);
    fieldsArea->setFrameShape(QFrame::NoFrame);
    fieldsArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    unsaid_ = new QLabel(this);
    unsaid_->setObjectName(QStringLiteral("namedWithoutCode"));
    unsaid_->setWordWrap(true);

    preview_ = new QTableWidget(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setColumnCount(importer::kProductColumnCount);
    QStringList headers;
    for (ProductColumn field : importer::kProductColumns)
        headers << importer::templateHeader(field);
    preview_->setHorizontalHeaderLabels(headers);
    preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview_->verticalHeader()->setVisible(true);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("buttons"));
    buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("导入"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(fieldsArea, 3);
    layout->addWidget(unsaid_);
    layout->addWidget(preview_, 1);
    layout->addWidget(buttons_);
    preview_->setMinimumHeight(preview_->horizontalHeader()->sizeHint().height() * 4);
    fieldsArea->setMinimumHeight(headerRow_->sizeHint().height() * 3);

    fillColumnBoxes(preset.headerRow);
    found_ = preset;
    select(preset);
    connect(headerRow_, &QSpinBox::valueChanged, this, &ColumnMappingDialog::headerRowChanged);
    for (QComboBox* box : fields_)
        connect(box, &QComboBox::currentIndexChanged, this, &ColumnMappingDialog::refresh);
    refresh();
    // The fields take the room they need, the preview the rest; on a low screen the fields scroll first.
    fieldsArea->setMaximumHeight(fields->sizeHint().height() + 2 * fieldsArea->frameWidth());
    const int wantedHeight = intro->sizeHint().height() + fields->sizeHint().height() + kWantedPreviewHeight +
                             buttons_->sizeHint().height() + 4 * layout->spacing() +
                             2 * layout->contentsMargins().top();
    fitScreen(QSize(kWantedSize.width(), std::max(kWantedSize.height(), wantedHeight)));
}

void ColumnMappingDialog::fitScreen(const QSize& wanted)
{
    const QScreen* shownOn = parentWidget() ? parentWidget()->screen() : screen();
    if (!shownOn)
        return;
    const QRect room = shownOn->availableGeometry();
    const QSize size(std::min(wanted.width(), room.width() - 2 * kBorderRoom),
                     std::min(wanted.height(), room.height() - kTitleRoom - kBorderRoom));
    resize(size.expandedTo(minimumSizeHint()).boundedTo(room.size()));
    // Centred in the free area with its frame: a window's position is its frame's, the title bar at its top.
    const int x = room.left() + (room.width() - width() - 2 * kBorderRoom) / 2;
    const int y = room.top() + (room.height() - height() - kTitleRoom - kBorderRoom) / 2;
    move(std::max(room.left(), x), std::max(room.top(), y));
}

importer::SheetLayout ColumnMappingDialog::layout() const
{
    importer::SheetLayout chosen;
    chosen.headerRow = headerRow_->value() - 1;
    for (ProductColumn field : importer::kProductColumns) {
        const auto i = std::size_t(importer::indexOf(field));
        chosen.columns[i] = fields_[i]->currentData().toInt();
        chosen.foundBy[i] = chosen.columns[i] == -1 ? importer::FoundBy::Missing : importer::FoundBy::Choice;
    }
    for (std::size_t i = 0; i < further_.size(); ++i) {
        const int column = further_[i]->currentData().toInt();
        if (column >= 0)
            chosen.further.emplace_back(furtherNames_.at(qsizetype(i)), column);
    }
    return chosen;
}

void ColumnMappingDialog::headerRowChanged(int rowNumber)
{
    // Another header row: its columns, and the fields found by their names there.
    importer::SheetLayout found;
    try {
        importer::ColumnChoice choice;
        choice.headerRow = rowNumber - 1;
        found = importer::findSheetLayout(sheet_, choice);
    } catch (const std::exception&) {
        found = importer::SheetLayout::withoutColumns(rowNumber - 1);
    }
    fillColumnBoxes(found.headerRow);
    found_ = found;
    select(found);
    refresh();
}

// Beside each field, why it has its column: as found (and which columns were passed over, in the tooltip), or the
// clerk's own choice.
void ColumnMappingDialog::showWhy(const importer::SheetLayout& chosen)
{
    for (ProductColumn field : importer::kProductColumns) {
        QLabel* why = why_[std::size_t(importer::indexOf(field))];
        const int column = chosen.column(field);
        QString text;
        if (column == found_.column(field) && found_.found(field) != importer::FoundBy::Missing)
            text = found_.whyFound(sheet_, field);
        else if (column != -1)
            text = QStringLiteral("按指定");
        why->setText(text);
        QStringList passed;
        for (const importer::PassedOver& over : found_.passedOver) {
            if (over.field == field)
                passed << QStringLiteral("未用 %1 %2：%3")
                              .arg(importer::columnLetter(over.column),
                                   importer::headerCellText(sheet_, found_.headerRow, over.column), over.reason);
        }
        why->setToolTip(passed.join(u'\n'));
    }
}

void ColumnMappingDialog::fillColumnBoxes(int headerRow)
{
    std::vector<QComboBox*> boxes(fields_.begin(), fields_.end());
    boxes.insert(boxes.end(), further_.begin(), further_.end());
    for (QComboBox* box : boxes) {
        const QSignalBlocker quiet(box);
        box->clear();
        box->addItem(kNoColumn, -1);
        for (int column = 0; column < sheet_.columnCount(); ++column) {
            const QString header = importer::headerCellText(sheet_, headerRow, column);
            box->addItem(QStringLiteral("%1  %2").arg(importer::columnLetter(column), header), column);
        }
    }
    // A list without codes can be numbered.
    fields_[std::size_t(importer::indexOf(ProductColumn::Code))]->addItem(importer::kAutoNumberText,
                                                                          importer::kAutoNumber);
}

void ColumnMappingDialog::select(const importer::SheetLayout& layout)
{
    for (ProductColumn field : importer::kProductColumns) {
        QComboBox* box = fields_[std::size_t(importer::indexOf(field))];
        const QSignalBlocker quiet(box);
        box->setCurrentIndex(std::max(0, box->findData(layout.column(field))));
    }
    for (std::size_t i = 0; i < further_.size(); ++i) {
        const QSignalBlocker quiet(further_[i]);
        int column = -1;
        for (const auto& [name, at] : layout.further) {
            if (name.compare(furtherNames_.at(qsizetype(i)), Qt::CaseInsensitive) == 0)
                column = at;
        }
        further_[i]->setCurrentIndex(std::max(0, further_[i]->findData(column)));
    }
}

// The preview shows the rows as the import will store them, and OK waits for a code and a name column.
void ColumnMappingDialog::refresh()
{
    const importer::SheetLayout chosen = layout();
    const bool complete = chosen.column(ProductColumn::Code) != -1 && chosen.column(ProductColumn::Name) >= 0;
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(complete);
    preview_->setRowCount(0);
    showWhy(chosen);
    unsaid_->clear();
    if (!complete)
        return;
    const importer::ProductSheet products(sheet_, chosen);
    unsaid_->setText(importer::namedWithoutCodeNote(products.namedRowsWithoutCode()));
    mnemonic::MnemonicEncoder mnemonics;
    QStringList rowNumbers;
    for (int row = 0; row < products.rowCount() && preview_->rowCount() < kPreviewRows; ++row) {
        const importer::ProductRow p = importer::fillProductRow(products, row, mnemonics, phraseMnemonics_);
        if (p.Code.isEmpty())
            continue; // an empty record or a total row: nothing is stored
        const QString values[] = {p.Code,        p.Name,  p.Unit,         p.CostPrice, p.SalePrice,
                                  p.MinDiscount, p.Stock, p.ItemDiscount, p.Mnemonic};
        const int at = preview_->rowCount();
        preview_->insertRow(at);
        for (int i = 0; i < importer::kProductColumnCount; ++i)
            preview_->setItem(at, i, new QTableWidgetItem(values[i]));
        rowNumbers << QString::number(products.sheetRowNumber(row));
    }
    preview_->setVerticalHeaderLabels(rowNumbers);
}
