#include "engine/rows/ProductRow.h"

#include "engine/sheet/CellText.h"
#include "engine/sheet/FieldTable.h"
#include "engine/sheet/ProductSheet.h"
#include "mnemonic/MnemonicCode.h"
#include "mnemonic/MnemonicEncoder.h"

#include <algorithm>

namespace importer {

namespace {

constexpr int kMnemonicLimit = 255;

} // namespace

ProductRow fillProductRow(const ProductSheet& sheet, int dataRow, mnemonic::MnemonicEncoder& mnemonics,
                          bool phraseMnemonics, int mnemonicWidth)
{
    ProductRow row;
    fillProductRow(row, sheet, dataRow, mnemonics, phraseMnemonics, mnemonicWidth);
    return row;
}

void fillProductRow(ProductRow& row, const ProductSheet& sheet, int dataRow, mnemonic::MnemonicEncoder& mnemonics,
                    bool phraseMnemonics, int mnemonicWidth)
{
    const auto trimmed = [&](ProductColumn column, QString& text) {
        sheet.cellText(dataRow, column, text);
        trimControlsInPlace(text);
    };
    row.blankFields = 0;
    const auto blank = [&row](ProductColumn column) { row.blankFields |= 1u << indexOf(column); };
    // A blank number cell reads as the field's default ("0", "1" for 单品折扣); an update leaves it as stored.
    const auto number = [&](ProductColumn column, QString& text) {
        trimmed(column, text);
        if (text.isEmpty()) {
            blank(column);
            text = blankText(column);
        }
    };

    sheet.cellText(dataRow, ProductColumn::Code, row.Code);
    sheet.cellText(dataRow, ProductColumn::Name, row.Name);
    // A total row at the foot of the list, or the header row repeated, is no product: it counts as an empty record.
    if (ProductSheet::isTotalRow(row.Code, row.Name) || sheet.repeatsHeader(row.Code, row.Name))
        row.Code = QString();
    trimControlsInPlace(row.Code);
    trimmed(ProductColumn::Mnemonic, row.Mnemonic);
    if (row.Mnemonic.isEmpty()) {
        blank(ProductColumn::Mnemonic);
        const int options = mnemonic::moMarkMissing | (phraseMnemonics ? mnemonic::moPhrases : 0);
        // Cut to what the store's column takes: the name fits its own column, and the code built from it must not
        // fail the row.
        const int limit = mnemonicWidth > 0 ? std::min(mnemonicWidth, kMnemonicLimit) : kMnemonicLimit;
        row.Mnemonic = mnemonics.build(row.Name, options, limit); // from the name as the cell has it
    }
    trimControlsInPlace(row.Name);
    trimmed(ProductColumn::Unit, row.Unit);
    if (row.Unit.isEmpty())
        blank(ProductColumn::Unit);
    number(ProductColumn::CostPrice, row.CostPrice);
    number(ProductColumn::SalePrice, row.SalePrice);
    number(ProductColumn::MinDiscount, row.MinDiscount);
    number(ProductColumn::Stock, row.Stock);
    number(ProductColumn::ItemDiscount, row.ItemDiscount);
    row.further.resize(sheet.furtherCount());
    for (int i = 0; i < sheet.furtherCount(); ++i)
        row.further[i] = trimControls(sheet.furtherText(dataRow, i));
    row.readFault = QString();
    // Such a cell reads as "", which would store the default as if the sheet said so.
    // The number fields of the field table, listed here: this runs for every row.
    for (const ProductColumn number : {ProductColumn::CostPrice, ProductColumn::SalePrice, ProductColumn::MinDiscount,
                                       ProductColumn::Stock, ProductColumn::ItemDiscount}) {
        if (sheet.isUncomputedFormula(dataRow, number))
            row.readFault = QStringLiteral("公式没有计算结果");
    }
}

} // namespace importer
