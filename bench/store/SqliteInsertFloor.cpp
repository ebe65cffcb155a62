#include "SqliteInsertFloor.h"

#include "db/DatabaseError.h"
#include "store/CpxmColumns.h"
#include "store/ProductInsert.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include <memory>

namespace bench {

namespace {

struct CloseDatabase
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

Database open(const QString& path)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    Database owned(db);
    if (rc != SQLITE_OK)
        throw data::DatabaseError(QStringLiteral("Cannot open %1: %2").arg(path, QString::fromUtf8(sqlite3_errstr(rc))),
                                  data::Fault::Store);
    return owned;
}

Statement prepare(sqlite3* db, const QByteArray& sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        throw data::DatabaseError(QString::fromUtf8(sqlite3_errmsg(db)), data::Fault::Store);
    return Statement(statement);
}

} // namespace

double sqliteInsertFloor(const QString& path, const std::vector<data::BoundValue>& values, int rows)
{
    std::vector<QByteArray> utf8;
    utf8.reserve(values.size());
    for (const data::BoundValue& value : values)
        utf8.push_back(value.text.toUtf8());
    const Database db = open(path);
    const QByteArray sql = data::productInsertTexts().singleRow.driverText(true).toUtf8();
    QElapsedTimer timer;
    timer.start();
    const Statement statement = prepare(db.get(), sql);
    sqlite3_exec(db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < data::kCpxmColumnCount; ++column) {
            const size_t i = size_t(row) * data::kCpxmColumnCount + size_t(column);
            switch (values[i].type) {
            case data::BoundValue::Type::Text:
                sqlite3_bind_text(statement.get(), column + 1, utf8[i].constData(), int(utf8[i].size()), SQLITE_STATIC);
                break;
            case data::BoundValue::Type::Double:
                sqlite3_bind_double(statement.get(), column + 1, values[i].number);
                break;
            case data::BoundValue::Type::Integer:
                sqlite3_bind_int64(statement.get(), column + 1, values[i].integer);
                break;
            case data::BoundValue::Type::Unset:
                sqlite3_bind_null(statement.get(), column + 1);
                break;
            }
        }
        if (sqlite3_step(statement.get()) != SQLITE_DONE)
            throw data::DatabaseError(QString::fromUtf8(sqlite3_errmsg(db.get())), data::Fault::Store);
        sqlite3_reset(statement.get());
    }
    sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
    return double(timer.nsecsElapsed()) / 1e9;
}

std::vector<data::BoundValue> storedRows(const QString& path, qint64 afterRowid, int& rows)
{
    QStringList names;
    for (const data::CpxmColumn& column : data::cpxmColumns())
        names << column.name;
    const Database db = open(path);
    const Statement statement = prepare(db.get(), QStringLiteral("select %1 from Cpxm where rowid > %2 order by rowid")
                                                      .arg(names.join(u','))
                                                      .arg(afterRowid)
                                                      .toUtf8());
    std::vector<data::BoundValue> values;
    rows = 0;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        for (int column = 0; column < data::kCpxmColumnCount; ++column) {
            data::BoundValue value;
            switch (sqlite3_column_type(statement.get(), column)) {
            case SQLITE_TEXT:
                value.type = data::BoundValue::Type::Text;
                value.text =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), column)),
                                      sqlite3_column_bytes(statement.get(), column));
                break;
            case SQLITE_INTEGER:
                value.type = data::BoundValue::Type::Integer;
                value.integer = sqlite3_column_int64(statement.get(), column);
                break;
            case SQLITE_FLOAT:
                value.type = data::BoundValue::Type::Double;
                value.number = sqlite3_column_double(statement.get(), column);
                break;
            default:
                break;
            }
            values.push_back(value);
        }
        ++rows;
    }
    return values;
}

} // namespace bench
