#pragma once
// What is checked before a run touches anything: where its outputs go, and the further columns the clerk chose.
// The run checks them itself; a front end that words a refusal its own way (the command line's usage errors) asks
// the same questions first.

#include "db/StoreColumns.h"
#include "engine/run/LogPathCheck.h"
#include "engine/sheet/SheetLayout.h"

#include <QString>

#include <vector>

namespace importer {

// Which output of a run would be written over which file: none, the log, or the failed rows' workbook (over the
// store, its journal, the workbook, or the log itself, which counts as Workbook).
struct OutputClash
{
    enum class Output { None, Log, FailedRows };
    Output output = Output::None;
    LogClash clash = LogClash::None;
};

// storeFile: the store's file, empty for a server; failedRowsPath empty: no failed rows' workbook.
OutputClash outputClash(const QString& logPath, const QString& failedRowsPath, const QString& storeFile,
                        const QString& workbookPath);

// The further columns the clerk chose, as the store states them (stated: Cpxm's columns), in the clerk's order.
// Throws ColumnChoiceError naming a column the store's Cpxm does not have (or one of the twenty).
std::vector<data::StoreColumn> checkedFurtherColumns(const std::vector<data::StoreColumn>& stated,
                                                     const ColumnChoice& columns);

} // namespace importer
