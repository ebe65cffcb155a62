#pragma once
// PostgreSQL's array literal, the form in which one column of a whole batch of rows reaches the server as one
// parameter: {"a","b \"c\""} for texts, {1.5,-2} for numbers.

#include "db/StatementText.h"

#include <QString>

namespace data {

// Appends the literal of one column of count rows (rows[r][column] for each row): every text quoted, with its
// backslashes and double quotes escaped; every number as the shortest decimal that reads back as the same value;
// an unset value as NULL.
void appendArrayLiteral(QString& out, const BoundValue* const* rows, int count, int column);

} // namespace data
