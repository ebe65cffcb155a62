#pragma once
// The width a store states for a text column (varchar(100): 100), for texts the import makes itself and may
// shorten to fit.

#include <QString>

namespace data {

class Connection;

// 0 when the store states none (text, nvarchar(max), a type without a length) or cannot say. Never throws.
int statedTextWidth(Connection& connection, const QString& table, const QString& column);

} // namespace data
