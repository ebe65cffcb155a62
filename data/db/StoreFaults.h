#pragma once
// Which refusals of a store are faults of one row and which are faults of the store, by the driver's own code.

#include "db/DatabaseError.h"

#include <QString>

namespace data {

// An SQLite result code (extended or primary). A row fault: a constraint, a value too big, a type mismatch.
// Anything that stops every row (busy or locked after the wait, read-only, full, I/O error, corrupt, not a
// database, a statement that does not fit the schema) is a store fault.
Fault sqliteFault(int resultCode);
// SQLite's name for a result code, such as "SQLITE_CONSTRAINT_UNIQUE".
QString sqliteCodeName(int resultCode);

// An ODBC SQLSTATE with the driver's native error number. Classes 22 (data) and 23 (constraint) are row faults;
// connection (08), authorisation (28), syntax or permission (42), time-outs (HYT00, HYT01), transaction
// rollbacks (40), read-only transactions (25), lock time-outs (55P03), resources (53, 54), operator
// intervention (57) and system errors (58, XX) are store faults. SQL Server reports its lock time-out as native
// error 1222, whatever the SQLSTATE. Other codes count as row faults, as every refusal did before.
Fault sqlStateFault(const QString& sqlState, int nativeError = 0);

// What a row's refusal was about, as far as the driver's code tells: a key the table already holds (the code of an
// earlier row, most often), a text longer than its column, or something else, which the driver's message says.
enum class Refusal { RepeatedKey, TextTooLong, NumberOutOfRange, Other };
Refusal refusalOf(const DatabaseError& error);

} // namespace data
