#include "db/StoreFaults.h"

#include <sqlite3.h>

namespace data {

Fault sqliteFault(int resultCode)
{
    switch (resultCode & 0xff) {
    case SQLITE_CONSTRAINT:
    case SQLITE_TOOBIG:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE:
        return Fault::Row;
    default:
        // SQLITE_ERROR too: for the fixed product insert it means a table or column that is not there.
        return Fault::Store;
    }
}

QString sqliteCodeName(int resultCode)
{
    // sqlite3_errstr gives the text of a code; the tests and the log want something stable to look for.
    return QStringLiteral("SQLITE %1 (%2)").arg(resultCode).arg(QString::fromUtf8(sqlite3_errstr(resultCode)));
}

Fault sqlStateFault(const QString& sqlState, int nativeError)
{
    constexpr int kSqlServerLockTimeout = 1222;
    if (nativeError == kSqlServerLockTimeout)
        return Fault::Store;
    const QString state = sqlState.toUpper();
    if (state == QLatin1String("HYT00") || state == QLatin1String("HYT01") || state == QLatin1String("55P03"))
        return Fault::Store;
    static const char* const kStoreClasses[] = {"08", "25", "28", "40", "42", "53", "54", "57", "58", "XX"};
    for (const char* storeClass : kStoreClasses) {
        if (state.startsWith(QLatin1String(storeClass)))
            return Fault::Store;
    }
    return Fault::Row;
}

Refusal refusalOf(const DatabaseError& error)
{
    const QString& code = error.code();
    if (code.startsWith(QLatin1String("SQLITE "))) {
        const int resultCode = code.section(u' ', 1, 1).toInt();
        if (resultCode == SQLITE_CONSTRAINT_UNIQUE || resultCode == SQLITE_CONSTRAINT_PRIMARYKEY)
            return Refusal::RepeatedKey;
        if (resultCode == SQLITE_TOOBIG)
            return Refusal::TextTooLong;
        return Refusal::Other;
    }
    if (code == QLatin1String("23505"))
        return Refusal::RepeatedKey;
    // SQL Server reports every integrity refusal as 23000; its message tells a repeated key from the others.
    if (code == QLatin1String("23000")) {
        const QString message = error.message();
        if (message.contains(QLatin1String("duplicate"), Qt::CaseInsensitive) ||
            message.contains(QLatin1String("UNIQUE KEY"), Qt::CaseInsensitive) ||
            message.contains(QLatin1String("PRIMARY KEY"), Qt::CaseInsensitive))
            return Refusal::RepeatedKey;
    }
    if (code == QLatin1String("22001"))
        return Refusal::TextTooLong;
    // A number beyond what the column holds (numeric(10,2), real, an integer column).
    if (code == QLatin1String("22003"))
        return Refusal::NumberOutOfRange;
    return Refusal::Other;
}

} // namespace data
