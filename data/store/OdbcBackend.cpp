#include "OdbcBackend.h"

#include "DatabaseError.h"

#include <QHashFunctions>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <climits>
#include <utility>

namespace data {

namespace {

// A server that accepts the TCP connection but never answers would otherwise hold the open for ever.
constexpr auto kConnectOptions = "SQL_ATTR_LOGIN_TIMEOUT=15";
constexpr size_t kMaxCachedStatements = 64;

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

struct OdbcBackend::Prepared
{
    explicit Prepared(const QSqlDatabase& db) : query(db) {}
    QSqlQuery query;
    std::vector<int> parameterOfPlaceholder; // one entry per "?", in order
};

size_t OdbcBackend::TextHash::operator()(const QString& text) const noexcept
{
    return qHash(text);
}

OdbcBackend::OdbcBackend(const QString& connectionString)
    : name_(QStringLiteral("store-odbc-%1").arg(quintptr(this), 0, 16))
{
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
    if (!db_.isValid()) {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw DatabaseError(QStringLiteral("Qt's ODBC driver (QODBC) is not installed; it comes with the package "
                                           "libqt6sql6-odbc"));
    }
    db_.setDatabaseName(connectionString);
    db_.setConnectOptions(QString::fromLatin1(kConnectOptions));
    if (!db_.open()) {
        const QString detail = errorText(db_.lastError());
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw DatabaseError(detail);
    }
}

OdbcBackend::~OdbcBackend()
{
    statements_.clear();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

bool OdbcBackend::isSqlServer() const
{
    return db_.driver() && db_.driver()->dbmsType() == QSqlDriver::MSSqlServer;
}

OdbcBackend::Prepared& OdbcBackend::prepared(const ParsedStatement& statement, const std::vector<BoundValue>& values)
{
    auto found = statements_.find(statement.text);
    if (found == statements_.end()) {
        if (statements_.size() >= kMaxCachedStatements)
            statements_.clear();
        auto fresh = std::make_unique<Prepared>(db_);
        // Forward only: the whole result is read at once anyway, and QODBC is forward-only after an exec.
        fresh->query.setForwardOnly(true);
        if (!fresh->query.prepare(statement.driverText(false)))
            throw DatabaseError(errorText(fresh->query.lastError()));
        for (const ParameterOccurrence& occurrence : statement.occurrences)
            fresh->parameterOfPlaceholder.push_back(occurrence.parameter);
        found = statements_.emplace(statement.text, std::move(fresh)).first;
    }
    Prepared& entry = *found->second;
    for (size_t placeholder = 0; placeholder < entry.parameterOfPlaceholder.size(); ++placeholder)
        entry.query.bindValue(int(placeholder), variantOf(values[size_t(entry.parameterOfPlaceholder[placeholder])]));
    return entry;
}

void OdbcBackend::execute(const ParsedStatement& statement, const std::vector<BoundValue>& values)
{
    QSqlQuery& query = prepared(statement, values).query;
    const bool ok = query.exec();
    const QSqlError error = query.lastError();
    query.finish();
    if (!ok)
        throw DatabaseError(errorText(error));
}

void OdbcBackend::select(const ParsedStatement& statement, const std::vector<BoundValue>& values, int maxRows,
                         ResultSet& result)
{
    result.clear();
    QSqlQuery& query = prepared(statement, values).query;
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        throw DatabaseError(errorText(error));
    }
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
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid()) {
        result.clear();
        throw DatabaseError(errorText(error));
    }
}

void OdbcBackend::executeDirect(const QString& sql)
{
    QSqlQuery query(db_);
    if (!query.exec(sql))
        throw DatabaseError(errorText(query.lastError()));
}

void OdbcBackend::beginTransaction()
{
    if (!db_.transaction())
        throw DatabaseError(errorText(db_.lastError()));
}

void OdbcBackend::commit()
{
    pendingRelease_.clear(); // the end of the transaction releases every savepoint
    if (!db_.commit())
        throw DatabaseError(errorText(db_.lastError()));
}

void OdbcBackend::rollback()
{
    pendingRelease_.clear(); // the end of the transaction releases every savepoint
    if (!db_.rollback())
        throw DatabaseError(errorText(db_.lastError()));
}

// SQL Server names its savepoints with SAVE TRANSACTION and has no release; the others speak standard SQL.
// A release waits to go out with the next savepoint (or to be made needless by the end of the transaction):
// a row written under a savepoint then costs two round trips to the server instead of three.
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

} // namespace data
