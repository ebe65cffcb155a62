#pragma once
// A statement that changes rows through ODBC: prepared once on the connection, bound and executed for every row,
// the rows it changed read from the driver.

#include "db/ConnectionBackend.h"

#include <sql.h>

#include <memory>

namespace data {

// Throws DatabaseError when the store cannot prepare it (a table or a column that is not there).
std::unique_ptr<PreparedWrite> makeOdbcWrite(SQLHDBC connection, const ParsedStatement& statement);

} // namespace data
