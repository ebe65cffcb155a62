#include "engine/run/ImportRun.h"

#include "db/ColumnWidth.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "engine/rows/ProductValues.h"
#include "engine/run/CodeLetterProbe.h"
#include "engine/run/FurtherColumns.h"
#include "engine/run/ImportTexts.h"
#include "engine/run/LogPathCheck.h"
#include "engine/run/RowLoop.h"
#include "engine/run/RunChecks.h"
#include "engine/sheet/ProductSheet.h"
#include "engine/writes/ErrorLogFile.h"
#include "engine/writes/ExistingProducts.h"
#include "engine/writes/GroupWriter.h"
#include "store/ProductKinds.h"
#include "store/StoreConnection.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace importer {

namespace {

// Every way out of a run that began passes through here once.
class RunEnd
{
public:
    explicit RunEnd(ImportReporter& reporter) : reporter_(reporter) { reporter_.runStarted(); }
    ~RunEnd()
    {
        try {
            reporter_.runEnded();
        } catch (...) {
            // A reporter that fails here must not hide the run's own outcome or error.
        }
    }
    RunEnd(const RunEnd&) = delete;
    RunEnd& operator=(const RunEnd&) = delete;

private:
    ImportReporter& reporter_;
};

// The failed rows (their sheet rows below the header) and the rows named without a code, in sheet order.
FailedRows failedRowsOf(const ProductSheet& sheet, const std::vector<std::pair<int, QString>>& failed,
                        const std::vector<int>& namedWithoutCode)
{
    FailedRows rows;
    rows.sheet = sheet.worksheet();
    rows.headerRow = sheet.layout().headerRow;
    for (const auto& [dataRow, reason] : failed)
        rows.rows.push_back({sheet.sheetRowNumber(dataRow), reason});
    for (const int sheetRow : namedWithoutCode)
        rows.rows.push_back({sheetRow, kNoCodeReason});
    std::stable_sort(rows.rows.begin(), rows.rows.end(),
                     [](const FailedRow& a, const FailedRow& b) { return a.sheetRow < b.sheetRow; });
    return rows;
}

// The clerk's two inputs are there; otherwise the notice that says which is missing.
bool inputsGiven(const ImportRequest& request, ImportReporter& reporter)
{
    if (request.workbookPath.isEmpty()) {
        reporter.notice(ImportNotice::NoWorkbookPath, texts::kNoWorkbookPath, QString());
        return false;
    }
    if (!request.category) {
        reporter.notice(ImportNotice::NoCategory, texts::kNoCategory, QString());
        return false;
    }
    return true;
}

// Opened before the store is touched: a log that cannot be written would list the failed rows nowhere. The log is
// written over whatever its path names: never over the store or the workbook.
OpenedErrorLog openErrorLog(const ImportSession& session, const ImportRequest& request)
{
    const OutputClash clash = outputClash(session.logFilePath, QString(),
                                          data::storeFileOf(session.store.connectionString()), request.workbookPath);
    if (clash.output != OutputClash::Output::None)
        throw ImportError(ImportError::Kind::LogClash, texts::logClashFailure(session.logFilePath, clash.clash));
    try {
        return OpenedErrorLog(session.logFilePath);
    } catch (const LogFileError& error) {
        throw ImportError(ImportError::Kind::LogUnwritable, texts::logUnwritable(session.logFilePath, error.message()));
    }
}

// Cpxm's columns as the store states them, read once, outside the writes' transaction (a query a server refuses
// would end that transaction): the further columns the clerk chose, and the widths every store checks. Only a run
// with further columns needs them.
std::vector<data::StoreColumn> statedCpxmColumns(data::Connection& store, const ImportRequest& request)
{
    try {
        return store.tableColumns(QStringLiteral("Cpxm"));
    } catch (const data::DatabaseError& error) {
        if (!request.columns.further.empty())
            throw ImportError(ImportError::Kind::StoreUnreachable, texts::probeFailure(error));
    }
    return {};
}

// Further columns the store does not have are refused before anything else.
std::vector<data::StoreColumn> furtherColumnsChosen(const std::vector<data::StoreColumn>& stated,
                                                    const ImportRequest& request)
{
    try {
        return checkedFurtherColumns(stated, request.columns);
    } catch (const ColumnChoiceError& error) {
        throw ImportError(ImportError::Kind::ColumnsRefused, texts::missingColumnsFailure(error.message()));
    }
}

// The sheet, read and its layout found before the store is locked (the lock is held only around the writes), or
// what went wrong in reading it: told where the run always told it, after the code letter.
struct SheetRead
{
    std::optional<ProductSheet> sheet;
    QString chosenName; // the sheet the run chose because none was named
    std::optional<data::WorkbookError> workbookFailure;
    std::optional<ImportError> sheetFailure;
};

SheetRead readProductSheet(const ImportRequest& request)
{
    SheetRead read;
    try {
        if (request.readSheet) {
            read.sheet.emplace(*request.readSheet, request.columns);
            return read;
        }
        data::Workbook workbook = data::Workbook::open(request.workbookPath);
        if (request.sheetName.isEmpty()) {
            const data::Worksheet chosen = chooseProductSheet(workbook);
            read.chosenName = chosen.name();
            read.sheet.emplace(chosen, request.columns);
        } else {
            read.sheet.emplace(workbook.sheet(request.sheetName), request.columns);
        }
    } catch (const data::WorkbookError& error) {
        read.workbookFailure = error;
    } catch (const data::SheetError& error) {
        read.sheetFailure.emplace(ImportError::Kind::SheetUnreadable, texts::sheetFailure(error));
    } catch (const MissingColumnsError& error) {
        read.sheetFailure.emplace(ImportError::Kind::SheetUnreadable, texts::missingColumnsFailure(error.message()));
    } catch (const ColumnChoiceError& error) {
        read.sheetFailure.emplace(ImportError::Kind::SheetUnreadable, texts::missingColumnsFailure(error.message()));
    }
    return read;
}

// The further columns in the layout's order, each with the sheet header that feeds it.
std::vector<FurtherColumn> furtherColumnsOf(const ProductSheet& sheet, const std::vector<data::StoreColumn>& chosen)
{
    std::vector<FurtherColumn> further;
    for (int i = 0; i < sheet.furtherCount(); ++i) {
        const QString& name = sheet.layout().further[std::size_t(i)].first;
        for (const data::StoreColumn& column : chosen) {
            if (column.name.compare(name, Qt::CaseInsensitive) == 0)
                further.push_back(FurtherColumn{column, sheet.furtherHeader(i)});
        }
    }
    return further;
}

// Runs the rows through the writes. A fault that stops them ends the run as an ImportError that says what became
// of the rows before it, after the log of the rows that failed so far is saved as at the end of a run.
void runRows(RowLoop& rows, GroupWriter& writes, const ImportCounts& counts, ImportSession& session,
             OpenedErrorLog& log)
{
    try {
        rows.run();
    } catch (const ImportError&) {
        throw;
    } catch (const data::DatabaseError& error) {
        // The open group is kept or undone now, so the counts below are the rows the store holds.
        writes.close();
        if (!error.isStoreFault())
            throw ImportError(ImportError::Kind::Unexpected,
                              texts::rowLoopFailure(error.message(), rows.firstRowAgain()), counts.imported);
        try {
            log.save(session.errorLog);
        } catch (const LogFileError& logError) {
            throw ImportError(
                ImportError::Kind::StoreFault,
                texts::storeFault(error, rows.firstRowAgain(), counts, session.logFilePath, logError.message()),
                counts.imported);
        }
        throw ImportError(ImportError::Kind::StoreFault,
                          texts::storeFault(error, rows.firstRowAgain(), counts, session.logFilePath), counts.imported);
    } catch (const std::exception& error) {
        throw ImportError(ImportError::Kind::Unexpected,
                          texts::rowLoopFailure(QString::fromUtf8(error.what()), rows.firstRowAgain()),
                          counts.imported);
    }
}

// The log of a run that got through its rows, then the failed rows' workbook where one was asked for.
void saveOutputs(ImportSession& session, const ImportRequest& request, OpenedErrorLog& log,
                 const FailedRows& failedRows)
{
    try {
        log.save(session.errorLog);
    } catch (const LogFileError& error) {
        throw ImportError(ImportError::Kind::LogNotSaved, texts::logFailure(session.logFilePath, error.message()));
    }
    if (request.failedRowsPath.isEmpty())
        return;
    try {
        writeFailedRowsWorkbook(request.failedRowsPath, failedRows);
    } catch (const FailedRowsError& error) {
        throw ImportError(ImportError::Kind::FailedRowsNotSaved, texts::failedRowsNotSaved(error.message()));
    }
}

} // namespace

