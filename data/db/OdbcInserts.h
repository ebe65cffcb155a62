#pragma once
// The import's insert through ODBC, in the two forms a batch can take:
// - rows: one multi-row "insert ... values (...),(...)" statement of up to a hundred rows, twenty parameters a
//   row; what every server takes, within SQL Server's 2,100 parameters;
// - arrays (PostgreSQL): one statement of up to five hundred rows, the whole batch as one array per column,
//   twenty parameters whatever the row count. The server then sets up twenty expressions a batch instead of
//   twenty a row, and the driver converts twenty values instead of ten thousand.
// A single row goes in the one-row statement as the store's own system writes it, in both forms.

#include "db/ConnectionBackend.h"

#include <QStringList>

#include <sql.h>

#include <memory>

namespace data {

// Binds a value that lives, unchanged, until the statement has run: a text from its own characters, a number from
// its own field; indicator, too, must live until then.
SQLRETURN bindValue(SQLHSTMT statement, SQLUSMALLINT position, const BoundValue& value, SQLLEN& indicator);

std::unique_ptr<PreparedInsert> makeRowsInsert(SQLHDBC connection, const InsertTexts& texts);
// texts must offer arrays (InsertTexts::offersArrays). columnTypes: the type of each column in the table, as
// PostgreSQL names it without length or precision ("character varying", "numeric", "bpchar"); empty where the
// table lacks the column.
std::unique_ptr<PreparedInsert> makeArrayInsert(SQLHDBC connection, const InsertTexts& texts,
                                                const QStringList& columnTypes);

} // namespace data
