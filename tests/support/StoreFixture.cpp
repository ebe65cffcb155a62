#include "StoreFixture.h"

#include "store/DemoStore.h"

#include <QFile>

namespace storetest {

QString backendName(Backend backend)
{
    return backend == Backend::Sqlite ? QStringLiteral("sqlite") : QStringLiteral("postgresql");
}

QString serverConnectionString()
{
    return qEnvironmentVariable("PI_TEST_ODBC");
}

bool serverRequired()
{
    return !qEnvironmentVariableIsEmpty("CI") || !qEnvironmentVariableIsEmpty("PI_REQUIRE_SERVER");
}

QString missingServerMessage()
{
    return QStringLiteral("!!! NO TEST SERVER: PI_TEST_ODBC is unset, so this PostgreSQL case did NOT run. "
                          "Start the server with: eval \"$(scripts/test-server start)\" !!!");
}

void createDemoStoreFile(const QString& path)
{
    QFile::remove(path);
    data::createDemoStore(path);
}

void connectServerWithDemo(data::Connection& connection)
{
    connection.connect(serverConnectionString());
    data::resetToDemoContents(connection);
}

void connectDemoStore(Backend backend, data::Connection& connection, const QString& folder)
{
    if (backend == Backend::Server) {
        connectServerWithDemo(connection);
        return;
    }
    const QString path = folder + QStringLiteral("/demo-store.sqlite");
    createDemoStoreFile(path);
    connection.connect(data::Connection::sqliteConnectionString(path));
}

} // namespace storetest
