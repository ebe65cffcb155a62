#pragma once
// A table's columns through the driver's SQLColumns: name, kind, length and default as the server states them.

#include "db/StoreColumns.h"

#include <sql.h>

#include <vector>

namespace data {

// Empty when the table is not there. Throws DatabaseError.
std::vector<StoreColumn> odbcTableColumns(SQLHDBC connection, const QString& table);

} // namespace data
