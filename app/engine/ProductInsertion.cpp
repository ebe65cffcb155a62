#include "ProductInsertion.h"

#include "NumberText.h"
#include "CpxmColumns.h"
#include "ProductRow.h"
#include "WriteBatch.h"

namespace importer {

namespace {

// A lone surrogate names no character, and each store's driver would make another one of it (SQLite pairs it
// with the unit after it, the server's driver with the unit after the text's end): it is stored as U+FFFD.
QString wellFormed(const QString& text)
{
    QString result = text;
    for (qsizetype i = 0; i < result.size(); ++i) {
        const QChar c = result.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < result.size() && result.at(i + 1).isLowSurrogate())
            ++i;
        else
            result[i] = QChar::ReplacementCharacter;
    }
    return result;
}

data::BoundValue textValue(const QString& text)
{
    data::BoundValue value;
    value.type = data::BoundValue::Type::Text;
    value.text = wellFormed(text);
    return value;
}

data::BoundValue numberValue(const BatchValues& batch, const QString& text)
{
    data::BoundValue value;
    value.type = data::BoundValue::Type::Double;
    value.number = numberFromText(batch.decimalSeparator, text);
    return value;
}

data::BoundValue valueOf(const data::CpxmColumn& column, const ProductRow& row, const BatchValues& batch)
{
    using data::ColumnSource;
    switch (column.source) {
    case ColumnSource::LetterAndCode:
        return textValue(batch.batchPrefix + row.Code);
    case ColumnSource::Name:
        return textValue(row.Name);
    case ColumnSource::Mnemonic:
        return textValue(row.Mnemonic);
    case ColumnSource::Unit:
        return textValue(row.Unit);
    case ColumnSource::SalePrice:
        return numberValue(batch, row.SalePrice);
    case ColumnSource::CostPrice:
        return numberValue(batch, row.CostPrice);
    case ColumnSource::Stock:
        return numberValue(batch, row.Stock);
    case ColumnSource::MinDiscount:
        return numberValue(batch, row.MinDiscount);
    case ColumnSource::ItemDiscount:
        return numberValue(batch, row.ItemDiscount);
    case ColumnSource::BigKindCode:
        return textValue(batch.bigKindCode);
    case ColumnSource::CategoryKindId:
        return textValue(batch.categoryKindId);
    case ColumnSource::Fixed:
        break;
    }
    if (column.type == data::ColumnType::Integer16) {
        data::BoundValue value;
        value.type = data::BoundValue::Type::Integer;
        value.integer = column.fixedInteger;
        return value;
    }
    return textValue(column.fixedText);
}

} // namespace

QString errorLine(const ProductRow& row)
{
    return errorLine(row.Code, row.Name);
}

QString errorLine(const QString& code, const QString& name, const QString& reason)
{
    QString line = QStringLiteral("编号---") + code + QStringLiteral("；名称---") + name;
    if (!reason.isEmpty())
        line += QStringLiteral("；原因---") + reason;
    return line;
}

data::CpxmRow productValues(const ProductRow& row, const BatchValues& batch)
{
    if (!row.readFault.isEmpty())
        throw RowValueError(row.readFault);
    // A server keeps a text only up to its first U+0000 (two codes would then be one), SQLite keeps it whole: the
    // row fails on both alike.
    for (const QString* text : {&row.Code, &row.Name, &row.Mnemonic, &row.Unit, &row.CostPrice, &row.SalePrice,
                                &row.MinDiscount, &row.Stock, &row.ItemDiscount}) {
        if (text->contains(QChar(u'\0')))
            throw RowValueError(QStringLiteral("文字中有空字符（U+0000）"));
    }
    data::CpxmRow values;
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = valueOf(data::cpxmColumns()[i], row, batch);
    return values;
}

void InsertProductRecord(WriteBatch& writes, const ProductRow& row, const BatchValues& batch, int sheetRow)
{
    std::optional<data::CpxmRow> values;
    RowName name{row.Code, row.Name, QString()};
    try {
        values = productValues(row, batch);
    } catch (const NumberTextError&) {
    } catch (const RowValueError& error) {
        name.reason = error.reason();
    }
    InsertProductRecord(writes, name, std::move(values), sheetRow);
}

void InsertProductRecord(WriteBatch& writes, const RowName& name, std::optional<data::CpxmRow> values, int sheetRow,
                         bool repeatsCode)
{
    if (!values) {
        writes.addFailed(sheetRow, name);
        return;
    }
    writes.add(sheetRow, std::move(*values), name, repeatsCode);
}

} // namespace importer
