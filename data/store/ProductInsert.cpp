#include "store/ProductInsert.h"

#include "db/Connection.h"
#include "store/CpxmColumns.h"

namespace data {

InsertTexts productInsertTexts(const std::vector<StoreColumn>& furtherColumns,
                               const std::function<QString(const QString&)>& quote)
{
    QStringList further;
    QStringList written; // as the statement writes them
    for (const StoreColumn& column : furtherColumns) {
        further << column.name;
        written << (quote ? quote(column.name) : column.name);
    }
    const int columns = kCpxmColumnCount + int(further.size());
    InsertTexts texts;
    texts.singleRow = parseStatement(productInsertText(written));
    texts.into = productInsertClause(written);
    texts.table = QStringLiteral("Cpxm");
    texts.head = texts.into + QStringLiteral("\r\n values");
    texts.tuple = u'(' + QStringLiteral("?,").repeated(columns);
    texts.tuple.back() = u')';
    texts.tail = QStringLiteral("\r\n");
    texts.columns = columns;
    for (const CpxmColumn& column : cpxmColumns())
        texts.columnTypes.push_back(boundValueType(column.type));
    for (const CpxmColumn& column : cpxmColumns())
        texts.columnNames << column.name;
    texts.columnNames << further;
    for (const StoreColumn& column : furtherColumns)
        texts.columnTypes.push_back(column.kind == StoreColumn::Kind::Number ? BoundValue::Type::Double
                                                                             : BoundValue::Type::Text);
    return texts;
}

std::unique_ptr<PreparedInsert> prepareProductInsert(Connection& connection,
                                                     const std::vector<StoreColumn>& furtherColumns)
{
    return connection.prepareInsert(
        productInsertTexts(furtherColumns, [&connection](const QString& name) { return connection.quotedName(name); }));
}

} // namespace data
