#include "store/CpxmColumns.h"

namespace data {

const std::array<CpxmColumn, kCpxmColumnCount>& cpxmColumns()
{
    using enum ColumnType;
    using enum ColumnSource;
    // "CPxm_sl" is spelt with a capital P and "Cpzk" without the prefix: so the store names them.
    static const std::array<CpxmColumn, kCpxmColumnCount> columns{{
        {QStringLiteral("Cpxm_bm"), Text, LetterAndCode, {}, 0},
        {QStringLiteral("Cpxm_mc"), Text, Name, {}, 0},
        {QStringLiteral("Cpxm_jp"), Text, Mnemonic, {}, 0},
        {QStringLiteral("Cpxm_dw"), Text, Unit, {}, 0},
        {QStringLiteral("Cpxm_ysdj"), Double, SalePrice, {}, 0},
        {QStringLiteral("Cpxm_cbdj"), Double, CostPrice, {}, 0},
        {QStringLiteral("CPxm_sl"), Double, Stock, {}, 0},
        {QStringLiteral("Cpxm_zdzk"), Double, MinDiscount, {}, 0},
        {QStringLiteral("Cpxm_Bkind"), Text, BigKindCode, {}, 0},
        {QStringLiteral("Cpxm_ckbm"), Text, Fixed, QStringLiteral("CK000"), 0},
        {QStringLiteral("Cpxm_fdbh"), Text, Fixed, QStringLiteral("FD000"), 0},
        {QStringLiteral("Cpxm_kybm"), Text, Fixed, QStringLiteral("1"), 0},
        {QStringLiteral("Cpxm_kymc"), Text, Fixed, QStringLiteral("可供"), 0},
        {QStringLiteral("Cpxm_Skind"), Text, CategoryKindId, {}, 0},
        {QStringLiteral("Cpxm_tcms"), Text, Fixed, QStringLiteral("不提成"), 0},
        {QStringLiteral("Cpxm_tcbl"), Integer16, Fixed, {}, 0},
        {QStringLiteral("Cpxm_tcfs"), Text, Fixed, QStringLiteral("无"), 0},
        {QStringLiteral("Cpxm_jhdj"), Double, CostPrice, {}, 0}, // the cost price a second time
        {QStringLiteral("Cpxm_fw"), Text, Fixed, QStringLiteral("0"), 0},
        {QStringLiteral("Cpzk"), Double, ItemDiscount, {}, 0},
    }};
    return columns;
}

BoundValue::Type boundValueType(ColumnType type)
{
    switch (type) {
    case ColumnType::Double:
        return BoundValue::Type::Double;
    case ColumnType::Integer16:
        return BoundValue::Type::Integer;
    case ColumnType::Text:
        break;
    }
    return BoundValue::Type::Text;
}

QString productInsertClause(const QStringList& furtherColumns)
{
    QString clause = QStringLiteral("insert into Cpxm(");
    for (const CpxmColumn& column : cpxmColumns())
        clause += column.name + u',';
    for (const QString& column : furtherColumns)
        clause += column + u',';
    clause.back() = u')';
    return clause;
}

QString productValuesClause(const QStringList& furtherColumns)
{
    QString clause = QStringLiteral(" values(");
    for (const CpxmColumn& column : cpxmColumns())
        clause += u':' + column.name + u',';
    // A store's column name need not make a parameter name (a blank, a Chinese name): numbered instead.
    for (qsizetype i = 0; i < furtherColumns.size(); ++i)
        clause += QStringLiteral(":further%1,").arg(i + 1);
    clause.back() = u')';
    return clause;
}

QString productInsertText(const QStringList& furtherColumns)
{
    const QString lineEnd = QStringLiteral("\r\n");
    return productInsertClause(furtherColumns) + lineEnd + productValuesClause(furtherColumns) + lineEnd;
}

} // namespace data
