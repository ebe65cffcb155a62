#pragma once
// The statements the importer sends to the store, as the store's own system expects them. Inline, so that they
// are ready before any other static object that uses them. The product insert is built from the column table
// (CpxmColumns.h).

#include <QString>

namespace data::statements {

// Product types: aa is the integer 0.
inline const QString kProductTypes = QStringLiteral("select * from ProdKind where leve=:aa");
// Categories of a type: aa is "%CF%", ab the type's kinid. Kinds with a NULL Parent (top-level kinds) would make
// NOT IN false for every row, so only real parents are kept in the subquery.
inline const QString kCategories = QStringLiteral(
    "select * from ProdKind where(kinid not like :aa)and kinid not in(select Parent from ProdKind where Parent is "
    "not null) and SRemark=:ab");
// Code letter probe: aa is a letter followed by "%".
inline const QString kCodeLetterProbe = QStringLiteral("select Cpxm_bm from Cpxm where Cpxm_bm like :aa");

} // namespace data::statements
