#pragma once
// The product worksheet as the import sees it: a header row naming nine columns, one product per further row.

#include "Workbook.h"

#include <QString>

#include <array>

namespace mnemonic {
class MnemonicEncoder;
}

namespace data {

enum class ProductColumn { Code, Name, Unit, CostPrice, SalePrice, MinDiscount, Stock, ItemDiscount, Mnemonic };
inline constexpr int kProductColumnCount = 9;

// The nine header texts, in the order above: "商品编号" ... "助记码".
const std::array<QString, kProductColumnCount>& productColumnHeaders();

class ProductSheet
{
public:
    // Finds the nine columns by header text in any order. Throws SheetError naming the missing headers and the
    // worksheet.
    explicit ProductSheet(Worksheet sheet);
    int rowCount() const;                                      // N: every row after the header, blank rows included
    QString cellText(int dataRow, ProductColumn column) const; // untrimmed, dataRow from 0

private:
    Worksheet sheet_;
    std::array<int, kProductColumnCount> columns_{};
};

// The nine texts of one row, all trimmed, the number texts defaulted.
struct ProductRow
{
    QString Code;
    QString Name;
    QString Mnemonic;
    QString Unit;
    QString CostPrice;
    QString SalePrice;
    QString MinDiscount;
    QString Stock;
    QString ItemDiscount;
};

// Removes every character at or below U+0020 at both ends (the full-width blank stays).
QString trimControls(const QString& text);

// Trims, defaults "0"/"1", and builds the mnemonic from the name when the sheet has none.
ProductRow fillProductRow(const ProductSheet& sheet, int dataRow);
// The same with the caller's encoder, for row after row: making the GBK converter costs more than using it.
ProductRow fillProductRow(const ProductSheet& sheet, int dataRow, mnemonic::MnemonicEncoder& mnemonics);

} // namespace data
