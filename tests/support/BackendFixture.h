#pragma once
// The store of a store test's data row: its "backend" column (addBackendRows(), addBatchFormRows()) says which, a
// fresh SQLite demo store in a folder of the case's own or the test server reset to the demo. Where the row wants
// the server and none runs, the row is skipped saying so (failed under CI), and the test returns:
//
//     data::Connection connection;
//     if (!store_.connectDemo(connection))
//         return;

#include "db/Connection.h"
#include "StoreFixture.h"
#include "StoreTestSupport.h"

#include <QString>

namespace storetest {

class BackendFixture
{
public:
    bool isValid() const { return folders_.isValid(); }
    // The backend of the current data row.
    static Backend backend();
    // Whether the current row's backend runs; false once the row is skipped (or failed) for it.
    [[nodiscard]] static bool available();
    // A fresh demo store of the current row's backend, connected; false as available(). Throws data::DatabaseError.
    [[nodiscard]] bool connectDemo(data::Connection& connection);
    // A fresh demo store of the backend named, whatever the row's. Throws data::DatabaseError.
    void connectDemo(Backend backend, data::Connection& connection) { folders_.connectDemo(backend, connection); }
    // A fresh folder of the case's own, without a trailing '/'.
    QString fresh() { return folders_.fresh(); }

private:
    CaseFolders folders_;
};

} // namespace storetest
