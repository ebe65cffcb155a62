#include "ProductSheet.h"

#include "MnemonicCode.h"
#include "MnemonicEncoder.h"

#include <QStringList>

namespace data {

namespace {

constexpr int kMnemonicLimit = 255;

} // namespace

const std::array<QString, kProductColumnCount>& productColumnHeaders()
{
    static const std::array<QString, kProductColumnCount> headers{
        QStringLiteral("商品编号"), QStringLiteral("商品名称"), QStringLiteral("计量单位"),
        QStringLiteral("成本价"),   QStringLiteral("销售价"),   QStringLiteral("最低折扣"),
        QStringLiteral("当前库存"), QStringLiteral("单品折扣"), QStringLiteral("助记码"),
    };
    return headers;
}

ProductSheet::ProductSheet(Worksheet sheet) : sheet_(std::move(sheet))
{
    const auto& headers = productColumnHeaders();
    columns_.fill(-1);
    const int columnCount = sheet_.rowCount() > 0 ? sheet_.columnCount() : 0;
    for (int column = 0; column < columnCount; ++column) {
        const QString header = sheet_.cellText(0, column);
        for (int i = 0; i < kProductColumnCount; ++i) {
            if (columns_[i] < 0 && header == headers[i])
                columns_[i] = column; // of two columns with the same header the first counts
        }
    }
    // Every header must be there, even one whose cells may all stay blank: the import asks for all nine by name.
    QStringList missing;
    for (int i = 0; i < kProductColumnCount; ++i) {
        if (columns_[i] < 0)
            missing << QStringLiteral("“%1”").arg(headers[i]);
    }
    if (!missing.isEmpty()) {
        QStringList all;
        for (const QString& header : headers)
            all << header;
        throw SheetError(QStringLiteral("工作表“%1”的第一行缺少列名%2。第一行必须有这九个列名（顺序不限）：%3。")
                             .arg(sheet_.name(), missing.join(QStringLiteral("、")), all.join(QStringLiteral("、"))));
    }
}

int ProductSheet::rowCount() const
{
    return sheet_.rowCount() > 1 ? sheet_.rowCount() - 1 : 0;
}

QString ProductSheet::cellText(int dataRow, ProductColumn column) const
{
    return sheet_.cellText(dataRow + 1, columns_[static_cast<int>(column)]);
}

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

ProductRow fillProductRow(const ProductSheet& sheet, int dataRow)
{
    mnemonic::MnemonicEncoder mnemonics;
    return fillProductRow(sheet, dataRow, mnemonics);
}

ProductRow fillProductRow(const ProductSheet& sheet, int dataRow, mnemonic::MnemonicEncoder& mnemonics)
{
    const auto trimmed = [&](ProductColumn column) { return trimControls(sheet.cellText(dataRow, column)); };
    const auto orDefault = [](QString text, const char* fallback) {
        return text.isEmpty() ? QString::fromLatin1(fallback) : text;
    };

    ProductRow row;
    row.Code = trimmed(ProductColumn::Code);
    row.Name = trimmed(ProductColumn::Name);
    row.Mnemonic = trimmed(ProductColumn::Mnemonic);
    if (row.Mnemonic.isEmpty()) {
        row.Mnemonic =
            mnemonics.build(sheet.cellText(dataRow, ProductColumn::Name), mnemonic::moMarkMissing, kMnemonicLimit);
    }
    row.Unit = trimmed(ProductColumn::Unit);
    row.CostPrice = orDefault(trimmed(ProductColumn::CostPrice), "0");
    row.SalePrice = orDefault(trimmed(ProductColumn::SalePrice), "0");
    row.MinDiscount = orDefault(trimmed(ProductColumn::MinDiscount), "0");
    row.Stock = orDefault(trimmed(ProductColumn::Stock), "0");
    row.ItemDiscount = orDefault(trimmed(ProductColumn::ItemDiscount), "1");
    return row;
}

} // namespace data
