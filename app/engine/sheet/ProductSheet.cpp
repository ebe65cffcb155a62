#include "engine/sheet/ProductSheet.h"

#include "engine/sheet/CellText.h"
#include "engine/sheet/HeaderNames.h"

namespace importer {

namespace {

const QString kFirstSheet = QStringLiteral("Sheet1");

// The words of a total row, once blanks are removed.
bool isTotalWord(const QString& text)
{
    if (!text.contains(u'计'))
        return false;
    QString compact;
    for (const QChar c : text) {
        if (!c.isSpace())
            compact.append(c);
    }
    return compact == QStringLiteral("合计") || compact == QStringLiteral("总计") || compact == QStringLiteral("小计");
}

} // namespace

ProductSheet::ProductSheet(data::Worksheet sheet, const ColumnChoice& choice)
    : sheet_(std::move(sheet)), layout_(findSheetLayout(sheet_, choice))
{
    noteHeaderTexts();
    numberProducts();
}

ProductSheet::ProductSheet(data::Worksheet sheet, const SheetLayout& layout) : sheet_(std::move(sheet)), layout_(layout)
{
    noteHeaderTexts();
    numberProducts();
}

void ProductSheet::noteHeaderTexts()
{
    const auto note = [this](ProductColumn field, QString& text, QString& normalized) {
        const int at = layout_.column(field);
        if (at < 0 || layout_.headerRow < 0 || layout_.headerRow >= sheet_.rowCount())
            return;
        text = trimControls(sheet_.cellText(layout_.headerRow, at));
        if (text.size() <= kHeaderCellMax)
            normalized = normalizedHeader(text);
    };
    note(ProductColumn::Code, codeHeader_, codeHeaderNormalized_);
    note(ProductColumn::Name, nameHeader_, nameHeaderNormalized_);
}

namespace {

// The cell, trimmed, is the header text: spelled the same, or the same after normalising. Normalising is costly,
// so it is tried only where the first characters agree (a product name rarely begins like its header).
bool sameAsHeader(const QString& cell, const QString& header, const QString& normalized)
{
    // Asked of every row: trimmed as a view, not a copy.
    qsizetype begin = 0;
    qsizetype end = cell.size();
    while (begin < end && cell.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && cell.at(end - 1).unicode() <= 0x20)
        --end;
    const QStringView trimmed = QStringView(cell).sliced(begin, end - begin);
    if (trimmed.isEmpty() || normalized.isEmpty())
        return false;
    if (trimmed == header)
        return true;
    if (trimmed.size() > kHeaderCellMax || trimmed.front().toCaseFolded() != normalized.front())
        return false;
    return normalizedHeader(trimmed.toString()) == normalized;
}

} // namespace

bool ProductSheet::repeatsHeader(const QString& codeCell, const QString& nameCell) const
{
    if (nameHeaderNormalized_.isEmpty() || !sameAsHeader(nameCell, nameHeader_, nameHeaderNormalized_))
        return false;
    // A code cell left blank beside the repeated name still marks the row as the header's (an example row).
    return layout_.column(ProductColumn::Code) < 0 || codeHeaderNormalized_.isEmpty() ||
           trimControls(codeCell).isEmpty() || sameAsHeader(codeCell, codeHeader_, codeHeaderNormalized_);
}

std::vector<int> ProductSheet::namedRowsWithoutCode() const
{
    std::vector<int> rows;
    if (layout_.numbersProducts())
        return rows;
    QString code;
    QString name;
    for (int row = 0; row < rowCount(); ++row) {
        cellText(row, ProductColumn::Name, name);
        if (trimControls(name).isEmpty())
            continue;
        cellText(row, ProductColumn::Code, code);
        if (!trimControls(code).isEmpty() || isTotalRow(code, name) || repeatsHeader(code, name))
            continue;
        rows.push_back(sheetRowNumber(row));
    }
    return rows;
}

QString namedWithoutCodeNote(const std::vector<int>& sheetRows)
{
    if (sheetRows.empty())
        return QString();
    constexpr std::size_t kRowsNamed = 10;
    QStringList numbers;
    for (std::size_t i = 0; i < std::min(sheetRows.size(), kRowsNamed); ++i)
        numbers << QString::number(sheetRows[i]);
    return QStringLiteral("%1 行有商品名称但没有商品编号（第%2%3行），将算作空纪录")
        .arg(sheetRows.size())
        .arg(numbers.join(QStringLiteral("、")), sheetRows.size() > kRowsNamed ? QStringLiteral("…") : QString());
}

// A list without codes: the rows that hold a product (a name, and no total) are numbered in sheet order.
void ProductSheet::numberProducts()
{
    if (!layout_.numbersProducts())
        return;
    const int rows = rowCount();
    places_.assign(std::size_t(rows), 0);
    int place = 0;
    for (int row = 0; row < rows; ++row) {
        const QString name = cellText(row, ProductColumn::Name);
        if (!name.trimmed().isEmpty() && !isTotalRow(QString(), name) && !repeatsHeader(QString(), name))
            places_[std::size_t(row)] = ++place;
    }
    placeWidth_ = int(QString::number(place).size());
}

int ProductSheet::rowCount() const
{
    const int after = sheet_.rowCount() - layout_.headerRow - 1;
    return after > 0 ? after : 0;
}

QString ProductSheet::cellText(int dataRow, ProductColumn column) const
{
    QString text;
    cellText(dataRow, column, text);
    return text;
}

void ProductSheet::cellText(int dataRow, ProductColumn column, QString& text) const
{
    const int at = layout_.column(column);
    if (at == kAutoNumber) {
        const int place = places_[std::size_t(dataRow)];
        text = place > 0 ? QStringLiteral("%1").arg(place, placeWidth_, 10, QLatin1Char('0')) : QString();
    } else if (at < 0) {
        text = QString();
    } else {
        sheet_.cellText(layout_.headerRow + 1 + dataRow, at, text);
    }
}

QString ProductSheet::furtherText(int dataRow, int further) const
{
    return sheet_.cellText(layout_.headerRow + 1 + dataRow, layout_.further[std::size_t(further)].second);
}

QString ProductSheet::furtherHeader(int further) const
{
    const auto& [name, at] = layout_.further[std::size_t(further)];
    const QString text = headerCellText(sheet_, layout_.headerRow, at);
    return text.isEmpty() ? name : text;
}

bool ProductSheet::isTotalRow(int dataRow) const
{
    return isTotalRow(cellText(dataRow, ProductColumn::Code), cellText(dataRow, ProductColumn::Name));
}

bool ProductSheet::isTotalRow(const QString& codeCell, const QString& nameCell)
{
    if (isTotalWord(nameCell))
        return true;
    return isTotalWord(codeCell) && nameCell.trimmed().isEmpty();
}

QString ProductSheet::headerText(ProductColumn field) const
{
    const int at = layout_.column(field);
    if (at == kAutoNumber)
        return kAutoNumberText;
    if (at < 0)
        return templateHeader(field);
    const QString text = headerCellText(sheet_, layout_.headerRow, at);
    return text.isEmpty() ? templateHeader(field) : text;
}

data::Worksheet chooseProductSheet(const data::Workbook& workbook)
{
    const QStringList names = workbook.sheetNames();
    std::vector<int> order;
    const qsizetype first = names.indexOf(kFirstSheet);
    if (first >= 0 && !workbook.isHidden(int(first)))
        order.push_back(int(first));
    for (int i = 0; i < names.size(); ++i) {
        if (i != first && !workbook.isHidden(i))
            order.push_back(i);
    }
    if (order.empty()) {
        if (names.isEmpty())
            return workbook.sheet(kFirstSheet); // says the workbook has no sheet
        QStringList quoted;
        for (const QString& name : names)
            quoted << QStringLiteral("“%1”").arg(name);
        throw data::SheetError(
            QStringLiteral("工作簿的工作表都是隐藏的（%1），不知道要导入哪一张。请指明工作表：命令行加 "
                           "--sheet 名字，窗口中在薄名里写上它的名字")
                .arg(quoted.join(QStringLiteral("、"))));
    }
    // A sheet that cannot be read ends the choice: passing over it would import another sheet's rows.
    std::optional<data::Worksheet> namesOnly;
    std::optional<data::Worksheet> fallback;
    for (const int index : order) {
        data::Worksheet sheet = workbook.sheet(index);
        if (hasProductHeader(sheet))
            return sheet;
        if (!namesOnly && hasNamesHeader(sheet))
            namesOnly = sheet;
        if (!fallback)
            fallback = sheet;
    }
    return namesOnly ? *namesOnly : *fallback;
}

bool ProductSheet::isUncomputedFormula(int dataRow, ProductColumn column) const
{
    const int at = layout_.column(column);
    return at >= 0 && sheet_.isUncomputedFormula(layout_.headerRow + 1 + dataRow, at);
}

} // namespace importer
