#pragma once
// The product insert of an import run, prepared once from the column table: several rows per statement on
// SQLite, up to a hundred through ODBC, five hundred as arrays on PostgreSQL.

#include "ConnectionBackend.h"

#include <memory>

namespace data {

class Connection;

// The texts of the product insert: the statement as the store query holds it, its pieces for several rows, and
// the columns' types for a batch in arrays.
InsertTexts productInsertTexts();

// Prepares the insert on the connection. Throws DatabaseError (a store fault when Cpxm does not fit it).
std::unique_ptr<PreparedInsert> prepareProductInsert(Connection& connection);

} // namespace data
