#pragma once
// The product types and the categories of a type, read from ProdKind. Both loads stop quietly at the first
// error and keep what they read before it.

#include <QString>
#include <QStringList>

namespace data {

class Query;

// Entry names and the kinid of each entry, index for index.
struct ProductTypeList
{
    QStringList names;
    QStringList kindIds;
};

// Entry names, and the Remark and kinid of each entry, index for index.
struct CategoryList
{
    QStringList names;
    QStringList remarks;
    QStringList kindIds;
};

// Empties the list, then reads every product type (leve = 0).
void loadProductTypes(Query& query, ProductTypeList& types);

// Empties the names, then reads the categories offered under the type typeKindId: leaves, no "CF" in their
// kinid, SRemark equal to the type's kinid. remarks and kindIds are resized to the row count after the query
// opens; slots beyond what was read keep their old texts.
void loadCategories(Query& query, const QString& typeKindId, CategoryList& categories);

} // namespace data
