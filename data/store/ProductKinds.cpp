#include "store/ProductKinds.h"

#include "db/DatabaseError.h"
#include "db/Query.h"
#include "store/StoreStatements.h"

namespace data {

namespace {

const QString kKindName = QStringLiteral("kindname");
const QString kKindId = QStringLiteral("kinid");
const QString kRemark = QStringLiteral("Remark");

} // namespace

ProductKindList loadProductTypes(Query& query)
{
    ProductKindList types;
    try {
        query.close();
        query.clearSql();
        query.addSqlLine(statements::kProductTypes);
        query.bindInteger16(QStringLiteral("aa"), 0);
        query.open();
        for (query.first(); !query.eof(); query.next()) {
            // Both fields first, so that an entry is only ever listed together with its own kinid.
            ProductKind type;
            type.name = query.fieldText(kKindName);
            type.kindId = query.fieldText(kKindId);
            types.append(std::move(type));
        }
    } catch (const DatabaseError&) {
        // The list stays as far as it was read; the window shows no message for it.
    }
    return types;
}

ProductKindList loadCategories(Query& query, const QString& typeKindId)
{
    ProductKindList categories;
    try {
        query.close();
        query.clearSql();
        query.addSqlLine(statements::kCategories);
        query.bindText(QStringLiteral("aa"), QStringLiteral("%CF%"));
        query.bindText(QStringLiteral("ab"), typeKindId);
        query.open();
        for (query.first(); !query.eof(); query.next()) {
            // All three fields first: an entry is never listed with the Remark or kinid of another category.
            ProductKind category;
            category.name = query.fieldText(kKindName);
            category.remark = query.fieldText(kRemark);
            category.kindId = query.fieldText(kKindId);
            categories.append(std::move(category));
        }
    } catch (const DatabaseError&) {
        // The list stays as far as it was read; the window shows no message for it.
    }
    return categories;
}

} // namespace data
