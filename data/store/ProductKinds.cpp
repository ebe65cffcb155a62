#include "ProductKinds.h"

#include "DatabaseError.h"
#include "Query.h"
#include "StoreStatements.h"

namespace data {

namespace {

const QString kKindName = QStringLiteral("kindname");
const QString kKindId = QStringLiteral("kinid");
const QString kRemark = QStringLiteral("Remark");

// The length that Delphi's SetLength would give: texts up to the new length stay, new slots are empty.
void resizeKeeping(QStringList& list, int size)
{
    while (list.size() > size)
        list.removeLast();
    while (list.size() < size)
        list.append(QString());
}

} // namespace

void loadProductTypes(Query& query, ProductTypeList& types)
{
    types.names.clear();
    try {
        query.close();
        query.clearSql();
        query.addSqlLine(statements::kProductTypes);
        query.bindInteger16(QStringLiteral("aa"), 0);
        query.open();
        resizeKeeping(types.kindIds, query.rowCount());
        query.first();
        for (int i = 0; !query.eof(); ++i, query.next()) {
            // Both fields first, so that an entry is only ever listed together with its own kinid.
            const QString name = query.fieldText(kKindName);
            const QString kindId = query.fieldText(kKindId);
            types.names.append(name);
            types.kindIds[i] = kindId;
        }
    } catch (const DatabaseError&) {
        // The list stays as far as it was read; the window shows no message for it.
    }
}

void loadCategories(Query& query, const QString& typeKindId, CategoryList& categories)
{
    categories.names.clear();
    try {
        query.close();
        query.clearSql();
        query.addSqlLine(statements::kCategories);
        query.bindText(QStringLiteral("aa"), QStringLiteral("%CF%"));
        query.bindText(QStringLiteral("ab"), typeKindId);
        query.open();
        resizeKeeping(categories.remarks, query.rowCount());
        resizeKeeping(categories.kindIds, query.rowCount());
        query.first();
        for (int i = 0; !query.eof(); ++i, query.next()) {
            // All three fields first: an entry is never listed with the Remark or kinid of another type's category.
            const QString name = query.fieldText(kKindName);
            const QString remark = query.fieldText(kRemark);
            const QString kindId = query.fieldText(kKindId);
            categories.names.append(name);
            categories.remarks[i] = remark;
            categories.kindIds[i] = kindId;
        }
    } catch (const DatabaseError&) {
        // The list stays as far as it was read; the window shows no message for it.
    }
}

} // namespace data
