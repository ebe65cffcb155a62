#include "SheetLayout.h"

#include "HeaderNames.h"

#include <algorithm>

namespace importer {

namespace {

const QString kNoColumn = QStringLiteral("(无)");

QString acceptedNames(ProductColumn field)
{
    return headerNamesOf(field).join(QStringLiteral("、"));
}

QString howToChoose(ProductColumn field)
{
    return QStringLiteral("请把该列的列名改成上面的一个，或者指明用哪一列：命令行加 --map %1=列名 或 --map %1=列字母"
                          "（如 --map %1=C），窗口中在“列的对应”里选择")
        .arg(templateHeader(field));
}

// The column of the row whose header text is the given one: spelled exactly first, else after normalising.
int columnHeaded(const data::Worksheet& sheet, int row, const QString& header)
{
    const int columns = sheet.columnCount();
    for (int column = 0; column < columns; ++column) {
        if (sheet.cellText(row, column) == header)
            return column;
    }
    const QString wanted = normalizedHeader(header);
    if (wanted.isEmpty())
        return -1;
    for (int column = 0; column < columns; ++column) {
        if (normalizedHeader(sheet.cellText(row, column)) == wanted)
            return column;
    }
    return -1;
}

// The layout the row would give as a header row; nothing when a header the clerk named is not in it.
std::optional<SheetLayout> layoutOfRow(const data::Worksheet& sheet, int row, const ColumnChoice& choice)
{
    SheetLayout layout = SheetLayout::withoutColumns(row);
    std::array<int, kProductColumnCount> ranks;
    ranks.fill(-1);
    const int columns = sheet.columnCount();
    for (int column = 0; column < columns; ++column) {
        const QString header = sheet.cellText(row, column);
        if (header.isEmpty())
            continue;
        for (ProductColumn field : kProductColumns) {
            const int rank = headerRank(field, header);
            const auto i = std::size_t(indexOf(field));
            if (rank >= 0 && (ranks[i] < 0 || rank < ranks[i])) {
                ranks[i] = rank;
                layout.columns[i] = column;
                layout.foundBy[i] = rank == 0 ? FoundBy::TemplateHeader : FoundBy::OtherName;
            }
        }
    }
    for (const auto& [field, ref] : choice.columns) {
        const auto i = std::size_t(indexOf(field));
        switch (ref.kind) {
        case ColumnRef::Kind::AutoNumber:
            layout.columns[i] = kAutoNumber;
            layout.foundBy[i] = FoundBy::Choice;
            break;
        case ColumnRef::Kind::None:
            layout.columns[i] = -1;
            layout.foundBy[i] = FoundBy::Missing;
            break;
        case ColumnRef::Kind::Column:
            layout.columns[i] = ref.column;
            layout.foundBy[i] = FoundBy::Choice;
            break;
        case ColumnRef::Kind::Header: {
            const int column = columnHeaded(sheet, row, ref.header);
            if (column < 0)
                return std::nullopt;
            layout.columns[i] = column;
            layout.foundBy[i] = FoundBy::Choice;
            break;
        }
        }
    }
    for (const auto& [name, ref] : choice.further) {
        if (ref.kind == ColumnRef::Kind::Column) {
            layout.further.emplace_back(name, ref.column);
        } else if (ref.kind == ColumnRef::Kind::Header) {
            const int column = columnHeaded(sheet, row, ref.header);
            if (column < 0)
                return std::nullopt;
            layout.further.emplace_back(name, column);
        }
    }
    return layout;
}

bool givesProducts(const SheetLayout& layout)
{
    const int code = layout.column(ProductColumn::Code);
    return (code >= 0 || code == kAutoNumber) && layout.column(ProductColumn::Name) >= 0;
}

// Every column the clerk named by its header, field or further column, with what it feeds.
std::vector<std::pair<QString, QString>> namedHeaders(const ColumnChoice& choice)
{
    std::vector<std::pair<QString, QString>> named;
    for (const auto& [field, ref] : choice.columns) {
        if (ref.kind == ColumnRef::Kind::Header)
            named.emplace_back(templateHeader(field), ref.header);
    }
    for (const auto& [name, ref] : choice.further) {
        if (ref.kind == ColumnRef::Kind::Header)
            named.emplace_back(name, ref.header);
    }
    return named;
}

int searchedRows(const data::Worksheet& sheet)
{
    return std::min(sheet.rowCount(), kHeaderSearchRows);
}

[[noreturn]] void refuse(const data::Worksheet& sheet, const ColumnChoice& choice)
{
    const int rows = searchedRows(sheet);
    // A header the clerk named that no row has is the first thing to mend.
    for (const auto& [fed, header] : namedHeaders(choice)) {
        bool seen = false;
        for (int row = choice.headerRow.value_or(0); row < (choice.headerRow ? *choice.headerRow + 1 : rows); ++row)
            seen = seen || columnHeaded(sheet, row, header) >= 0;
        if (!seen) {
            const QString where = choice.headerRow ? QStringLiteral("第%1行").arg(*choice.headerRow + 1)
                                                   : QStringLiteral("前%1行").arg(kHeaderSearchRows);
            throw ColumnChoiceError(QStringLiteral("工作表“%1”的%2中没有列名为“%3”的列（%4=%3）。请写上表中的列名，"
                                                   "或者写列字母（如 %4=C）")
                                        .arg(sheet.name(), where, header, fed));
        }
    }
    // Which of the two required fields no row gives.
    bool codeSeen = false;
    bool nameSeen = false;
    const int first = choice.headerRow.value_or(0);
    const int last = choice.headerRow ? std::min(*choice.headerRow + 1, sheet.rowCount()) : rows;
    for (int row = first; row < last; ++row) {
        if (const auto layout = layoutOfRow(sheet, row, choice)) {
            codeSeen = codeSeen || layout->column(ProductColumn::Code) != -1;
            nameSeen = nameSeen || layout->column(ProductColumn::Name) >= 0;
        }
    }
    const QString where = choice.headerRow ? QStringLiteral("第%1行").arg(*choice.headerRow + 1)
                                           : QStringLiteral("前%1行").arg(kHeaderSearchRows);
    QStringList parts;
    if (codeSeen && nameSeen) {
        parts << QStringLiteral("工作表“%1”的%2中没有一行同时有商品编号列和商品名称列，找不到表头。请指明表头在第几行"
                                "（命令行加 --header-row 行号）")
                     .arg(sheet.name(), where);
    }
    for (ProductColumn field : {ProductColumn::Code, ProductColumn::Name}) {
        if ((field == ProductColumn::Code && codeSeen) || (field == ProductColumn::Name && nameSeen))
            continue;
        parts << QStringLiteral("工作表“%1”的%2中没有%3列。%3列的列名可以是：%4。%5")
                     .arg(sheet.name(), where, templateHeader(field), acceptedNames(field), howToChoose(field));
    }
    throw MissingColumnsError(sheet.name(), parts.join(u'\n'));
}

} // namespace

void addColumnChoice(ColumnChoice& choice, const QString& assignment)
{
    const qsizetype equals = assignment.indexOf(u'=');
    if (equals <= 0) {
        throw ColumnChoiceError(
            QStringLiteral("“%1”不是“字段=列名”的形式（如 商品编号=编码，或 商品编号=C）").arg(assignment));
    }
    const QString fieldText = assignment.left(equals).trimmed();
    const QString columnText = assignment.mid(equals + 1).trimmed();
    const std::optional<ProductColumn> field = fieldNamed(fieldText);
    ColumnRef ref;
    if (columnText.isEmpty() || columnText == kNoColumn || columnText == QStringLiteral("（无）"))
        ref = ColumnRef::none();
    else if (columnText == u"#" || columnText == kAutoNumberText)
        ref = ColumnRef::autoNumber();
    else
        ref = ColumnRef::byHeader(columnText); // a letter is told from a header against the sheet itself
    if (field && (field == ProductColumn::Code || ref.kind != ColumnRef::Kind::AutoNumber)) {
        choice.columns[*field] = ref;
    } else if (ref.kind == ColumnRef::Kind::None) {
        choice.further.erase(fieldText);
    } else if (ref.kind == ColumnRef::Kind::AutoNumber) {
        throw ColumnChoiceError(QStringLiteral("只有商品编号可以自动编号，“%1”不行").arg(fieldText));
    } else {
        choice.further[fieldText] = ref; // a column of the store's Cpxm: the run checks that the store has it
    }
}

bool SheetLayout::isExactTemplate() const
{
    return headerRow == 0 && further.empty() &&
           std::all_of(foundBy.begin(), foundBy.end(), [](FoundBy by) { return by == FoundBy::TemplateHeader; });
}

ColumnChoice SheetLayout::asChoice() const
{
    ColumnChoice choice;
    choice.headerRow = headerRow;
    for (ProductColumn field : kProductColumns) {
        const int at = column(field);
        choice.columns[field] = at == kAutoNumber ? ColumnRef::autoNumber()
                                : at < 0          ? ColumnRef::none()
                                                  : ColumnRef::byColumn(at);
    }
    for (const auto& [name, at] : further)
        choice.further[name] = ColumnRef::byColumn(at);
    return choice;
}

MissingColumnsError::MissingColumnsError(const QString& sheetName, const QString& message)
    : std::runtime_error(message.toStdString()), sheetName_(sheetName), message_(message)
{
}

ColumnChoiceError::ColumnChoiceError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message)
{
}

