#include "engine/sheet/SheetLayout.h"

#include "engine/sheet/ColumnProfile.h"
#include "engine/sheet/FieldTable.h"
#include "engine/sheet/HeaderNames.h"

#include <QRegularExpression>

#include <algorithm>

namespace importer {

namespace {

const QString kNoColumn = QStringLiteral("(无)");
// The last column a workbook can have: XFD.
constexpr int kLastSheetColumn = 16383;

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

QString howToNumber()
{
    return QStringLiteral(
               "没有编号的清单可以自动编号：命令行加 --map 商品编号=#，窗口中在“列的对应”里把商品编号选为“%1”")
        .arg(kAutoNumberText);
}

QString whereSearched(const ColumnChoice& choice)
{
    return choice.headerRow ? QStringLiteral("第%1行").arg(*choice.headerRow + 1)
                            : QStringLiteral("前%1行").arg(kHeaderSearchRows);
}

int searchedRows(const data::Worksheet& sheet)
{
    return std::min(sheet.rowCount(), kHeaderSearchRows);
}

// A header cell's reading, made once per cell.
struct Claim
{
    int column;
    HeaderReading reading;
};

// What one row says as a header row: its cells' texts and, per field, the columns whose header names it, strongest
// first.
struct RowReading
{
    int row = 0;
    std::vector<QString> cells;
    std::array<std::vector<Claim>, kProductColumnCount> claims;

    // The column of the header text the clerk gave: spelled exactly first, else after normalising; -1 none.
    int columnHeaded(const QString& header) const
    {
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (cells[column] == header)
                return int(column);
        }
        const QString wanted = normalizedHeader(header);
        if (wanted.isEmpty())
            return -1;
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (!cells[column].isEmpty() && cells[column].size() <= kHeaderCellMax &&
                normalizedHeader(cells[column]) == wanted)
                return int(column);
        }
        return -1;
    }
};

RowReading readRow(const data::Worksheet& sheet, int row)
{
    RowReading reading;
    reading.row = row;
    const int columns = sheet.columnCount();
    reading.cells.resize(std::size_t(columns));
    for (int column = 0; column < columns; ++column) {
        // A text longer than any header is not copied: many cells may share one such text.
        if (sheet.cellLength(row, column) > kHeaderCellMax)
            continue;
        QString& text = reading.cells[std::size_t(column)];
        sheet.cellText(row, column, text);
        if (const std::optional<HeaderReading> found = readHeader(text))
            reading.claims[std::size_t(indexOf(found->field))].push_back(Claim{column, *found});
    }
    for (auto& claims : reading.claims) {
        std::stable_sort(claims.begin(), claims.end(),
                         [](const Claim& a, const Claim& b) { return a.reading.score > b.reading.score; });
    }
    return reading;
}

// The rows that may be header rows, each read once.
class HeaderRows
{
public:
    explicit HeaderRows(const data::Worksheet& sheet) : sheet_(sheet) {}
    const RowReading& row(int row)
    {
        auto found = std::find_if(read_.begin(), read_.end(), [row](const RowReading& r) { return r.row == row; });
        if (found != read_.end())
            return *found;
        read_.push_back(readRow(sheet_, row));
        return read_.back();
    }

private:
    const data::Worksheet& sheet_;
    std::vector<RowReading> read_;
};

FoundBy foundByReading(const HeaderReading& reading)
{
    switch (reading.by) {
    case HeaderReading::By::TemplateHeader:
        return FoundBy::TemplateHeader;
    case HeaderReading::By::Name:
        return FoundBy::OtherName;
    case HeaderReading::By::KeyWords:
        break;
    }
    return FoundBy::KeyWords;
}

// The fields as one header row gives them before the content is looked at: the clerk's choice, else the strongest
// header of each field. Also how many fields the row itself names.
struct RowLayout
{
    SheetLayout layout;
    std::array<std::vector<Claim>, kProductColumnCount> candidates; // of the fields the clerk left to be found
    std::array<bool, kProductColumnCount> namedHere{};              // by a header of this row
    bool namesAnyField = false; // some header of the row names a field, whether or not the clerk gave it
};

