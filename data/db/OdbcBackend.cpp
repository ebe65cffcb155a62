#include "db/OdbcBackend.h"

#include "db/DatabaseError.h"
#include "db/OdbcColumns.h"
#include "db/OdbcDiagnostics.h"
#include "db/OdbcInserts.h"
#include "db/OdbcWrite.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QVariant>

#include <sql.h>
#include <sqlext.h>

#include <climits>
#include <utility>

namespace data {

namespace {

// A server that accepts the TCP connection but never answers would otherwise hold the open for ever.
constexpr auto kConnectOptions = "SQL_ATTR_LOGIN_TIMEOUT=15";

QString errorText(const QSqlError& error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("The ODBC driver reported an error without a message") : text;
}

// QtSql binds a null QString as NULL; an empty text must reach the store as an empty text.
QString nonNullText(const QString& text)
{
    if (!text.isNull())
        return text;
    QString empty;
    empty.reserve(1);
    return empty;
}

QVariant variantOf(const BoundValue& value)
{
    switch (value.type) {
    case BoundValue::Type::Text:
        return QVariant(nonNullText(value.text));
    case BoundValue::Type::Integer:
        if (value.integer >= INT_MIN && value.integer <= INT_MAX)
            return QVariant(int(value.integer));
        return QVariant(qlonglong(value.integer));
    case BoundValue::Type::Double:
        return QVariant(value.number);
    case BoundValue::Type::Unset:
        break;
    }
    return QVariant();
}

QString cellText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value.toDouble());
    default:
        return value.toString();
    }
}

} // namespace

OdbcBackend::OdbcBackend(const QString& connectionString, int busyTimeoutMs)
    : name_(QStringLiteral("store-odbc-%1").arg(quintptr(this), 0, 16))
{
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
    if (!db_.isValid()) {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw DatabaseError(QStringLiteral("Qt's ODBC driver (QODBC) is not installed; it comes with the package "
                                           "libqt6sql6-odbc"),
                            Fault::Store);
    }
    db_.setDatabaseName(connectionString);
    db_.setConnectOptions(QString::fromLatin1(kConnectOptions));
    if (!db_.open()) {
        const QString detail = errorText(db_.lastError());
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw DatabaseError(detail, Fault::Store);
    }
    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(SQLGetInfoW(connectionHandle(), SQL_DBMS_NAME, name, sizeof(name), &length)))
        dbmsName_ = QString::fromUtf16(reinterpret_cast<const char16_t*>(name), length / qsizetype(sizeof(SQLWCHAR)));
    SQLWCHAR quote[8] = {};
    length = 0;
    if (SQL_SUCCEEDED(SQLGetInfoW(connectionHandle(), SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof(quote), &length)))
        identifierQuote_ =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(quote), length / qsizetype(sizeof(SQLWCHAR)));
    setBusyTimeout(busyTimeoutMs);
    driverUndoesRefusals_ = isPostgreSql();
}

QString OdbcBackend::quotedName(const QString& name) const
{
    // A blank: the driver quotes no names; SQL Server's bracket: closed by its partner.
    const QString quote = identifierQuote_.trimmed();
    if (quote.isEmpty())
        return name;
    const QString closing = quote == u"[" ? QStringLiteral("]") : quote;
    return quote + QString(name).replace(closing, closing + closing) + closing;
}

OdbcBackend::~OdbcBackend()
{
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

void* OdbcBackend::connectionHandle() const
{
    const QVariant handle = db_.driver() ? db_.driver()->handle() : QVariant();
    return handle.isValid() ? *static_cast<SQLHANDLE const*>(handle.constData()) : nullptr;
}

// The driver tells which server it talks to; QtSql's own guess rests on the same name.
bool OdbcBackend::isSqlServer() const
{
    return dbmsName_.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive) ||
           (db_.driver() && db_.driver()->dbmsType() == QSqlDriver::MSSqlServer);
}

bool OdbcBackend::isPostgreSql() const
{
    return dbmsName_.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive);
}

void OdbcBackend::throwQueryError(const QSqlQuery& query) const
{
    const QSqlResult* result = query.result();
    const QVariant handle = result ? result->handle() : QVariant();
    const SQLHANDLE statement = handle.isValid() ? *static_cast<SQLHANDLE const*>(handle.constData()) : nullptr;
    OdbcDiagnostic diagnostic = odbcDiagnostic(SQL_HANDLE_STMT, statement);
    diagnostic.message = errorText(query.lastError()); // QtSql's text names the step that failed
    throw odbcError(diagnostic, diagnostic.message, connectionHandle());
}

