#pragma once
// Where the product fields stand in a sheet: the header row (the first of the first 30 rows that names both a
// code and a name column) and, for each of the nine fields, the column whose header names it best (HeaderNames.h);
// where two columns could feed a field, their content decides (an empty column never wins over a filled one).
// Only the code and the name are required; a field without a column reads as blank cells. What the clerk says
// (a header row, a column for a field) overrides what is found.

#include "engine/sheet/ProductFields.h"
#include "worksheet/Workbook.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>
#include <stdexcept>

namespace importer {

// How the header row is looked for: among this many rows from the top.
inline constexpr int kHeaderSearchRows = 30;
// The header row of a sheet that has none (a CSV whose first line is a product, --header-row 0): every row is a
// product, and the columns are named 第1列, 第2列 ...
inline constexpr int kNoHeaderRow = -1;
// The code field's column when a list without codes is numbered: each product its place among the products.
inline constexpr int kAutoNumber = -2;
// How the clerk names that choice: in the window, and on the command line ("#" too).
inline const QString kAutoNumberText = QStringLiteral("(自动编号)");

// A column as the clerk names it: by its header text, by its letter (C, AB), or none at all. A text of one to three
// letters is a column letter; a header that looks like one is given in quotes (“C”).
struct ColumnRef
{
    enum class Kind { Header, Column, None, AutoNumber };
    Kind kind = Kind::None;
    QString header;  // Kind::Header: the header text as given
    int column = -1; // Kind::Column: 0 for A

    static ColumnRef byHeader(const QString& header) { return {Kind::Header, header, -1}; }
    static ColumnRef byColumn(int column) { return {Kind::Column, QString(), column}; }
    static ColumnRef none() { return {}; }
    static ColumnRef autoNumber() { return {Kind::AutoNumber, QString(), kAutoNumber}; }
    bool operator==(const ColumnRef&) const = default;
};

// What the clerk says of a sheet's columns; anything left out is found as usual.
struct ColumnChoice
{
    std::optional<int> headerRow; // the sheet's row index (0 for row 1), or kNoHeaderRow
    std::map<ProductColumn, ColumnRef> columns;
    // Further columns of the store's Cpxm (by the name the clerk gave) and the sheet column that feeds each.
    std::map<QString, ColumnRef> further;

    bool isEmpty() const { return !headerRow && columns.empty() && further.empty(); }
    bool operator==(const ColumnChoice&) const = default;
};

// "FIELD=HEADER": FIELD a template header (or another name of the field, 编码 say) or a column of the store's Cpxm
// (checked against the store by the run), HEADER a header text of the sheet (in quotes where it looks like a column
// letter), a column letter such as C, or "(无)" / empty for none; for 商品编号 also "#" or "(自动编号)": the products
// numbered. Throws ColumnChoiceError.
void addColumnChoice(ColumnChoice& choice, const QString& assignment);

enum class FoundBy {
    TemplateHeader, // the template's header spelled exactly
    OtherName,      // a name of the field's list, after normalising
    KeyWords,       // a header read by its parts (单品ID, 普通售价)
    Content,        // no header names it, but the column's content is plainly the field's
    Choice,         // the clerk's choice
    Missing,        // no column: the field's cells read blank
};

// A column that could have fed a field and did not, with the reason ("这一列是空的").
struct PassedOver
{
    ProductColumn field;
    int column;
    QString reason;
    bool operator==(const PassedOver&) const = default;
};

struct SheetLayout
{
    int headerRow = 0;                              // the sheet's row index of the header row, or kNoHeaderRow
    std::array<int, kProductColumnCount> columns{}; // -1 where the field has no column
    std::array<FoundBy, kProductColumnCount> foundBy{};
    // Further columns of the store and the sheet column that feeds each, in the order of the clerk's choice.
    std::vector<std::pair<QString, int>> further;
    // Candidates of a field that another column was preferred to, with why.
    std::vector<PassedOver> passedOver;

    // No field has a column yet: where a layout is built up, or the clerk starts when nothing was found.
    static SheetLayout withoutColumns(int headerRow)
    {
        SheetLayout layout;
        layout.headerRow = headerRow;
        layout.columns.fill(-1);
        layout.foundBy.fill(FoundBy::Missing);
        return layout;
    }

    int column(ProductColumn field) const { return columns[std::size_t(indexOf(field))]; }
    bool numbersProducts() const { return column(ProductColumn::Code) == kAutoNumber; }
    FoundBy found(ProductColumn field) const { return foundBy[std::size_t(indexOf(field))]; }
    // The template itself: all nine headers spelled exactly, on the first row, nothing chosen by hand.
    bool isExactTemplate() const;
    // The same choice as the clerk would make it, to be remembered or shown again: the header row and every
    // field's column.
    ColumnChoice asChoice() const;
    // Why the field has its column, as the clerk reads it: "表头“商品号”", "按内容：每行不同的短编码", "按指定".
    QString whyFound(const data::Worksheet& sheet, ProductColumn field) const;
};

// A sheet without a code or a name column (or whose chosen columns are not there). The message says what is
// missing, which names are accepted for it and how to choose a column.
class MissingColumnsError : public std::runtime_error
{
public:
    MissingColumnsError(const QString& sheetName, const QString& message, std::optional<SheetLayout> found = {});
    const QString& sheetName() const { return sheetName_; }
    const QString& message() const { return message_; }
    // What was found all the same (a list of names without codes: its header row, the name and the prices), for
    // the clerk to start from.
    const std::optional<SheetLayout>& found() const { return found_; }

private:
    QString sheetName_;
    QString message_;
    std::optional<SheetLayout> found_;
};

// A choice that cannot be taken: an unknown field, a malformed assignment, a header the sheet does not have.
class ColumnChoiceError : public std::runtime_error
{
public:
    explicit ColumnChoiceError(const QString& message);
    const QString& message() const { return message_; }

private:
    QString message_;
};

// Throws MissingColumnsError or ColumnChoiceError.
SheetLayout findSheetLayout(const data::Worksheet& sheet, const ColumnChoice& choice = {});
// Whether the sheet has a header row of its own (a code and a name column among its first rows).
bool hasProductHeader(const data::Worksheet& sheet);
// Whether one of its first rows names a product name column and another field (a list without codes).
bool hasNamesHeader(const data::Worksheet& sheet);

// The header text of a column at that header row, or its name where the sheet has no header row (第3列).
QString headerCellText(const data::Worksheet& sheet, int headerRow, int column);

// "A" for 0, "AB" for 27; and back (case-insensitive), empty for a text that is not a column letter.
QString columnLetter(int column);
std::optional<int> columnFromLetter(const QString& text);

} // namespace importer
