#pragma once
// The store a data row of an engine test runs on, told by the row's name: rows named after the server
// ("postgresql", "postgresql: ...") are the server's, every other row SQLite's. A test's init() requires it, so the
// test functions do not repeat the server requirement.

#include "db/Connection.h"
#include "StoreFixture.h"

#include <QString>

namespace enginetest {

// The backend of the data row being run.
storetest::Backend rowBackend();

// False, having skipped the test (failed it under CI), when its row is the server's and no server runs. Called from
// init(), where that keeps the test function from running.
bool requireRowBackend();

// A column "backend" with one row, the server's: for a test of what only the server does.
void addServerRow();

} // namespace enginetest