std::optional<RowLayout> layoutOfRow(const RowReading& row, const ColumnChoice& choice)
{
    RowLayout made;
    made.layout = SheetLayout::withoutColumns(row.row);
    made.namesAnyField =
        std::any_of(row.claims.begin(), row.claims.end(), [](const auto& claims) { return !claims.empty(); });
    for (const auto& [field, ref] : choice.columns) {
        const auto i = std::size_t(indexOf(field));
        switch (ref.kind) {
        case ColumnRef::Kind::AutoNumber:
            made.layout.columns[i] = kAutoNumber;
            made.layout.foundBy[i] = FoundBy::Choice;
            break;
        case ColumnRef::Kind::None:
            break;
        case ColumnRef::Kind::Column:
            made.layout.columns[i] = ref.column;
            made.layout.foundBy[i] = FoundBy::Choice;
            break;
        case ColumnRef::Kind::Header: {
            const int column = row.columnHeaded(ref.header);
            if (column < 0)
                return std::nullopt;
            made.layout.columns[i] = column;
            made.layout.foundBy[i] = FoundBy::Choice;
            made.namedHere[i] = true;
            break;
        }
        }
    }
    for (const auto& [name, ref] : choice.further) {
        if (ref.kind == ColumnRef::Kind::Column) {
            made.layout.further.emplace_back(name, ref.column);
        } else if (ref.kind == ColumnRef::Kind::Header) {
            const int column = row.columnHeaded(ref.header);
            if (column < 0)
                return std::nullopt;
            made.layout.further.emplace_back(name, column);
        }
    }
    for (ProductColumn field : kProductColumns) {
        const auto i = std::size_t(indexOf(field));
        if (choice.columns.contains(field))
            continue;
        made.candidates[i] = row.claims[i];
        if (!made.candidates[i].empty()) {
            made.layout.columns[i] = made.candidates[i].front().column;
            made.layout.foundBy[i] = foundByReading(made.candidates[i].front().reading);
            made.namedHere[i] = true;
        }
    }
    return made;
}

bool hasColumn(const SheetLayout& layout, ProductColumn field)
{
    const int column = layout.column(field);
    return column >= 0 || (field == ProductColumn::Code && column == kAutoNumber);
}

// A header row gives products when it has a code and a name column, and names them itself unless the clerk gave
// them by letter; a row where both come by letter must name some other field, so that the header row is never
// just the first row.
bool givesProducts(const RowLayout& row)
{
    const SheetLayout& layout = row.layout;
    if (!hasColumn(layout, ProductColumn::Code) || !hasColumn(layout, ProductColumn::Name))
        return false;
    const auto byHeader = [&row](ProductColumn field) { return row.namedHere[std::size_t(indexOf(field))]; };
    const auto byLetter = [&layout, &byHeader](ProductColumn field) {
        return layout.found(field) == FoundBy::Choice && !byHeader(field);
    };
    if (byLetter(ProductColumn::Code) && byLetter(ProductColumn::Name))
        return row.namesAnyField;
    return true;
}

// A list without codes: a name column and one more field named in the row.
bool givesNames(const RowLayout& row)
{
    return row.namedHere[std::size_t(indexOf(ProductColumn::Name))] &&
           std::count(row.namedHere.begin(), row.namedHere.end(), true) >= 2;
}

// The product rows of a header row: every row below it.
struct RowSpan
{
    int first;
    int end;
};

RowSpan productRows(const data::Worksheet& sheet, int headerRow)
{
    return {headerRow + 1, std::max(sheet.rowCount(), headerRow + 1)};
}

struct Candidate
{
    Claim claim;
    ColumnProfile profile;
    QString passedOver; // why it lost, once it has
};

