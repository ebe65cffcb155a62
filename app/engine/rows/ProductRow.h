#pragma once
// One row of the product sheet as the import stores it: the nine texts trimmed, the numbers defaulted, and the
// mnemonic code built from the name where the sheet has none.

#include "engine/sheet/ProductFields.h"

#include <QString>
#include <QStringList>

namespace mnemonic {
class MnemonicEncoder;
}

namespace importer {

class ProductSheet;

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
    QStringList further; // the cells of the further columns the clerk chose, trimmed
    QString readFault;   // why the row cannot be stored as its cells stand (a number never computed), or empty
    // The fields whose cell was blank before the defaults (a bit at indexOf(field)): an update leaves them as stored.
    unsigned blankFields = 0;

    bool isBlank(ProductColumn field) const { return blankFields & (1u << indexOf(field)); }
};

// Trims, defaults "0"/"1", and builds the mnemonic from the name when the sheet has none, by whole words where
// phraseMnemonics asks for it, at most mnemonicWidth characters where that is not 0. The caller's encoder serves
// row after row: making the GBK converter costs more than using it.
ProductRow fillProductRow(const ProductSheet& sheet, int dataRow, mnemonic::MnemonicEncoder& mnemonics,
                          bool phraseMnemonics = false, int mnemonicWidth = 0);
// The same into row, the storage of its texts used again where it has room: a making thread fills one row after
// another without allocating for the cells it does not keep (the numbers).
void fillProductRow(ProductRow& row, const ProductSheet& sheet, int dataRow, mnemonic::MnemonicEncoder& mnemonics,
                    bool phraseMnemonics = false, int mnemonicWidth = 0);

} // namespace importer
