#include "ProductInsert.h"

#include "Connection.h"
#include "CpxmColumns.h"

namespace data {

InsertTexts productInsertTexts()
{
    InsertTexts texts;
    texts.singleRow = parseStatement(productInsertText());
    texts.into = productInsertClause();
    texts.table = QStringLiteral("Cpxm");
    texts.head = texts.into + QStringLiteral("\r\n values");
    texts.tuple = u'(' + QStringLiteral("?,").repeated(kCpxmColumnCount);
    texts.tuple.back() = u')';
    texts.tail = QStringLiteral("\r\n");
    texts.columns = kCpxmColumnCount;
    for (const CpxmColumn& column : cpxmColumns())
        texts.columnTypes.push_back(boundValueType(column.type));
    return texts;
}

std::unique_ptr<PreparedInsert> prepareProductInsert(Connection& connection)
{
    return connection.prepareInsert(productInsertTexts());
}

} // namespace data
