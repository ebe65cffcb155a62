#include "engine/rows/ProductValues.h"

#include "db/StoreFaults.h"
#include "engine/rows/MadeRow.h"
#include "engine/rows/ProductRow.h"
#include "engine/sheet/FieldTable.h"
#include "engine/sheet/NumberText.h"
#include "store/CpxmColumns.h"

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

data::BoundValue wellFormedValue(const QString& text)
{
    return data::textValue(wellFormed(text));
}

data::BoundValue numberValue(const RunValues& runValues, const QString& text)
{
    data::BoundValue value;
    value.type = data::BoundValue::Type::Double;
    value.number = numberFromText(runValues.decimalSeparator, text);
    return value;
}

data::BoundValue valueOf(const data::CpxmColumn& column, const ProductRow& row, const RunValues& runValues)
{
    using data::ColumnSource;
    switch (column.source) {
    case ColumnSource::LetterAndCode:
        return wellFormedValue(runValues.codeLetter + row.Code);
    case ColumnSource::Name:
        return wellFormedValue(row.Name);
    case ColumnSource::Mnemonic:
        return wellFormedValue(row.Mnemonic);
    case ColumnSource::Unit:
        return wellFormedValue(row.Unit);
    case ColumnSource::SalePrice:
        return numberValue(runValues, row.SalePrice);
    case ColumnSource::CostPrice:
        return numberValue(runValues, row.CostPrice);
    case ColumnSource::Stock:
        return numberValue(runValues, row.Stock);
    case ColumnSource::MinDiscount:
        return numberValue(runValues, row.MinDiscount);
    case ColumnSource::ItemDiscount:
        return numberValue(runValues, row.ItemDiscount);
    case ColumnSource::BigKindCode:
        return wellFormedValue(runValues.bigKindCode);
    case ColumnSource::CategoryKindId:
        return wellFormedValue(runValues.categoryKindId);
    case ColumnSource::Fixed:
        break;
    }
    if (column.type == data::ColumnType::Integer16) {
        data::BoundValue value;
        value.type = data::BoundValue::Type::Integer;
        value.integer = column.fixedInteger;
        return value;
    }
    return wellFormedValue(column.fixedText);
}

// Characters as a store counts them: a pair of surrogates is one.
qsizetype characterCount(const QString& text)
{
    qsizetype count = text.size();
    for (const QChar c : text) {
        if (c.isLowSurrogate())
            --count;
    }
    return count;
}

bool longerThan(const QString& text, int width)
{
    return width > 0 && text.size() > width && characterCount(text) > width;
}

QString tooLong(const QString& header, const QString& text, const QString& column, int width)
{
    return QStringLiteral("%1“%2”超出数据库列 %3 的长度（最多%4个字）").arg(header, text, column).arg(width);
}