// Content that contradicts the field, beside another candidate whose content fits: a price column of words, a code
// column of repeats, a name column of numbers.
QString misfit(const FieldEntry& entry, const ColumnProfile& profile, const ColumnProfile& best)
{
    switch (entry.shape) {
    case CellShape::Number:
        if (profile.numberShare() < 0.5 && best.numberShare() >= 0.9)
            return QStringLiteral("这一列多不是数字");
        break;
    case CellShape::Code:
        if (profile.distinctShare() < 0.5 && best.distinctShare() >= 0.9)
            return QStringLiteral("这一列的值多有重复");
        break;
    case CellShape::Text:
        if (entry.field == ProductColumn::Name && profile.numberShare() > 0.5 && best.numberShare() <= 0.1)
            return QStringLiteral("这一列是数字，不是名称");
        break;
    }
    return QString();
}

double fitOf(const FieldEntry& entry, const ColumnProfile& profile)
{
    switch (entry.shape) {
    case CellShape::Number:
        return profile.numberShare();
    case CellShape::Code:
        return profile.distinctShare();
    case CellShape::Text:
        break;
    }
    return 1.0 - profile.numberShare();
}

// Of a field's candidates, the one its content and header make the best: never an empty column while a filled one
// exists, a mostly empty one not beside one that is filled three times as often, nor one whose content contradicts
// the field; then the strongest header, then the earlier column. Returns the chosen column, or -1 when every
// candidate is empty (the sheet gives the field nothing).
int chooseByContent(const data::Worksheet& sheet, const FieldEntry& entry, const std::vector<Claim>& claims,
                    const RowReading& header, std::vector<PassedOver>& passedOver)
{
    const RowSpan rows = productRows(sheet, header.row);
    std::vector<Candidate> candidates;
    for (const Claim& claim : claims)
        candidates.push_back(Candidate{claim, profileColumn(sheet, claim.column, rows.first, rows.end), QString()});
    const auto mostFilled = std::max_element(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
        return a.profile.filled < b.profile.filled;
    });
    if (mostFilled->profile.filled == 0) {
        for (Candidate& candidate : candidates)
            passedOver.push_back({entry.field, candidate.claim.column, QStringLiteral("这一列是空的")});
        return -1;
    }
    const int fullest = mostFilled->profile.filled;
    for (Candidate& candidate : candidates) {
        if (candidate.profile.filled == 0)
            candidate.passedOver = QStringLiteral("这一列是空的");
        else if (candidate.profile.filled * 3 < fullest)
            candidate.passedOver = QStringLiteral("这一列大多是空的");
    }
    // The content that fits the field best among those still in, to measure the others against.
    const Candidate* fitting = nullptr;
    for (const Candidate& candidate : candidates) {
        if (candidate.passedOver.isEmpty() &&
            (!fitting || fitOf(entry, candidate.profile) > fitOf(entry, fitting->profile)))
            fitting = &candidate;
    }
    const ColumnProfile best = fitting->profile;
    for (Candidate& candidate : candidates) {
        if (candidate.passedOver.isEmpty())
            candidate.passedOver = misfit(entry, candidate.profile, best);
    }
    // Claims come strongest header first, the earlier column first among equals.
    const auto chosen = std::find_if(candidates.begin(), candidates.end(),
                                     [](const Candidate& candidate) { return candidate.passedOver.isEmpty(); });
    const QString chosenHeader = header.cells[std::size_t(chosen->claim.column)].simplified();
    for (const Candidate& candidate : candidates) {
        if (&candidate == &*chosen)
            continue;
        passedOver.push_back({entry.field, candidate.claim.column,
                              candidate.passedOver.isEmpty() ? QStringLiteral("表头不如“%1”明确").arg(chosenHeader)
                                                             : candidate.passedOver});
    }
    return chosen->claim.column;
}

// No header names a code, but a column beside the name holds what plainly is one: filled in nearly every product
// row, every value different, short, letters and digits only, and not the rows' running number.
int codeColumnByContent(const data::Worksheet& sheet, const SheetLayout& layout, const RowReading& header)
{
    const int name = layout.column(ProductColumn::Name);
    if (name < 0)
        return -1;
    const RowSpan rows = productRows(sheet, layout.headerRow);
    for (const int column : {name - 1, name + 1}) {
        if (column < 0 || column >= sheet.columnCount() || readHeader(header.cells[std::size_t(column)]) ||
            std::find(layout.columns.begin(), layout.columns.end(), column) != layout.columns.end())
            continue;
        if (looksLikeCodes(sheet, column, name, rows.first, rows.end))
            return column;
    }
    return -1;
}

