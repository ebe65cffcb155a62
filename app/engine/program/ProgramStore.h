#pragma once
// The store a program opens when it is given none: database/Member.dat in its data folder when that file exists,
// else the local server. The window and the command line open it through here.

#include "engine/program/ProgramPlaces.h"

#include <QString>

#include <functional>

namespace data {
class Connection;
}

namespace importer {

// Connects store to the store of places. Throws what the connection throws (std::exception).
void connectProgramStore(data::Connection& store, const ProgramPlaces& places);

// The same, and on an installed program's first start for this user (no store file in the user's data folder and
// no server) puts the demo store there and connects to it, after demoStoreComing(storeFile) has said where, so the
// clerk can try the program out on it.
void openProgramStore(data::Connection& store, const ProgramPlaces& places,
                      const std::function<void(const QString& storeFile)>& demoStoreComing);

} // namespace importer
