#include "RowBackend.h"

#include "StoreTestSupport.h"

#include <QTest>

namespace enginetest {

using storetest::Backend;

Backend rowBackend()
{
    const char* tag = QTest::currentDataTag();
    return tag != nullptr && QString::fromUtf8(tag).startsWith(storetest::backendName(Backend::Server))
               ? Backend::Server
               : Backend::Sqlite;
}

bool requireRowBackend()
{
    if (rowBackend() != Backend::Server || !storetest::serverConnectionString().isEmpty())
        return true;
    const QByteArray message = storetest::missingServerMessage().toUtf8();
    if (storetest::serverRequired())
        QTest::qFail(message.constData(), __FILE__, __LINE__);
    else
        QTest::qSkip(message.constData(), __FILE__, __LINE__);
    return false;
}

void addServerRow()
{
    storetest::addBackendColumn();
    QTest::newRow(qPrintable(storetest::backendName(Backend::Server))) << Backend::Server;
}

} // namespace enginetest
