#pragma once
// Which store a verb works on: --store FILE (an SQLite store file), --odbc CONNSTR, or, without either, the store
// the window would connect to (ProgramPlaces: the program folder or the user's data folder).

#include <QString>

namespace data {
class Connection;
}

namespace cli {

class VerbParser;

// Adds --store and --odbc to the verb's options.
void addStoreOptions(VerbParser& parser);

// What is wrong with the choice (both given, an empty value), or an empty text.
QString storeChoiceProblem(const VerbParser& parser);

// The file the chosen store lives in, empty for a server.
QString chosenStoreFile(const VerbParser& parser);

// Connects to the chosen store. Throws data::DatabaseError.
void connectChosenStore(const VerbParser& parser, data::Connection& connection);

} // namespace cli