// The layout of a header row: the content decides between a field's candidates, and an empty code column is no
// code column.
SheetLayout settled(const data::Worksheet& sheet, const RowLayout& row, const RowReading& header)
{
    SheetLayout layout = row.layout;
    const RowSpan rows = productRows(sheet, layout.headerRow);
    for (ProductColumn field : kProductColumns) {
        const auto i = std::size_t(indexOf(field));
        const std::vector<Claim>& claims = row.candidates[i];
        if (claims.empty())
            continue;
        // One candidate is taken as its header says, except a code column that is empty in every product row. The
        // template's own header is always taken: its rows without codes are empty records, as they always were.
        if (claims.size() == 1 &&
            (field != ProductColumn::Code || claims.front().reading.by == HeaderReading::By::TemplateHeader ||
             !isEmptyColumn(sheet, claims.front().column, rows.first, rows.end))) {
            continue;
        }
        const int column = chooseByContent(sheet, fieldEntry(field), claims, header, layout.passedOver);
        const auto chosen =
            std::find_if(claims.begin(), claims.end(), [column](const Claim& c) { return c.column == column; });
        if (chosen == claims.end()) {
            layout.columns[i] = -1;
            layout.foundBy[i] = FoundBy::Missing;
        } else {
            layout.columns[i] = column;
            layout.foundBy[i] = foundByReading(chosen->reading);
        }
    }
    // A code column that gives hardly any named row a code is no code column: the list is one without codes.
    const int code = layout.column(ProductColumn::Code);
    const int name = layout.column(ProductColumn::Name);
    if (code >= 0 && name >= 0 && layout.found(ProductColumn::Code) != FoundBy::Choice &&
        layout.found(ProductColumn::Code) != FoundBy::TemplateHeader &&
        hardlyFilledBeside(sheet, code, name, rows.first, rows.end)) {
        layout.passedOver.push_back({ProductColumn::Code, code, QStringLiteral("这一列大多是空的")});
        layout.columns[std::size_t(indexOf(ProductColumn::Code))] = -1;
        layout.foundBy[std::size_t(indexOf(ProductColumn::Code))] = FoundBy::Missing;
    }
    if (layout.column(ProductColumn::Code) == -1 && !row.layout.isExactTemplate()) {
        if (const int column = codeColumnByContent(sheet, layout, header); column >= 0) {
            layout.columns[std::size_t(indexOf(ProductColumn::Code))] = column;
            layout.foundBy[std::size_t(indexOf(ProductColumn::Code))] = FoundBy::Content;
        }
    }
    return layout;
}

