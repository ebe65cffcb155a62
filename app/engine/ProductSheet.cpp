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
}

ProductSheet::ProductSheet(data::Worksheet sheet, const SheetLayout& layout) : sheet_(std::move(sheet)), layout_(layout)
{
}

int ProductSheet::rowCount() const
{
    const int after = sheet_.rowCount() - layout_.headerRow - 1;
    return after > 0 ? after : 0;
}

QString ProductSheet::cellText(int dataRow, ProductColumn column) const
{
    const int at = layout_.column(column);
    return at < 0 ? QString() : sheet_.cellText(layout_.headerRow + 1 + dataRow, at);
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

} // namespace importer
