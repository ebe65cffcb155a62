#pragma once
// The product insert of an import run, prepared once from the column table: one row per statement on SQLite,
// up to a hundred through ODBC.

#include "ConnectionBackend.h"

#include <memory>

namespace data {

class Connection;

// The texts of the product insert: the statement as the store query holds it, and its pieces for several rows.
InsertTexts productInsertTexts();

// Prepares the insert on the connection. Throws DatabaseError (a store fault when Cpxm does not fit it).
std::unique_ptr<PreparedInsert> prepareProductInsert(Connection& connection);

} // namespace data