// A header text that no row has, but that reads as a column letter, means that column.
static ColumnChoice lettersResolved(const data::Worksheet& sheet, const ColumnChoice& choice)
{
    ColumnChoice resolved = choice;
    const int rows = searchedRows(sheet);
    std::vector<ColumnRef*> refs;
    for (auto& [field, ref] : resolved.columns)
        refs.push_back(&ref);
    for (auto& [name, ref] : resolved.further)
        refs.push_back(&ref);
    for (ColumnRef* each : refs) {
        ColumnRef& ref = *each;
        if (ref.kind != ColumnRef::Kind::Header)
            continue;
        const std::optional<int> letter = columnFromLetter(ref.header);
        if (!letter)
            continue;
        bool asHeader = false;
        for (int row = choice.headerRow.value_or(0); row < (choice.headerRow ? *choice.headerRow + 1 : rows); ++row)
            asHeader = asHeader || columnHeaded(sheet, row, ref.header) >= 0;
        if (!asHeader)
            ref = ColumnRef::byColumn(*letter);
    }
    return resolved;
}

SheetLayout findSheetLayout(const data::Worksheet& sheet, const ColumnChoice& given)
{
    const ColumnChoice choice = lettersResolved(sheet, given);
    if (choice.headerRow) {
        if (*choice.headerRow >= 0 && *choice.headerRow < sheet.rowCount()) {
            if (const auto layout = layoutOfRow(sheet, *choice.headerRow, choice); layout && givesProducts(*layout))
                return *layout;
        }
        if (*choice.headerRow < 0 || *choice.headerRow >= std::max(sheet.rowCount(), 1)) {
            throw ColumnChoiceError(QStringLiteral("工作表“%1”只有%2行，没有第%3行")
                                        .arg(sheet.name())
                                        .arg(sheet.rowCount())
                                        .arg(*choice.headerRow + 1));
        }
        refuse(sheet, choice);
    }
    const int rows = searchedRows(sheet);
    for (int row = 0; row < rows; ++row) {
        if (const auto layout = layoutOfRow(sheet, row, choice); layout && givesProducts(*layout))
            return *layout;
    }
    refuse(sheet, choice);
}

bool hasProductHeader(const data::Worksheet& sheet)
{
    const int rows = searchedRows(sheet);
    for (int row = 0; row < rows; ++row) {
        if (const auto layout = layoutOfRow(sheet, row, {}); layout && givesProducts(*layout))
            return true;
    }
    return false;
}

QString columnLetter(int column)
{
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

std::optional<int> columnFromLetter(const QString& text)
{
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    int column = 0;
    for (const QChar c : text) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z')
            return std::nullopt;
        column = column * 26 + (u - u'A' + 1);
    }
    return column - 1;
}

} // namespace importer
