#pragma once
// The C insert floor: SQLite's own API with one prepared single-row insert into Cpxm and the texts in UTF-8 before
// the clock starts. What no import into SQLite can beat for the same rows; bench_store and bench_import both
// measure against it.

#include "db/StatementText.h"

#include <QString>

#include <vector>

namespace bench {

// Inserts rows rows of values (the twenty columns of each row in the column table's order, Unset as NULL) into the
// store at path in one transaction; returns the seconds from preparing the statement to the commit. Throws
// data::DatabaseError.
double sqliteInsertFloor(const QString& path, const std::vector<data::BoundValue>& values, int rows);

// The twenty columns of every row of the store's Cpxm from the rowid after afterRowid on, as stored (texts,
// integers, reals; NULL as Unset). Throws data::DatabaseError.
std::vector<data::BoundValue> storedRows(const QString& path, qint64 afterRowid, int& rows);

} // namespace bench