bool settledGivesProducts(const SheetLayout& layout)
{
    return hasColumn(layout, ProductColumn::Code) && hasColumn(layout, ProductColumn::Name);
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

void checkLetters(const data::Worksheet& sheet, const ColumnChoice& choice)
{
    std::vector<std::pair<QString, int>> letters;
    for (const auto& [field, ref] : choice.columns) {
        if (ref.kind == ColumnRef::Kind::Column)
            letters.emplace_back(templateHeader(field), ref.column);
    }
    for (const auto& [name, ref] : choice.further) {
        if (ref.kind == ColumnRef::Kind::Column)
            letters.emplace_back(name, ref.column);
    }
    for (const auto& [fed, column] : letters) {
        if (column >= sheet.columnCount()) {
            throw ColumnChoiceError(
                QStringLiteral("工作表“%1”只有%2列（A 到 %3），没有 %4 列（%5=%4）。列名看起来像列字母时请加引号，"
                               "如 %5=“%4”")
                    .arg(sheet.name())
                    .arg(sheet.columnCount())
                    .arg(columnLetter(std::max(sheet.columnCount() - 1, 0)), columnLetter(column), fed));
        }
    }
}

[[noreturn]] void refuse(const data::Worksheet& sheet, const ColumnChoice& choice, HeaderRows& rows,
                         std::optional<SheetLayout> namesOnly)
{
    const int first = choice.headerRow.value_or(0);
    const int last = choice.headerRow ? std::min(*choice.headerRow + 1, sheet.rowCount()) : searchedRows(sheet);
    const QString where = whereSearched(choice);
    // A header the clerk named that no row has is the first thing to mend.
    for (const auto& [fed, header] : namedHeaders(choice)) {
        bool seen = false;
        for (int row = first; row < last && !seen; ++row)
            seen = rows.row(row).columnHeaded(header) >= 0;
        if (!seen) {
            throw ColumnChoiceError(QStringLiteral("工作表“%1”的%2中没有列名为“%3”的列（%4=%3）。请写上表中的列名，"
                                                   "或者写列字母（如 %4=C）")
                                        .arg(sheet.name(), where, header, fed));
        }
    }
    // Which of the two required fields no row gives, and code columns that are there but empty.
    bool codeSeen = false;
    bool nameSeen = false;
    QStringList emptyCodes; // code columns passed over for their content, with why
    for (int row = first; row < last; ++row) {
        const RowReading& reading = rows.row(row);
        if (const std::optional<RowLayout> layout = layoutOfRow(reading, choice)) {
            const bool codeHeader = hasColumn(layout->layout, ProductColumn::Code);
            nameSeen = nameSeen || hasColumn(layout->layout, ProductColumn::Name);
            if (codeHeader && hasColumn(layout->layout, ProductColumn::Name)) {
                // The header row of a list whose code columns are empty: the search ends here, as it did.
                const SheetLayout settledLayout = settled(sheet, *layout, reading);
                for (const PassedOver& passed : settledLayout.passedOver) {
                    if (passed.field == ProductColumn::Code && !passed.reason.startsWith(QStringLiteral("表头")))
                        emptyCodes << QStringLiteral("“%1”%2").arg(
                            reading.cells[std::size_t(passed.column)].simplified(), passed.reason);
                }
                codeSeen = codeSeen || settledGivesProducts(settledLayout);
                if (!emptyCodes.isEmpty())
                    break;
            } else {
                codeSeen = codeSeen || codeHeader;
            }
        }
    }
    QStringList parts;
    if (codeSeen && nameSeen) {
        parts << QStringLiteral("工作表“%1”的%2中没有一行同时有商品编号列和商品名称列，找不到表头。请指明表头在第几行"
                                "（命令行加 --header-row 行号）")
                     .arg(sheet.name(), where);
    }
    if (!codeSeen) {
        QString part = emptyCodes.isEmpty()
                           ? QStringLiteral("工作表“%1”的%2中没有商品编号列。").arg(sheet.name(), where)
                           : QStringLiteral("工作表“%1”没有可用的商品编号列（%2）。")
                                 .arg(sheet.name(), emptyCodes.join(QStringLiteral("；")));
        if (nameSeen)
            part += howToNumber() + QStringLiteral("。");
        part += QStringLiteral("商品编号列的列名可以是：%1。%2")
                    .arg(acceptedNames(ProductColumn::Code), howToChoose(ProductColumn::Code));
        parts << part;
    }
    if (!nameSeen) {
        parts << QStringLiteral("工作表“%1”的%2中没有商品名称列。商品名称列的列名可以是：%3。%4")
                     .arg(sheet.name(), where, acceptedNames(ProductColumn::Name), howToChoose(ProductColumn::Name));
    }
    // Where a header row was found all the same (a list without codes), where it stands is not the question.
    if (!choice.headerRow && (!nameSeen || (!codeSeen && !namesOnly))) {
        parts << QStringLiteral("表头不在前%1行时，请指明表头在第几行（命令行加 --header-row 行号）；表中没有表头行"
                                "（第一行就是商品）时，命令行加 --header-row 0，窗口中把表头选为“无表头”，各列叫第1列、"
                                "第2列……（如 --map 商品名称=第3列）")
                     .arg(kHeaderSearchRows);
    }
    // An empty sheet lacks every column; what to do about it is said last, after the lines every refusal has.
    if (sheet.rowCount() == 0)
        parts << QStringLiteral("工作表“%1”是空的，一行也没有。请检查薄名，或者导入另一张工作表").arg(sheet.name());
    throw MissingColumnsError(sheet.name(), parts.join(u'\n'), std::move(namesOnly));
}

// The first row among those searched whose fields give products, settled by content; nothing when none does. A
// header row names at least two fields itself where some row does, so that a title ("商品标题") above the header is
// not taken for it when the code comes by number or letter.
// Where the first such row's code column turns out empty, that row is still the header, of a list without codes:
// the search ends there, with its layout in withoutCodes.
std::optional<SheetLayout> firstProductLayout(const data::Worksheet& sheet, const ColumnChoice& choice,
                                              HeaderRows& rows, int first, int last, bool twoNamed,
                                              std::optional<SheetLayout>& withoutCodes)
{
    for (int row = first; row < last; ++row) {
        const RowReading& reading = rows.row(row);
        const std::optional<RowLayout> layout = layoutOfRow(reading, choice);
        if (!layout || !givesProducts(*layout))
            continue;
        if (twoNamed && std::count(layout->namedHere.begin(), layout->namedHere.end(), true) < 2)
            continue;
        SheetLayout found = settled(sheet, *layout, reading);
        if (settledGivesProducts(found))
            return found;
        withoutCodes = std::move(found);
        return std::nullopt;
    }
    return std::nullopt;
}

// A list of names without codes: the first row that names a name column and another field.
std::optional<SheetLayout> firstNamesLayout(const data::Worksheet& sheet, const ColumnChoice& choice, HeaderRows& rows,
                                            int first, int last)
{
    for (int row = first; row < last; ++row) {
        const RowReading& reading = rows.row(row);
        const std::optional<RowLayout> layout = layoutOfRow(reading, choice);
        if (layout && givesNames(*layout))
            return settled(sheet, *layout, reading);
    }
    return std::nullopt;
}

// A sheet without a header row: the clerk's columns (by letter or by name, 第3列), and where the content makes it
// plain, the name (the column of Chinese words), the code (distinct short codes) and the price (the one column of
// numbers that vary).
SheetLayout headerlessLayout(const data::Worksheet& sheet, const ColumnChoice& choice)
{
    SheetLayout layout = SheetLayout::withoutColumns(kNoHeaderRow);
    const auto columnNamed = [&sheet](const QString& text) {
        static const QRegularExpression named(QStringLiteral("^第(\\d+)列$"));
        const QRegularExpressionMatch match = named.match(text.trimmed());
        const int column = match.hasMatch() ? match.captured(1).toInt() - 1 : -1;
        if (column < 0 || column >= sheet.columnCount()) {
            throw ColumnChoiceError(QStringLiteral("工作表“%1”没有表头，没有名为“%2”的列：各列叫第1列到第%3列，"
                                                   "或者写列字母（如 C）")
                                        .arg(sheet.name(), text)
                                        .arg(sheet.columnCount()));
        }
        return column;
    };
    const auto columnOf = [&columnNamed](const ColumnRef& ref) {
        return ref.kind == ColumnRef::Kind::Header ? columnNamed(ref.header) : ref.column;
    };
    for (const auto& [field, ref] : choice.columns) {
        if (ref.kind == ColumnRef::Kind::None)
            continue;
        layout.columns[std::size_t(indexOf(field))] = columnOf(ref);
        layout.foundBy[std::size_t(indexOf(field))] = FoundBy::Choice;
    }
    for (const auto& [name, ref] : choice.further) {
        if (ref.kind != ColumnRef::Kind::None)
            layout.further.emplace_back(name, columnOf(ref));
    }
    const int rows = sheet.rowCount();
    const auto taken = [&layout](int column) {
        return std::find(layout.columns.begin(), layout.columns.end(), column) != layout.columns.end();
    };
    const auto found = [&layout](ProductColumn field, int column) {
        layout.columns[std::size_t(indexOf(field))] = column;
        layout.foundBy[std::size_t(indexOf(field))] = FoundBy::Content;
    };
    const auto left = [&choice](ProductColumn field) { return !choice.columns.contains(field); };
    std::vector<ColumnProfile> profiles;
    for (int column = 0; column < sheet.columnCount(); ++column)
        profiles.push_back(profileColumn(sheet, column, 0, rows));
    if (left(ProductColumn::Name)) {
        int best = -1;
        for (int column = 0; column < sheet.columnCount(); ++column) {
            const ColumnProfile& p = profiles[std::size_t(column)];
            if (!taken(column) && p.filledShare() >= 0.9 && p.hanShare() >= 0.6 &&
                (best < 0 || p.hanShare() > profiles[std::size_t(best)].hanShare()))
                best = column;
        }
        if (best >= 0)
            found(ProductColumn::Name, best);
    }
    const int name = layout.column(ProductColumn::Name);
    if (left(ProductColumn::Code) && name >= 0) {
        for (int column = 0; column < sheet.columnCount(); ++column) {
            if (!taken(column) && looksLikeCodes(sheet, column, name, 0, rows)) {
                found(ProductColumn::Code, column);
                break;
            }
        }
    }
    if (left(ProductColumn::SalePrice)) {
        std::vector<int> numbers;
        for (int column = 0; column < sheet.columnCount(); ++column) {
            const ColumnProfile& p = profiles[std::size_t(column)];
            if (!taken(column) && p.filledShare() >= 0.9 && p.numberShare() >= 0.95 && p.distinct > 1)
                numbers.push_back(column);
        }
        // Of several, the one written with decimals, as prices are (the others are counts or ids).
        if (numbers.size() > 1) {
            std::vector<int> priced;
            for (const int column : numbers) {
                if (profiles[std::size_t(column)].decimals * 2 > profiles[std::size_t(column)].numbers)
                    priced.push_back(column);
            }
            numbers = priced;
        }
        if (numbers.size() == 1)
            found(ProductColumn::SalePrice, numbers.front());
    }
    if (!settledGivesProducts(layout)) {
        throw MissingColumnsError(
            sheet.name(),
            QStringLiteral("工作表“%1”没有表头，从内容看不出哪一列是%2。请指明各列：命令行加 --map 商品编号=第1列 "
                           "--map 商品名称=第3列（或列字母），窗口中在“列的对应”里选择；没有编号的清单可以用 "
                           "--map 商品编号=# 自动编号")
                .arg(sheet.name(),
                     hasColumn(layout, ProductColumn::Name) ? QStringLiteral("商品编号") : QStringLiteral("商品名称")),
            layout);
    }
    return layout;
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
    const bool quoted = columnText.size() >= 2 && ((columnText.startsWith(u'“') && columnText.endsWith(u'”')) ||
                                                   (columnText.startsWith(u'"') && columnText.endsWith(u'"')));
    ColumnRef ref;
    if (quoted) {
        ref = ColumnRef::byHeader(columnText.sliced(1, columnText.size() - 2));
    } else if (columnText.isEmpty() || columnText == kNoColumn || columnText == QStringLiteral("（无）")) {
        ref = ColumnRef::none();
    } else if (columnText == u"#" || columnText == kAutoNumberText) {
        ref = ColumnRef::autoNumber();
    } else if (const std::optional<int> letter = columnFromLetter(columnText)) {
        if (*letter > kLastSheetColumn) {
            throw ColumnChoiceError(QStringLiteral("“%1”不是工作表的列：最后一列是 XFD。列名看起来像列字母时请加引号，"
                                                   "如 %2=“%1”")
                                        .arg(columnText, fieldText));
        }
        ref = ColumnRef::byColumn(*letter);
    } else {
        ref = ColumnRef::byHeader(columnText);
    }
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

QString SheetLayout::whyFound(const data::Worksheet& sheet, ProductColumn field) const
{
    const int at = column(field);
    const QString header = at >= 0 ? headerCellText(sheet, headerRow, at) : QString();
    switch (found(field)) {
    case FoundBy::TemplateHeader:
        return QStringLiteral("模板的表头");
    case FoundBy::OtherName:
    case FoundBy::KeyWords:
        return QStringLiteral("表头“%1”").arg(header);
    case FoundBy::Content:
        return field == ProductColumn::Code   ? QStringLiteral("按内容：每行不同的短编码")
               : field == ProductColumn::Name ? QStringLiteral("按内容：汉字写的名称")
                                              : QStringLiteral("按内容：写成价格的一列数字");
    case FoundBy::Choice:
        return at == kAutoNumber ? QStringLiteral("自动编号") : QStringLiteral("按指定");
    case FoundBy::Missing:
        break;
    }
    return QStringLiteral("(空)");
}

MissingColumnsError::MissingColumnsError(const QString& sheetName, const QString& message,
                                         std::optional<SheetLayout> found)
    : std::runtime_error(message.toStdString()), sheetName_(sheetName), message_(message), found_(std::move(found))
{
}

ColumnChoiceError::ColumnChoiceError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message)
{
}

SheetLayout findSheetLayout(const data::Worksheet& sheet, const ColumnChoice& choice)
{
    checkLetters(sheet, choice);
    if (choice.headerRow == kNoHeaderRow)
        return headerlessLayout(sheet, choice);
    HeaderRows rows(sheet);
    if (choice.headerRow) {
        if (*choice.headerRow < 0 || *choice.headerRow >= std::max(sheet.rowCount(), 1)) {
            throw ColumnChoiceError(QStringLiteral("工作表“%1”只有%2行，没有第%3行")
                                        .arg(sheet.name())
                                        .arg(sheet.rowCount())
                                        .arg(*choice.headerRow + 1));
        }
        if (*choice.headerRow < sheet.rowCount()) {
            const RowReading& reading = rows.row(*choice.headerRow);
            if (const std::optional<RowLayout> layout = layoutOfRow(reading, choice)) {
                SheetLayout found = settled(sheet, *layout, reading);
                if (settledGivesProducts(found))
                    return found;
                refuse(sheet, choice, rows, found);
            }
        }
        refuse(sheet, choice, rows, std::nullopt);
    }
    const int searched = searchedRows(sheet);
    std::optional<SheetLayout> withoutCodes;
    for (const bool twoNamed : {true, false}) {
        if (std::optional<SheetLayout> found =
                firstProductLayout(sheet, choice, rows, 0, searched, twoNamed, withoutCodes))
            return *found;
        if (withoutCodes)
            refuse(sheet, choice, rows, withoutCodes);
    }
    // Both fields given by letter, and no row names any field: the first row is the header, as the clerk's letters
    // say nothing of where it is.
    const auto letterOnly = [&choice](ProductColumn field) {
        const auto ref = choice.columns.find(field);
        return ref != choice.columns.end() &&
               (ref->second.kind == ColumnRef::Kind::Column || ref->second.kind == ColumnRef::Kind::AutoNumber);
    };
    if (letterOnly(ProductColumn::Code) && letterOnly(ProductColumn::Name) && sheet.rowCount() > 0) {
        if (const std::optional<RowLayout> layout = layoutOfRow(rows.row(0), choice))
            return settled(sheet, *layout, rows.row(0));
    }
    refuse(sheet, choice, rows, firstNamesLayout(sheet, choice, rows, 0, searched));
}

namespace {

// Whether one of the rows searched, read by its headers alone, is such a header row.
bool someHeaderRow(const data::Worksheet& sheet, bool (*gives)(const RowLayout&))
{
    HeaderRows rows(sheet);
    const int searched = searchedRows(sheet);
    for (int row = 0; row < searched; ++row) {
        if (const std::optional<RowLayout> layout = layoutOfRow(rows.row(row), {}); layout && gives(*layout))
            return true;
    }
    return false;
}

} // namespace

bool hasProductHeader(const data::Worksheet& sheet)
{
    return someHeaderRow(sheet, givesProducts);
}

bool hasNamesHeader(const data::Worksheet& sheet)
{
    return someHeaderRow(sheet, givesNames);
}

QString headerCellText(const data::Worksheet& sheet, int headerRow, int column)
{
    if (headerRow == kNoHeaderRow)
        return QStringLiteral("第%1列").arg(column + 1);
    return sheet.cellText(headerRow, column).simplified();
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
