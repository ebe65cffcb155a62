#pragma once
// What an ODBC driver says when it refuses something: the first diagnostic record of a handle, turned into a
// DatabaseError that tells a row fault from a store fault by its SQLSTATE.

#include "db/DatabaseError.h"

#include <QString>

#include <sql.h>

#include <memory>

namespace data {

struct OdbcDiagnostic
{
    QString sqlState;
    int nativeError = 0;
    QString message;
};

// The first diagnostic record of the handle; empty when there is none.
OdbcDiagnostic odbcDiagnostic(SQLSMALLINT handleType, SQLHANDLE handle);

// The refusal as an error: the driver's message (fallbackMessage when it gave none), its SQLSTATE, and a row
// fault turned into a store fault when the connection itself has gone.
DatabaseError odbcError(const OdbcDiagnostic& diagnostic, const QString& fallbackMessage, SQLHDBC connection);

// The refusal a statement handle holds, as an error.
DatabaseError statementError(SQLHSTMT statement, const QString& fallbackMessage, SQLHDBC connection);

struct StatementHandleFree
{
    void operator()(SQLHSTMT statement) const { SQLFreeHandle(SQL_HANDLE_STMT, statement); }
};
using StatementHandle = std::unique_ptr<void, StatementHandleFree>;

// A statement on the connection, prepared from text. Asking for the result's shape makes a driver that prepares
// lazily (psqlODBC) prepare now: a table that does not fit shows here, and the first execution is a plain one,
// which such a driver undoes by itself alone when the store refuses it, instead of the whole transaction.
// Throws DatabaseError.
StatementHandle prepareStatement(SQLHDBC connection, const QString& text);

} // namespace data
