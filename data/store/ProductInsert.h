#pragma once
// The product insert of an import run, prepared once from the column table: several rows per statement on
// SQLite, up to a hundred through ODBC, five hundred as arrays on PostgreSQL.

#include "db/ConnectionBackend.h"
#include "db/StoreColumns.h"

#include <functional>
#include <memory>
#include <vector>

namespace data {

class Connection;

// The texts of the product insert: the statement as the store query holds it, its pieces for several rows, and
// the columns' types for a batch in arrays.
// The further columns follow the twenty, each bound as a text or a number, named as quote writes a name for the
// store (as they stand without it).
InsertTexts productInsertTexts(const std::vector<StoreColumn>& furtherColumns = {},
                               const std::function<QString(const QString&)>& quote = {});

// Prepares the insert on the connection. Throws DatabaseError (a store fault when Cpxm does not fit it).
std::unique_ptr<PreparedInsert> prepareProductInsert(Connection& connection,
                                                     const std::vector<StoreColumn>& furtherColumns = {});

} // namespace data
