#pragma once
// The product worksheet as the import sees it: a header row naming nine columns, one product per further row.

#include "Workbook.h"

#include <QString>
#include <QStringList>

#include <array>
#include <stdexcept>

namespace importer {

enum class ProductColumn { Code, Name, Unit, CostPrice, SalePrice, MinDiscount, Stock, ItemDiscount, Mnemonic };
inline constexpr int kProductColumnCount = 9;

// The nine header texts, in the order above: "商品编号" ... "助记码".
const std::array<QString, kProductColumnCount>& productColumnHeaders();

// The first row of the sheet lacks some of the nine headers. The message names them and all nine.
class MissingColumnsError : public std::runtime_error
{
public:
    MissingColumnsError(const QString& sheetName, const QStringList& missing);
    const QString& sheetName() const { return sheetName_; }
    const QStringList& missing() const { return missing_; } // in the order of the nine headers
    const QString& message() const { return message_; }

private:
    QString sheetName_;
    QStringList missing_;
    QString message_;
};

class ProductSheet
{
public:
    // Finds the nine columns by header text in any order; of two columns with the same header the first counts.
    // Throws MissingColumnsError.
    explicit ProductSheet(data::Worksheet sheet);
    int rowCount() const;                                      // N: every row after the header, blank rows included
    QString cellText(int dataRow, ProductColumn column) const; // untrimmed, dataRow from 0
    bool isUncomputedFormula(int dataRow, ProductColumn column) const; // a formula without a result

private:
    data::Worksheet sheet_;
    std::array<int, kProductColumnCount> columns_{};
};

} // namespace importer
