#pragma once
// The further columns of the store's Cpxm that a run may fill from the sheet: every column the store states
// besides the twenty the import always writes. Only the clerk knows which sheet column feeds which (the store's own
// system names them), so none is chosen unless the clerk chooses it.

#include "StoreColumns.h"

#include <QStringList>

#include <vector>

namespace data {
class Connection;
}

namespace importer {

// The columns of Cpxm a clerk may choose, in the table's order. Throws data::DatabaseError.
std::vector<data::StoreColumn> offeredFurtherColumns(data::Connection& store);

// The store's columns for the names the clerk gave (any case), in the same order. Throws ColumnChoiceError naming
// a column the store does not have, or one of the twenty, with the columns that can be chosen.
std::vector<data::StoreColumn> chosenFurtherColumns(const std::vector<data::StoreColumn>& offered,
                                                    const QStringList& names);

} // namespace importer
