#pragma once
// The product types and the categories of a type, read from ProdKind. Both loads stop quietly at the first
// error and keep what they read before it.

#include <QList>
#include <QString>

namespace data {

class Query;

// One entry of ProdKind as the lists offer it.
struct ProductKind
{
    QString name;   // kindname, as the lists show it
    QString kindId; // kinid
    QString remark; // Remark: a category's big-kind code; not read for product types

    friend bool operator==(const ProductKind&, const ProductKind&) = default;
};

using ProductKindList = QList<ProductKind>;

// Every product type (leve = 0), in the store's order.
ProductKindList loadProductTypes(Query& query);

// The categories offered under the type typeKindId: leaves, no "CF" in their kinid, SRemark equal to the type's
// kinid.
ProductKindList loadCategories(Query& query, const QString& typeKindId);

} // namespace data