void OdbcBackend::throwConnectionError(const QSqlError& error) const
{
    OdbcDiagnostic diagnostic = odbcDiagnostic(SQL_HANDLE_DBC, connectionHandle());
    diagnostic.message = errorText(error);
    throw odbcError(diagnostic, diagnostic.message, connectionHandle());
}

void OdbcBackend::prepareAndBind(QSqlQuery& query, const ParsedStatement& statement,
                                 const std::vector<BoundValue>& values)
{
    // Forward only: the whole result is read at once anyway, and QODBC is forward-only after an exec.
    query.setForwardOnly(true);
    if (!query.prepare(statement.driverText(false)))
        throwQueryError(query);
    int placeholder = 0;
    for (const ParameterOccurrence& occurrence : statement.occurrences)
        query.bindValue(placeholder++, variantOf(values[size_t(occurrence.parameter)]));
}

void OdbcBackend::execute(const ParsedStatement& statement, const std::vector<BoundValue>& values)
{
    QSqlQuery query(db_);
    prepareAndBind(query, statement, values);
    if (!query.exec())
        throwQueryError(query);
}

void OdbcBackend::select(const ParsedStatement& statement, const std::vector<BoundValue>& values, int maxRows,
                         ResultSet& result)
{
    result.clear();
    QSqlQuery query(db_);
    prepareAndBind(query, statement, values);
    if (!query.exec())
        throwQueryError(query);
    // QSqlQuery::size() is -1 for ODBC: the row count is what was fetched.
    const QSqlRecord record = query.record();
    const int columnCount = record.count();
    for (int column = 0; column < columnCount; ++column)
        result.columns.append(record.fieldName(column));
    while ((maxRows <= 0 || result.rowCount < maxRows) && query.next()) {
        for (int column = 0; column < columnCount; ++column)
            result.cells.push_back(cellText(query.value(column)));
        ++result.rowCount;
    }
    if (query.lastError().isValid()) {
        result.clear();
        throwQueryError(query);
    }
}

std::unique_ptr<PreparedInsert> OdbcBackend::prepareInsert(const InsertTexts& texts)
{
    // PostgreSQL takes a batch as one array per column, far cheaper for it and the driver than a hundred tuples.
    if (isPostgreSql() && texts.offersArrays())
        return makeArrayInsert(
            connectionHandle(), texts,
            columnTypes(texts.table, texts.columnNames.isEmpty() ? texts.singleRow.names : texts.columnNames));
    return makeRowsInsert(connectionHandle(), texts);
}

std::unique_ptr<PreparedWrite> OdbcBackend::prepareWrite(const ParsedStatement& statement)
{
    return makeOdbcWrite(connectionHandle(), statement);
}

// PostgreSQL: the type of each of the table's columns, by name, as the server names it without length or
// precision (-1 keeps bpchar from reading as character(1)); empty for a column the table lacks. Unquoted names
// are the server's lower-case ones. Throws DatabaseError (a store fault when there is no such table).
QStringList OdbcBackend::columnTypes(const QString& table, const QStringList& columns)
{
    const ParsedStatement statement =
        parseStatement(QStringLiteral("select attname, format_type(atttypid, -1) as type from pg_attribute where "
                                      "attrelid = cast(:t as regclass) and attnum > 0 and not attisdropped"));
    BoundValue name;
    name.type = BoundValue::Type::Text;
    name.text = table;
    ResultSet result;
    select(statement, {name}, 0, result);
    QHash<QString, QString> types;
    for (int row = 0; row < result.rowCount; ++row)
        types.insert(result.cells[size_t(row) * 2], result.cells[size_t(row) * 2 + 1]);
    QStringList found;
    for (const QString& column : columns)
        found.append(types.value(column, types.value(column.toLower()))); // a quoted name keeps its case
    return found;
}

void OdbcBackend::checkConstraintsAtOnce()
{
    if (isPostgreSql())
        executeDirect(QStringLiteral("set constraints all immediate"));
}

void OdbcBackend::executeDirect(const QString& sql)
{
    QSqlQuery query(db_);
    if (!query.exec(sql))
        throwQueryError(query);
}

void OdbcBackend::beginTransaction()
{
    if (!db_.transaction())
        throwConnectionError(db_.lastError());
    // psqlODBC undoes a refused statement by itself under a savepoint of its own, but not the first statement of
    // a transaction: a refused first row would take the whole transaction with it. One plain statement first,
    // which also tells the transaction's id.
    if (isPostgreSql())
        transactionId_ = currentTransactionId();
    // SQL Server's driver runs without autocommit in implicit transactions, which SAVE TRANSACTION and EXEC do not
    // open: open it now, so that the first savepoint and the code letter lock find it. The driver's commit or
    // rollback ends it.
    else if (isSqlServer())
        executeDirect(QStringLiteral("IF @@TRANCOUNT = 0 BEGIN TRANSACTION"));
}

