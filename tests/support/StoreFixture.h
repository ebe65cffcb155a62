#pragma once
// Stores for tests: a fresh SQLite demo store in a file, or the test PostgreSQL server (scripts/test-server)
// reset to the demo contents. A test that needs the server and finds none fails under CI and skips, loudly,
// elsewhere; it never passes in silence.

#include "db/Connection.h"

#include <QString>
#include <QTest>

namespace storetest {

enum class Backend { Sqlite, Server };

QString backendName(Backend backend);

// The ODBC connection string of the test server (PI_TEST_ODBC), empty when no server was started.
QString serverConnectionString();
// True under CI or PI_REQUIRE_SERVER: a missing server is then a failure.
bool serverRequired();
QString missingServerMessage();

// Writes a fresh SQLite demo store at path, replacing any file there. Throws data::DatabaseError.
void createDemoStoreFile(const QString& path);

// Connects to the test server and replaces its ProdKind and Cpxm with the demo contents. Throws.
void connectServerWithDemo(data::Connection& connection);

// Connects to a fresh demo store of the backend: a new file in folder, or the reset server. Throws.
void connectDemoStore(Backend backend, data::Connection& connection, const QString& folder);

} // namespace storetest

Q_DECLARE_METATYPE(storetest::Backend)

// In a test function: stop here when the backend is the server and no server runs.
#define STORETEST_REQUIRE_BACKEND(backend)                                                                             \
    do {                                                                                                               \
        if ((backend) == storetest::Backend::Server && storetest::serverConnectionString().isEmpty()) {                \
            if (storetest::serverRequired())                                                                           \
                QFAIL(qPrintable(storetest::missingServerMessage()));                                                  \
            QSKIP(qPrintable(storetest::missingServerMessage()));                                                      \
        }                                                                                                              \
    } while (false)
