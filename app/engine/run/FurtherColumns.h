#pragma once
// The further columns of the store's Cpxm that a run may fill from the sheet: every column the store states
// besides the twenty the import always writes. Only the clerk knows which sheet column feeds which (the store's own
// system names them), so none is chosen unless the clerk chooses it.

#include "db/StoreColumns.h"
#include "store/CpxmColumns.h"

#include <QStringList>

#include <array>
#include <vector>

namespace data {
class Connection;
}

namespace importer {

// The columns of Cpxm a clerk may choose, in the table's order. Throws data::DatabaseError.
std::vector<data::StoreColumn> offeredFurtherColumns(data::Connection& store);
// The same from Cpxm's columns as the store states them.
std::vector<data::StoreColumn> offeredFurtherColumns(const std::vector<data::StoreColumn>& stated);

// The width the store states for each of the twenty columns the import writes, in the column table's order; 0
// where it states none (or has no such column).
std::array<int, data::kCpxmColumnCount> statedWidths(const std::vector<data::StoreColumn>& stated);

// The store's columns for the names the clerk gave (any case), in the same order. Throws ColumnChoiceError naming
// a column the store does not have, or one of the twenty, with the columns that can be chosen.
std::vector<data::StoreColumn> chosenFurtherColumns(const std::vector<data::StoreColumn>& offered,
                                                    const QStringList& names);

} // namespace importer
