#include "db/OdbcDiagnostics.h"

#include "db/StoreFaults.h"

#include <sqlext.h>

namespace data {

namespace {

// Some drivers (psqlODBC among them) report a connection the server has ended as a general error (HY000, or
// S1000 of ODBC 2): the connection's own state tells.
bool connectionDead(SQLHDBC connection)
{
    SQLUINTEGER dead = SQL_CD_FALSE;
    return connection &&
           SQL_SUCCEEDED(SQLGetConnectAttr(connection, SQL_ATTR_CONNECTION_DEAD, &dead, SQL_IS_UINTEGER, nullptr)) &&
           dead == SQL_CD_TRUE;
}

} // namespace

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters must be UTF-16 code units");

OdbcDiagnostic odbcDiagnostic(SQLSMALLINT handleType, SQLHANDLE handle)
{
    OdbcDiagnostic diagnostic;
    if (!handle)
        return diagnostic;
    SQLWCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[SQL_MAX_MESSAGE_LENGTH] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLGetDiagRecW(handleType, handle, 1, state, &native, message, SQL_MAX_MESSAGE_LENGTH, &length);
    if (!SQL_SUCCEEDED(rc))
        return diagnostic;
    diagnostic.sqlState = QString::fromUtf16(reinterpret_cast<const char16_t*>(state), SQL_SQLSTATE_SIZE);
    diagnostic.nativeError = int(native);
    diagnostic.message = QString::fromUtf16(reinterpret_cast<const char16_t*>(message),
                                            qMin<qsizetype>(length, SQL_MAX_MESSAGE_LENGTH - 1))
                             .trimmed();
    return diagnostic;
}

DatabaseError odbcError(const OdbcDiagnostic& diagnostic, const QString& fallbackMessage, SQLHDBC connection)
{
    const QString message = diagnostic.message.isEmpty() ? fallbackMessage : diagnostic.message;
    if (diagnostic.sqlState.isEmpty())
        return DatabaseError(message, Fault::Store);
    Fault fault = sqlStateFault(diagnostic.sqlState, diagnostic.nativeError);
    const bool dataOrConstraint =
        diagnostic.sqlState.startsWith(QLatin1String("22")) || diagnostic.sqlState.startsWith(QLatin1String("23"));
    if (fault == Fault::Row && !dataOrConstraint && connectionDead(connection))
        fault = Fault::Store;
    return DatabaseError(message, fault, diagnostic.sqlState);
}

DatabaseError statementError(SQLHSTMT statement, const QString& fallbackMessage, SQLHDBC connection)
{
    return odbcError(odbcDiagnostic(SQL_HANDLE_STMT, statement), fallbackMessage, connection);
}

StatementHandle prepareStatement(SQLHDBC connection, const QString& text)
{
    SQLHSTMT raw = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &raw)))
        throw odbcError(odbcDiagnostic(SQL_HANDLE_DBC, connection), QStringLiteral("Cannot make a statement"),
                        connection);
    StatementHandle statement(raw);
    auto* sql = reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(text.utf16()));
    if (!SQL_SUCCEEDED(SQLPrepareW(raw, sql, SQLINTEGER(text.size()))))
        throw statementError(raw, QStringLiteral("Cannot prepare the insert"), connection);
    SQLSMALLINT resultColumns = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(raw, &resultColumns)))
        throw statementError(raw, QStringLiteral("Cannot prepare the insert"), connection);
    return statement;
}

} // namespace data
