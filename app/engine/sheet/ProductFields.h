#pragma once
// The nine fields a product row has, in the order of the template's columns.

#include <QString>

#include <array>
#include <optional>

namespace importer {

enum class ProductColumn { Code, Name, Unit, CostPrice, SalePrice, MinDiscount, Stock, ItemDiscount, Mnemonic };
inline constexpr int kProductColumnCount = 9;

inline constexpr std::array<ProductColumn, kProductColumnCount> kProductColumns{
    ProductColumn::Code,      ProductColumn::Name,         ProductColumn::Unit,
    ProductColumn::CostPrice, ProductColumn::SalePrice,    ProductColumn::MinDiscount,
    ProductColumn::Stock,     ProductColumn::ItemDiscount, ProductColumn::Mnemonic,
};

inline constexpr int indexOf(ProductColumn field)
{
    return static_cast<int>(field);
}

// The nine header texts, in the order above: "商品编号" ... "助记码".
const std::array<QString, kProductColumnCount>& productColumnHeaders();

inline const QString& templateHeader(ProductColumn field)
{
    return productColumnHeaders()[static_cast<std::size_t>(indexOf(field))];
}

// Whether a blank cell of the field reads as a number default ("0", or "1" for 单品折扣); empty for text fields.
const char* blankDefault(ProductColumn field);

} // namespace importer
