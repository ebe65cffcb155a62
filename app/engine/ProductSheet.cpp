#include "ProductSheet.h"

#include "HeaderNames.h"

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
    numberProducts();
}

ProductSheet::ProductSheet(data::Worksheet sheet, const SheetLayout& layout) : sheet_(std::move(sheet)), layout_(layout)
{
    numberProducts();
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
        if (!name.trimmed().isEmpty() && !isTotalRow(QString(), name))
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
    const QString text = sheet_.cellText(layout_.headerRow, at).simplified();
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
    const QString text = sheet_.cellText(layout_.headerRow, at).simplified();
    return text.isEmpty() ? templateHeader(field) : text;
}

data::Worksheet chooseProductSheet(const data::Workbook& workbook)
{
    const QStringList names = workbook.sheetNames();
    // A sheet that cannot be read is passed over here; naming it is the run's business.
    const auto headed = [&workbook](int index) -> std::optional<data::Worksheet> {
        try {
            data::Worksheet sheet = workbook.sheet(index);
            if (hasProductHeader(sheet))
                return sheet;
        } catch (const data::SheetError&) {
        }
        return std::nullopt;
    };
    const qsizetype first = names.indexOf(kFirstSheet);
    if (first >= 0) {
        if (auto sheet = headed(int(first)))
            return *sheet;
    }
    for (int i = 0; i < names.size(); ++i) {
        if (i == first)
            continue;
        if (auto sheet = headed(i))
            return *sheet;
    }
    return workbook.sheet(first >= 0 || names.isEmpty() ? kFirstSheet : names.constFirst());
}

bool ProductSheet::isUncomputedFormula(int dataRow, ProductColumn column) const
{
    const int at = layout_.column(column);
    return at >= 0 && sheet_.isUncomputedFormula(layout_.headerRow + 1 + dataRow, at);
}

} // namespace importer