ImportOutcome runImport(ImportSession& session, const ImportRequest& request, ImportReporter& reporter)
{
    ImportOutcome outcome;
    session.errorLog.clear();
    session.errorLog.append(texts::kErrorLogHeader);
    if (!inputsGiven(request, reporter))
        return outcome;

    OpenedErrorLog log = openErrorLog(session, request);
    const std::vector<data::StoreColumn> stated = statedCpxmColumns(session.store, request);
    const std::vector<data::StoreColumn> furtherColumns = furtherColumnsChosen(stated, request);
    SheetRead read = readProductSheet(request);

    const RunEnd runEnd(reporter);
    // Read once, outside the writes' transaction: a query a server refuses would end that transaction.
    RunValues runValues;
    runValues.mnemonicWidth = data::statedTextWidth(session.store, QStringLiteral("Cpxm"), QStringLiteral("Cpxm_jp"));
    runValues.widths = statedWidths(stated);

    // The writes take the code letters' lock before the probe and keep it until the run's letter is in the
    // store, so that two runs started together never take the same letter.
    ImportCounts counts;
    WritePolicy policy;
    policy.dryRun = request.dryRun;
    if (request.commitEveryRow)
        policy.groupRows = 1;
    GroupWriter writes(session.store, policy, counts, session.errorLog);
    try {
        writes.start();
    } catch (const data::DatabaseError& error) {
        throw ImportError(ImportError::Kind::StoreFault, texts::storeFault(error, std::nullopt));
    }
    try {
        runValues.codeLetter = probeCodeLetter(session.storeQuery);
    } catch (const data::DatabaseError& error) {
        throw ImportError(ImportError::Kind::StoreUnreachable, texts::probeFailure(error));
    }
    outcome.codeLetter = runValues.codeLetter;
    reporter.codeLetterChosen(runValues.codeLetter);
    runValues.bigKindCode = request.category->remark;
    runValues.categoryKindId = request.category->kindId;

    if (read.workbookFailure) {
        // The clerks' sentence is for a missing file; a file that is there but cannot be read is headed with the
        // reason, which says what to do about it.
        if (QFileInfo::exists(request.workbookPath))
            reporter.notice(ImportNotice::WorkbookNotOpened, read.workbookFailure->reason(), QString());
        else
            reporter.notice(ImportNotice::WorkbookNotOpened, texts::kWorkbookNotOpened, read.workbookFailure->reason());
        outcome.end = ImportOutcome::End::EndedEarly;
        return outcome;
    }
    if (!read.chosenName.isEmpty())
        reporter.sheetChosen(read.chosenName);
    if (read.sheetFailure)
        throw *read.sheetFailure;
    const ProductSheet& sheet = *read.sheet;

    runValues.further = furtherColumnsOf(sheet, furtherColumns);
    std::vector<data::StoreColumn> inserted;
    for (const FurtherColumn& further : runValues.further)
        inserted.push_back(further.column);
    writes.setFurtherColumns(std::move(inserted));
    writes.setExistingProducts(existingPolicy(request.existing, request.repeats, sheet, runValues));

    outcome.rowTotal = sheet.rowCount();
    reporter.rowsCounted(outcome.rowTotal);
    RowLoop rows(outcome.rowTotal, sheetRowMaker(sheet, request.phraseMnemonics, runValues), sheetRepeatMarker(sheet),
                 writes, counts, reporter);
    runRows(rows, writes, counts, session, log);

    outcome.counts = counts;
    // Rows with a name but no code are empty records as always, but never unsaid.
    if (counts.empty > 0)
        outcome.namedWithoutCode = sheet.namedRowsWithoutCode();
    outcome.failedRows = failedRowsOf(sheet, writes.failedRows(), outcome.namedWithoutCode);
    saveOutputs(session, request, log, outcome.failedRows);
    outcome.end = ImportOutcome::End::Completed;
    return outcome;
}

} // namespace importer
