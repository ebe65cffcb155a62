#pragma once
// One batch import: a workbook's product sheet into the store's Cpxm table, a row at a time.

#include "ImportReporter.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace data {
class Connection;
class Query;
struct CategoryList;
} // namespace data

namespace importer {

// What the clerk entered.
struct ImportRequest
{
    QString workbookPath;    // excel
    QString sheetName;       // RzEdit2
    QString categoryText;    // splb_com's text
    int categoryIndex = -1;  // splb_com's item index; -1 when no item is selected
    bool commitEveryRow = false; // one transaction per row instead of groups: only for measuring the difference
    bool dryRun = false;         // the whole run in one transaction, rolled back at the end: the store unchanged
};

struct ImportOutcome
{
    enum class End { Refused, EndedEarly, Completed };
    End end = End::Refused;
    QString batchPrefix;     // the run's code letter, empty when every letter is taken
    int rowTotal = 0;        // N
    int importedCount = 0;
    int failedCount = 0;
    int emptyCount = 0;
};

// State of the window that outlives one run.
struct ImportSession
{
    data::Connection& store;
    data::Query& storeQuery;               // ADOQuery2
    const data::CategoryList& categories;  // SubKindRemarks, SubKindIds by splb_com's index
    QString logFilePath;                   // program folder + "log.txt"
    QString bigKindCode;                   // BigKindCode: set by each run, kept after it
    QStringList errorLog;                  // ErrorLog (Memo1): reset by each run, kept after it
};

// An error that ends a run after its clean-up. The message says what happened and what to do; the kind lets a
// caller choose how to show it.
class ImportError : public std::runtime_error
{
public:
    enum class Kind {
        SheetUnreadable,  // no worksheet of that name, a column header missing, a damaged sheet
        StoreUnreachable, // the code letter probe failed
        StoreFault,       // the store refused every further row (locked, read-only, full, gone, Cpxm does not fit)
        LogNotSaved,      // every row was handled, but log.txt could not be written
        Unexpected,       // anything else that stopped the row loop
    };
    ImportError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), kind_(kind), message_(message)
    {
    }
    Kind kind() const { return kind_; }
    const QString& message() const { return message_; }

private:
    Kind kind_;
    QString message_;
};

// Runs one import. Errors that no step handles (a sheet that cannot be read, a failed letter probe, a log file that
// cannot be written) escape as ImportError after the clean-up, with a message that says what to do.
ImportOutcome runImport(ImportSession& session, const ImportRequest& request, ImportReporter& reporter);

} // namespace importer
