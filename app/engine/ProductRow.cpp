#include "ProductRow.h"

#include "MnemonicCode.h"
#include "MnemonicEncoder.h"
#include "ProductSheet.h"

#include <algorithm>

namespace importer {

namespace {

constexpr int kMnemonicLimit = 255;

} // namespace

QString trimControls(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

ProductRow fillProductRow(const ProductSheet& sheet, int dataRow, mnemonic::MnemonicEncoder& mnemonics,
                          bool phraseMnemonics, int mnemonicWidth)
{
    const auto trimmed = [&](ProductColumn column) { return trimControls(sheet.cellText(dataRow, column)); };
    const auto orDefault = [](QString text, const char* fallback) {
        return text.isEmpty() ? QString::fromLatin1(fallback) : text;
    };

    ProductRow row;
    const QString codeCell = sheet.cellText(dataRow, ProductColumn::Code);
    const QString nameCell = sheet.cellText(dataRow, ProductColumn::Name);
    // A total row at the foot of the list is no product: it counts as an empty record.
    row.Code = ProductSheet::isTotalRow(codeCell, nameCell) ? QString() : trimControls(codeCell);
    row.Name = trimControls(nameCell);
    row.Mnemonic = trimmed(ProductColumn::Mnemonic);
    if (row.Mnemonic.isEmpty()) {
        const int options = mnemonic::moMarkMissing | (phraseMnemonics ? mnemonic::moPhrases : 0);
        // Cut to what the store's column takes: the name fits its own column, and the code built from it must not
        // fail the row.
        const int limit = mnemonicWidth > 0 ? std::min(mnemonicWidth, kMnemonicLimit) : kMnemonicLimit;
        row.Mnemonic = mnemonics.build(nameCell, options, limit);
    }
    row.Unit = trimmed(ProductColumn::Unit);
    row.CostPrice = orDefault(trimmed(ProductColumn::CostPrice), "0");
    row.SalePrice = orDefault(trimmed(ProductColumn::SalePrice), "0");
    row.MinDiscount = orDefault(trimmed(ProductColumn::MinDiscount), "0");
    row.Stock = orDefault(trimmed(ProductColumn::Stock), "0");
    row.ItemDiscount = orDefault(trimmed(ProductColumn::ItemDiscount), "1");
    for (int i = 0; i < sheet.furtherCount(); ++i)
        row.further << trimControls(sheet.furtherText(dataRow, i));
    // Such a cell reads as "", which would store the default as if the sheet said so.
    for (const ProductColumn number : {ProductColumn::CostPrice, ProductColumn::SalePrice, ProductColumn::MinDiscount,
                                       ProductColumn::Stock, ProductColumn::ItemDiscount}) {
        if (sheet.isUncomputedFormula(dataRow, number))
            row.readFault = QStringLiteral("公式没有计算结果");
    }
    return row;
}

} // namespace importer