// A blank cell leaves the column as a row without it would have it (its default); a number column takes the cell
// by the same rules as the prices.
data::BoundValue furtherValue(const FurtherColumn& further, const QString& text, const RunValues& runValues)
{
    const data::StoreColumn& column = further.column;
    if (text.isEmpty())
        return column.defaultValue.value_or(data::BoundValue{});
    if (column.kind == data::StoreColumn::Kind::Number) {
        const std::optional<double> number = parseNumberText(text, runValues.decimalSeparator);
        if (!number)
            throw RowValueError(QStringLiteral("%1“%2”不是数字").arg(further.header, text));
        data::BoundValue value;
        value.type = data::BoundValue::Type::Double;
        value.number = *number;
        return value;
    }
    // Every store refuses or cuts a text longer than its column; checked here, all stores refuse it alike.
    if (longerThan(text, column.length))
        throw RowValueError(tooLong(further.header, text, column.name, column.length));
    return wellFormedValue(text);
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

QString refusalReason(const data::DatabaseError& refusal, const MadeRow& row)
{
    // The driver's message on one line: the log keeps a line a row.
    const QString message = refusal.message().simplified();
    switch (data::refusalOf(refusal)) {
    case data::Refusal::RepeatedKey:
        if (row.earlierRow > 0)
            return QStringLiteral("编号重复，与第%1行的编号相同").arg(row.earlierRow);
        return QStringLiteral("编号重复，数据库中已有这个编号");
    case data::Refusal::TextTooLong:
        return QStringLiteral("文字超出数据库列的长度（%1）").arg(message);
    case data::Refusal::NumberOutOfRange:
        return QStringLiteral("数字超出数据库列能存的范围（%1）").arg(message);
    case data::Refusal::Other:
        break;
    }
    return QStringLiteral("数据库拒绝了这一行（%1）").arg(message);
}

QString numberProblem(const ProductRow& row, const RunValues& runValues,
                      const std::function<QString(ProductColumn)>& headerOf)
{
    // In the order the insert converts them, so that the number named is the one that stopped the row.
    const std::pair<ProductColumn, const QString*> numbers[] = {
        {ProductColumn::SalePrice, &row.SalePrice},
        {ProductColumn::CostPrice, &row.CostPrice},
        {ProductColumn::Stock, &row.Stock},
        {ProductColumn::MinDiscount, &row.MinDiscount},
        {ProductColumn::ItemDiscount, &row.ItemDiscount},
    };
    for (const auto& [field, text] : numbers) {
        if (!parseNumberText(*text, runValues.decimalSeparator)) {
            const QString header = headerOf ? headerOf(field) : templateHeader(field);
            return QStringLiteral("%1“%2”不是数字").arg(header, *text);
        }
    }
    return QString();
}

namespace {

// The field of the sheet a text column of the twenty takes, where the text comes from the sheet.
std::optional<ProductColumn> sheetText(data::ColumnSource source)
{
    switch (source) {
    case data::ColumnSource::LetterAndCode:
        return ProductColumn::Code;
    case data::ColumnSource::Name:
        return ProductColumn::Name;
    case data::ColumnSource::Mnemonic:
        return ProductColumn::Mnemonic;
    case data::ColumnSource::Unit:
        return ProductColumn::Unit;
    default:
        return std::nullopt;
    }
}

void fillValues(data::BoundValue* values, const ProductRow& row, const RunValues& runValues,
                const std::function<QString(ProductColumn)>& headerOf, quint64& blanks)
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
    for (const QString& text : row.further) {
        if (text.contains(QChar(u'\0')))
            throw RowValueError(QStringLiteral("文字中有空字符（U+0000）"));
    }
    const auto& columns = data::cpxmColumns();
    // What each column takes from the sheet, worked out once: this runs for every row.
    struct ColumnPlan
    {
        std::optional<ProductColumn> text; // a text of the sheet, checked against the column's width
        std::optional<ProductColumn> fed;  // the field that feeds it, blank or not
    };
    static const std::array<ColumnPlan, data::kCpxmColumnCount> plans = [] {
        std::array<ColumnPlan, data::kCpxmColumnCount> made;
        for (std::size_t i = 0; i < made.size(); ++i)
            made[i] = {sheetText(data::cpxmColumns()[i].source), fieldFeeding(data::cpxmColumns()[i].source)};
        return made;
    }();
    blanks = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        values[i] = valueOf(columns[i], row, runValues);
        const ColumnPlan& plan = plans[i];
        if (plan.text && longerThan(values[i].text, runValues.widths[i])) {
            throw RowValueError(tooLong(headerOf ? headerOf(*plan.text) : templateHeader(*plan.text), values[i].text,
                                        columns[i].name, runValues.widths[i]));
        }
        if (plan.fed && row.isBlank(*plan.fed))
            blanks |= quint64(1) << i;
    }
    for (size_t j = 0; j < runValues.further.size(); ++j) {
        const QString text = row.further.value(qsizetype(j));
        values[columns.size() + j] = furtherValue(runValues.further[j], text, runValues);
        if (text.isEmpty())
            blanks |= quint64(1) << (columns.size() + j);
    }
}

} // namespace

std::size_t productValueCount(const RunValues& runValues)
{
    return data::cpxmColumns().size() + runValues.further.size();
}

data::CpxmRow productValues(const ProductRow& row, const RunValues& runValues)
{
    data::CpxmRow values(productValueCount(runValues));
    quint64 blanks = 0;
    fillValues(values.data(), row, runValues, {}, blanks);
    return values;
}

void makeValues(MadeRow& made, const ProductRow& row, const RunValues& runValues, ValueSlabs& slabs,
                const std::function<QString(ProductColumn)>& headerOf)
{
    try {
        RowValues values = slabs.take(productValueCount(runValues));
        fillValues(values.data(), row, runValues, headerOf, made.blankValues);
        made.values = std::move(values);
    } catch (const NumberTextError&) {
        // counted and logged as failed when the writes take the row
        made.reason = numberProblem(row, runValues, headerOf);
    } catch (const RowValueError& error) {
        made.reason = error.reason();
    }
}

} // namespace importer
