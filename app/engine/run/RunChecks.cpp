#include "engine/run/RunChecks.h"

#include "engine/run/FurtherColumns.h"

namespace importer {

OutputClash outputClash(const QString& logPath, const QString& failedRowsPath, const QString& storeFile,
                        const QString& workbookPath)
{
    if (const LogClash clash = logPathClash(logPath, storeFile, workbookPath); clash != LogClash::None)
        return {OutputClash::Output::Log, clash};
    if (failedRowsPath.isEmpty())
        return {};
    if (const LogClash clash = logPathClash(failedRowsPath, storeFile, workbookPath); clash != LogClash::None)
        return {OutputClash::Output::FailedRows, clash};
    // The log stands where the workbook would: the failed rows' workbook must not be written over it either.
    if (logPathClash(failedRowsPath, QString(), logPath) != LogClash::None)
        return {OutputClash::Output::FailedRows, LogClash::Workbook};
    return {};
}

std::vector<data::StoreColumn> checkedFurtherColumns(const std::vector<data::StoreColumn>& stated,
                                                     const ColumnChoice& columns)
{
    if (columns.further.empty())
        return {};
    QStringList names;
    for (const auto& [name, ref] : columns.further)
        names << name;
    return chosenFurtherColumns(offeredFurtherColumns(stated), names);
}

} // namespace importer