QString OdbcBackend::currentTransactionId()
{
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("select txid_current()")))
        throwQueryError(query);
    return query.next() ? query.value(0).toString() : QString();
}

bool OdbcBackend::transactionSurvivedRefusal()
{
    if (!isPostgreSql() || !driverUndoesRefusals_)
        return true;
    bool same = false;
    try {
        same = !transactionId_.isEmpty() && currentTransactionId() == transactionId_;
    } catch (const DatabaseError&) {
        // Aborted: nothing more runs in it.
    }
    if (!same)
        driverUndoesRefusals_ = false;
    return same;
}

void OdbcBackend::commit()
{
    pendingRelease_.clear(); // the end of the transaction releases every savepoint
    if (!db_.commit())
        throwConnectionError(db_.lastError());
}

void OdbcBackend::rollback()
{
    pendingRelease_.clear(); // the end of the transaction releases every savepoint
    if (!db_.rollback())
        throwConnectionError(db_.lastError());
}

// SQL Server names its savepoints with SAVE TRANSACTION and has no release; the others speak standard SQL.
// A release waits to go out with the next savepoint (or to be made needless by the end of the transaction):
// a batch written under a savepoint then costs two round trips to the server instead of three.
void OdbcBackend::savepoint(const QString& name)
{
    if (isSqlServer()) {
        executeDirect(QStringLiteral("SAVE TRANSACTION ") + name);
        return;
    }
    QString sql;
    if (!pendingRelease_.isEmpty())
        sql = QStringLiteral("RELEASE SAVEPOINT ") + pendingRelease_ + QStringLiteral("; ");
    pendingRelease_.clear();
    executeDirect(sql + QStringLiteral("SAVEPOINT ") + name);
}

void OdbcBackend::releaseSavepoint(const QString& name)
{
    if (isSqlServer())
        return;
    sendPendingRelease();
    pendingRelease_ = name;
}

void OdbcBackend::rollbackToSavepoint(const QString& name)
{
    if (isSqlServer()) {
        executeDirect(QStringLiteral("ROLLBACK TRANSACTION ") + name);
        return;
    }
    sendPendingRelease();
    executeDirect(QStringLiteral("ROLLBACK TO SAVEPOINT ") + name);
}

void OdbcBackend::sendPendingRelease()
{
    if (pendingRelease_.isEmpty())
        return;
    const QString name = std::exchange(pendingRelease_, QString());
    executeDirect(QStringLiteral("RELEASE SAVEPOINT ") + name);
}

// A statement waiting for a lock gives up after this long, with the server's lock time-out error (PostgreSQL
// 55P03, SQL Server 1222), instead of waiting for ever.
void OdbcBackend::setBusyTimeout(int milliseconds)
{
    busyTimeoutMs_ = milliseconds;
    if (isPostgreSql())
        executeDirect(QStringLiteral("SET lock_timeout = %1").arg(milliseconds));
    else if (isSqlServer())
        executeDirect(QStringLiteral("SET LOCK_TIMEOUT %1").arg(milliseconds));
}

// A lock held by the transaction, so that it ends with the transaction whatever way that ends.
// PostgreSQL: an advisory lock on a key of its own; it waits under lock_timeout.
// SQL Server: an application lock (sp_getapplock with the owner Transaction, in the transaction that
// beginTransaction opened; @LockTimeout in milliseconds). It returns a negative status (-1 time-out, -2 cancelled,
// -3 deadlock victim, -999 error) instead of failing; that becomes an error of severity 16, which reaches us as
// SQLSTATE 42000, a store fault.
void OdbcBackend::lockCodeLetters()
{
    if (isPostgreSql()) {
        executeDirect(QStringLiteral("select pg_advisory_xact_lock(hashtext('product-import: Cpxm code letters'))"));
    } else if (isSqlServer()) {
        executeDirect(
            QStringLiteral("SET NOCOUNT ON; DECLARE @granted int; "
                           "EXEC @granted = sp_getapplock @Resource = N'product-import: Cpxm code letters', "
                           "@LockMode = N'Exclusive', @LockOwner = N'Transaction', @LockTimeout = %1; "
                           "IF @granted < 0 RAISERROR(N'Another import holds the code letters of Cpxm (%d)', 16, 1, "
                           "@granted);")
                .arg(busyTimeoutMs_));
    }
    // Other servers: the probe and the first group run in one transaction without a lock of their own.
}

std::vector<StoreColumn> OdbcBackend::tableColumns(const QString& table)
{
    return odbcTableColumns(connectionHandle(), table);
}

} // namespace data
