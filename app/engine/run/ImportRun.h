#pragma once
// One import run: a workbook's product sheet into the store's Cpxm table.
//
// A row's way, and the words for how much moves at a time (the sizes and their reasons: queue/Quantities.h,
// engine/rows/RowSizes.h, engine/writes/WriteSizes.h):
//   the reader inflates a worksheet part in chunks and parses it in pieces of whole rows (data/worksheet);
//   RowsAhead makes the product rows in blocks, on helper threads, each row a MadeRow from then on;
//   the row loop (RowLoop.h) counts each row and hands it to the writes;
//   GroupWriter sends the rows in batches, one insert statement each, and commits the batches in groups.
// Each hand-over between threads is a data::BoundedQueue.

#include "engine/run/ImportReporter.h"
#include "engine/sheet/SheetLayout.h"
#include "engine/writes/FailedRows.h"
#include "engine/writes/RunChoices.h"
#include "store/ProductKinds.h"
#include "worksheet/Workbook.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>
#include <stdexcept>

namespace data {
class Connection;
class Query;
} // namespace data

namespace importer {

// What the clerk asks for: this worksheet of this workbook, its products filed under this category.
struct ImportRequest
{
    QString workbookPath;
    QString sheetName;    // exactly as the workbook names it; empty: the sheet that holds the products (Sheet1 first)
    ColumnChoice columns; // the header row and columns the clerk chose; the rest is found
    std::optional<data::ProductKind> category; // its kinid and Remark are stored; none when no category is chosen
    bool phraseMnemonics = false; // a blank 助记码 read by whole words (人参 RS, not RC); the sheet's own stays
    bool commitEveryRow = false;  // one transaction per row instead of groups: only for measuring the difference
    bool dryRun = false;          // the whole run in one transaction, rolled back at the end: the store unchanged
    ExistingChoice existing = ExistingChoice::Add; // a row whose product the store holds already
    RepeatChoice repeats = RepeatChoice::Fail;     // a row that repeats an earlier row's code
    // The sheet read already (by a caller that showed its columns to the clerk), so that it is not read twice;
    // workbookPath and sheetName still name it.
    std::optional<data::Worksheet> readSheet;
    // Where the failed rows go as a workbook to fix (FailedRows.h), written at the end of a run that got through
    // its rows; empty: nowhere.
    QString failedRowsPath;
};

struct ImportOutcome
{
    enum class End { Refused, EndedEarly, Completed };
    End end = End::Refused;
    QString codeLetter;  // the run's code letter, empty when every letter is taken
    int rowTotal = 0;    // N
    ImportCounts counts; // what became of the rows the run got through
    // The sheet rows (1 for the first) counted as empty records although they name a product: they have no code.
    std::vector<int> namedWithoutCode;
    // The rows a clerk has to fix: the failed ones with their reasons and those without a code, in sheet order.
    FailedRows failedRows;
};

// What outlives one run: the store, where the error log goes, and what the last run left behind.
struct ImportSession
{
    data::Connection& store;
    data::Query& storeQuery; // the store's query, for the code letter probe
    QString logFilePath;     // program folder + "log.txt", or where the caller wants the log
    QStringList errorLog;    // the last run's error lines: reset by each run, kept after it
};

// An error that ends a run after its clean-up. The message says what happened and what to do; the kind lets a
// caller choose how to show it.
class ImportError : public std::runtime_error
{
public:
    enum class Kind {
        SheetUnreadable,    // no worksheet of that name, a damaged sheet, no code or name column, a choice not there
        ColumnsRefused,     // a further column the clerk chose that the store's Cpxm does not have
        StoreUnreachable,   // the code letter probe failed
        StoreFault,         // the store refused every further row (locked, read-only, full, gone, Cpxm does not fit)
        LogNotSaved,        // every row was handled, but log.txt could not be written
        FailedRowsNotSaved, // every row was handled and logged, but the failed rows' workbook could not be written
        LogClash,           // log.txt is the store file, its journal or the workbook: nothing was touched
        LogUnwritable,      // the log cannot be opened for writing (no folder, read-only, a folder, a FIFO unread)
        Unexpected,         // anything else that stopped the row loop
    };
    ImportError(Kind kind, const QString& message, int storedRows = 0)
        : std::runtime_error(message.toStdString()), kind_(kind), message_(message), storedRows_(storedRows)
    {
    }
    Kind kind() const { return kind_; }
    const QString& message() const { return message_; }
    // Products of this run that are in the store after all (committed before the run stopped).
    int storedRows() const { return storedRows_; }

private:
    Kind kind_;
    QString message_;
    int storedRows_;
};

// Runs one import. Errors that no step handles (a sheet that cannot be read, a failed letter probe, a log file that
// cannot be written) escape as ImportError after the clean-up, with a message that says what to do.
ImportOutcome runImport(ImportSession& session, const ImportRequest& request, ImportReporter& reporter);

} // namespace importer
