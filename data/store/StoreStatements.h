#pragma once
// The statements the importer sends to the store, as the store's own system expects them.

#include <QString>

namespace data::statements {

// Product types: aa is the integer 0.
inline const QString kProductTypes = QStringLiteral("select * from ProdKind where leve=:aa");
// Categories of a type: aa is "%CF%", ab the type's kinid. Kinds with a NULL Parent would make NOT IN false for
// every row, so they are kept out of the subquery.
extern const QString kCategories;
// Code letter probe: aa is a letter followed by "%".
inline const QString kCodeLetterProbe = QStringLiteral("select Cpxm_bm from Cpxm where Cpxm_bm like :aa");
// The product insert, sent as these two lines.
extern const QString kInsertClause;
extern const QString kValuesClause;

} // namespace data::statements
