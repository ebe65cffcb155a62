#include "BackendFixture.h"

#include <QTest>

namespace storetest {

Backend BackendFixture::backend()
{
    return *static_cast<Backend*>(QTest::qData("backend", qMetaTypeId<Backend>()));
}

bool BackendFixture::available()
{
    if (backend() != Backend::Server || !serverConnectionString().isEmpty())
        return true;
    if (serverRequired())
        QTest::qFail(qPrintable(missingServerMessage()), __FILE__, __LINE__);
    else
        QTest::qSkip(qPrintable(missingServerMessage()), __FILE__, __LINE__);
    return false;
}

bool BackendFixture::connectDemo(data::Connection& connection)
{
    if (!available())
        return false;
    folders_.connectDemo(backend(), connection);
    return true;
}

} // namespace storetest
