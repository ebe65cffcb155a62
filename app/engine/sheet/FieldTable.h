#pragma once
// The nine fields of a product, each described once: the header that the template gives it, the words that name
// it in other lists, what its blank cell reads as, the store column it feeds and how its cells usually look. The
// header finding, the row's defaults, the matching of stored products and the mapping dialog all read this table.

#include "engine/sheet/ProductFields.h"
#include "store/CpxmColumns.h"

#include <QString>
#include <QStringList>

#include <array>

namespace importer {

// How a field's cells usually look: what the content of a candidate column is measured against.
enum class CellShape {
    Code,   // short, mostly distinct, mostly filled
    Text,   // words: the name, the unit, the mnemonic
    Number, // reads as a number: prices, stock, discounts
};

struct FieldEntry
{
    ProductColumn field;
    QString templateHeader;
    // Whole headers that name the field, in order of preference, as a clerk writes them (compared normalised).
    QStringList names;
    // Parts of a header that name the field, for headers no list has: "单品ID" holds "ID", "普通售价" holds "售价".
    // Letters-only words of three letters or fewer count only as a whole word ("ID" in "商品ID", not in "paid").
    QStringList keyWords;
    // Parts that make a header mean something else beside a key word: 进货量 is no cost, 毛利率 no price. They count
    // anywhere in the header ("top" in TOPSTOCK); a word starting with "^" only at the start ("^is": a yes/no flag
    // such as ISDISCOUNT).
    QStringList refusing;
    // Qualifiers that make a column a second choice (会员价 beside 销售价), or the first (零售价 before 价格).
    QStringList weaker;
    QStringList stronger;
    const char* blankDefault; // what a blank cell reads as: "0", "1" for 单品折扣, "" for texts
    CellShape shape;
    data::ColumnSource source; // the Cpxm column it feeds
};

// In the order of the template's columns (ProductColumn).
const std::array<FieldEntry, kProductColumnCount>& fieldTable();

inline const FieldEntry& fieldEntry(ProductColumn field)
{
    return fieldTable()[std::size_t(indexOf(field))];
}

// The blank default as a text, made once.
const QString& blankText(ProductColumn field);

// The field a store column is fed from; none for the code (letter and code), the category and the fixed values.
std::optional<ProductColumn> fieldFeeding(data::ColumnSource source);

} // namespace importer
