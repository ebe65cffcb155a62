#pragma once
// The columns of a store table as the store itself states them: name, kind, the length a text column holds and
// what a row that leaves the column out gets. Read from SQLite's table_info or ODBC's SQLColumns.

#include "db/StatementText.h"

#include <QString>

#include <optional>
#include <vector>

namespace data {

struct StoreColumn
{
    enum class Kind { Text, Number };
    QString name; // as the store spells it
    Kind kind = Kind::Text;
    QString typeName; // as the store names the type, for messages
    int length = -1;  // the characters a text column holds; -1 where the store states no limit
    // What the column holds when a row leaves it out: its default as a value (Unset for NULL), or nothing when the
    // default is an expression the store computes.
    std::optional<BoundValue> defaultValue = BoundValue{};
};

// A default as the store states it in SQL ("'1'", "0", "('x')", "'a'::character varying", NULL or empty) as a
// value; nothing for an expression (a function call, a sequence).
std::optional<BoundValue> defaultLiteral(const QString& sqlDefault);

// A declared SQL type as SQLite reads it ("varchar(60)", "double precision", "INTEGER"): its kind and length.
StoreColumn::Kind kindOfDeclaredType(const QString& declaredType);
int lengthOfDeclaredType(const QString& declaredType);

} // namespace data
