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

// The messages below reach the window's error report, which ends them with a full stop of its own.

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

QString probeFailure(const data::DatabaseError& error)
{
    return QStringLiteral("无法从数据库查询已用的商品编号（表 Cpxm）：%1\n"
                          "没有导入任何记录。请检查数据库能否连接、是否有表 Cpxm 及其列 Cpxm_bm，然后再导入")
        .arg(error.message());
}

QString sheetFailure(const data::SheetError& error)
{
    // Only a name the workbook lacks is mended by checking the name; a damaged sheet is not.
    if (error.kind() == data::SheetError::Kind::NoSuchSheet) {
        return QStringLiteral("无法读取工作表：%1\n没有导入任何记录。请检查薄名（必须与工作表的名字完全一致，大小写和"
                              "空格也一样），然后再导入")
            .arg(error.reason());
    }
    return QStringLiteral("无法读取工作表：%1\n没有导入任何记录。请在 Excel 中打开并另存这个工作簿，或导入另一张工作表")
        .arg(error.reason());
}

QString missingColumnsFailure(const QString& message)
{
    return message + QStringLiteral("\n没有导入任何记录");
}

QString logFailure(const QString& logPath, const QString& reason)
{
    return QStringLiteral("导入已完成，记录已写入数据库，但错误信息无法保存到 %1：%2\n"
                          "请不要再次导入这张表（记录会重复）；请让 %1 所在的文件夹可以写入，以便下次保存")
        .arg(logPath, reason);
}

QString logUnwritable(const QString& logPath, const QString& reason)
{
    return QStringLiteral("错误信息无法保存到 %1：%2\n没有导入任何记录。请让 %1 所在的文件夹可以写入（或另选一个"
                          "可以写入的文件），然后再导入")
        .arg(logPath, reason);
}

// Where the clerk takes an import that ended early up again: the row as the sheet numbers it, below the header.
QString fromRow(std::optional<int> dataRow)
{
    return dataRow ? QStringLiteral("从工作表的第 %1 行起").arg(*dataRow + 2) : QString();
}

// What became of the rows before the fault, saying only what happened: rows written (added, updated, merged) or
// none, the failed rows written to the log, or the log not saved; and the row to import again from.
QString storeFault(const data::DatabaseError& error, std::optional<int> firstRowAgain, const ImportCounts& counts = {},
                   const QString& logPath = {}, const QString& logProblem = {})
{
    const int written = counts.imported + counts.updated + counts.merged;
    QString rows;
    if (written == 0) {
        rows = QStringLiteral("没有导入任何记录");
    } else if (written == counts.imported) {
        rows = QStringLiteral("此前导入的 %1 条记录已保存在数据库中").arg(written);
    } else {
        QStringList parts;
        for (const auto& [count, what] : {std::pair{counts.imported, QStringLiteral("新增%1条")},
                                          std::pair{counts.updated, QStringLiteral("更新%1条")},
                                          std::pair{counts.merged, QStringLiteral("合并%1条")}}) {
            if (count > 0)
                parts << what.arg(count);
        }
        rows = QStringLiteral("此前写入的 %1 条记录已保存在数据库中（%2）").arg(written).arg(parts.join(u'，'));
    }
    if (!logProblem.isEmpty())
        rows += QStringLiteral("；错误信息无法保存：%1").arg(logProblem);
    else if (counts.failed > 0)
        rows += QStringLiteral("，导入失败的 %1 条记录已写入 %2").arg(counts.failed).arg(logPath);
    return QStringLiteral("数据库拒绝继续写入，导入在中途停止：%1\n%2。请排除数据库的问题（是否被其他程序占用、"
                          "是否只读、磁盘是否已满、连接是否断开、表 Cpxm 的列是否齐全）后%3再导入其余的记录")
        .arg(error.message(), rows, fromRow(firstRowAgain));
}

QString logClashFailure(const QString& logPath, LogClash clash)
{
    const QString what = clash == LogClash::StoreFile      ? QStringLiteral("数据库文件")
                         : clash == LogClash::StoreJournal ? QStringLiteral("数据库的日志文件")
                                                           : QStringLiteral("要导入的电子表格");
    return QStringLiteral("错误信息不能写入 %1：它就是%2，写入会毁掉它\n没有导入任何记录。请删除或改名 %1（它是指向%2"
                          "的链接），然后再导入")
        .arg(logPath, what);
}

QString rowLoopFailure(const QString& reason, int firstRowAgain)
{
    return QStringLiteral("导入在中途停止：%1\n此前处理的记录已保存在数据库中，状态栏显示了它们的数目；请%2再导入"
                          "其余的记录")
        .arg(reason, fromRow(firstRowAgain));
}

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

} // namespace

ImportOutcome runImport(ImportSession& session, const ImportRequest& request, ImportReporter& reporter)
{
    ImportOutcome outcome;

    session.errorLog.clear();
    session.errorLog.append(texts::kErrorLogHeader);

    if (request.workbookPath.isEmpty()) {
        reporter.notice(ImportNotice::NoWorkbookPath, texts::kNoWorkbookPath, QString());
        return outcome;
    }
    if (!request.category) {
        reporter.notice(ImportNotice::NoCategory, texts::kNoCategory, QString());
        return outcome;
    }

    // The log is written over whatever its path names: never over the store or the workbook.
    if (const LogClash clash = logPathClash(session.logFilePath, data::storeFileOf(session.store.connectionString()),
                                            request.workbookPath);
        clash != LogClash::None)
        throw ImportError(ImportError::Kind::LogClash, logClashFailure(session.logFilePath, clash));
    // Opened before the store is touched: a log that cannot be written would list the failed rows nowhere.
    std::optional<OpenedErrorLog> log;
    try {
        log.emplace(session.logFilePath);
    } catch (const LogFileError& error) {
        throw ImportError(ImportError::Kind::LogUnwritable, logUnwritable(session.logFilePath, error.message()));
    }

    // Cpxm's columns as the store states them, read once, outside the writes' transaction (a query a server
    // refuses would end that transaction): the further columns the clerk chose, and the widths every store checks.
    std::vector<data::StoreColumn> stated;
    try {
        stated = session.store.tableColumns(QStringLiteral("Cpxm"));
    } catch (const data::DatabaseError& error) {
        if (!request.columns.further.empty())
            throw ImportError(ImportError::Kind::StoreUnreachable, probeFailure(error));
    }

    // Further columns the store does not have are refused before anything else.
    std::vector<data::StoreColumn> furtherColumns;
    if (!request.columns.further.empty()) {
        QStringList names;
        for (const auto& [name, ref] : request.columns.further)
            names << name;
        try {
            furtherColumns = chosenFurtherColumns(offeredFurtherColumns(stated), names);
        } catch (const ColumnChoiceError& error) {
            throw ImportError(ImportError::Kind::ColumnsRefused,
                              error.message() + QStringLiteral("\n没有导入任何记录"));
        }
    }

    // The sheet is read and its layout found before the store is locked: the lock is held only around the writes.
    // What goes wrong in reading is told where the run always told it, after the code letter.
    std::optional<data::WorkbookError> workbookFailure;
    std::optional<ImportError> sheetFailureFound;
    std::optional<ProductSheet> sheet;
    QString chosenSheet;
    try {
        std::optional<data::Workbook> workbook;
        if (!request.readSheet)
            workbook = data::Workbook::open(request.workbookPath);
        if (request.readSheet) {
            sheet.emplace(*request.readSheet, request.columns);
        } else if (request.sheetName.isEmpty()) {
            const data::Worksheet chosen = chooseProductSheet(*workbook);
            chosenSheet = chosen.name();
            sheet.emplace(chosen, request.columns);
        } else {
            sheet.emplace(workbook->sheet(request.sheetName), request.columns);
        }
    } catch (const data::WorkbookError& error) {
        workbookFailure = error;
    } catch (const data::SheetError& error) {
        sheetFailureFound.emplace(ImportError::Kind::SheetUnreadable, sheetFailure(error));
    } catch (const MissingColumnsError& error) {
        sheetFailureFound.emplace(ImportError::Kind::SheetUnreadable, missingColumnsFailure(error.message()));
    } catch (const ColumnChoiceError& error) {
        sheetFailureFound.emplace(ImportError::Kind::SheetUnreadable, missingColumnsFailure(error.message()));
    }

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
        throw ImportError(ImportError::Kind::StoreFault, storeFault(error, std::nullopt));
    }
    try {
        runValues.codeLetter = probeCodeLetter(session.storeQuery);
    } catch (const data::DatabaseError& error) {
        throw ImportError(ImportError::Kind::StoreUnreachable, probeFailure(error));
    }
    outcome.codeLetter = runValues.codeLetter;
    reporter.codeLetterChosen(runValues.codeLetter);

    runValues.bigKindCode = request.category->remark;
    runValues.categoryKindId = request.category->kindId;

    if (workbookFailure) {
        // The clerks' sentence is for a missing file; a file that is there but cannot be read is headed with the
        // reason, which says what to do about it.
        if (QFileInfo::exists(request.workbookPath))
            reporter.notice(ImportNotice::WorkbookNotOpened, workbookFailure->reason(), QString());
        else
            reporter.notice(ImportNotice::WorkbookNotOpened, texts::kWorkbookNotOpened, workbookFailure->reason());
        outcome.end = ImportOutcome::End::EndedEarly;
        return outcome;
    }
    if (!chosenSheet.isEmpty())
        reporter.sheetChosen(chosenSheet);
    if (sheetFailureFound)
        throw *sheetFailureFound;

    // The further columns in the layout's order, each with the sheet header that feeds it.
    for (int i = 0; i < sheet->furtherCount(); ++i) {
        const QString& name = sheet->layout().further[std::size_t(i)].first;
        for (const data::StoreColumn& column : furtherColumns) {
            if (column.name.compare(name, Qt::CaseInsensitive) == 0)
                runValues.further.push_back(FurtherColumn{column, sheet->furtherHeader(i)});
        }
    }
    std::vector<data::StoreColumn> inserted;
    for (const FurtherColumn& further : runValues.further)
        inserted.push_back(further.column);
    writes.setFurtherColumns(std::move(inserted));
    writes.setExistingProducts(existingPolicy(request.existing, request.repeats, *sheet, runValues));

    const int rowTotal = sheet->rowCount();
    outcome.rowTotal = rowTotal;
    reporter.rowsCounted(rowTotal);

    RowLoop rows(rowTotal, sheetRowMaker(*sheet, request.phraseMnemonics, runValues), sheetRepeatMarker(*sheet), writes,
                 counts, reporter);
    try {
        rows.run();
    } catch (const ImportError&) {
        throw;
    } catch (const data::DatabaseError& error) {
        // The open group is kept or undone now, so the counts below are the rows the store holds.
        writes.close();
        if (!error.isStoreFault())
            throw ImportError(ImportError::Kind::Unexpected, rowLoopFailure(error.message(), rows.firstRowAgain()),
                              counts.imported);
        // The log of the rows that failed so far is saved as at the end of a run.
        try {
            log->save(session.errorLog);
        } catch (const LogFileError& logError) {
            throw ImportError(ImportError::Kind::StoreFault,
                              storeFault(error, rows.firstRowAgain(), counts, session.logFilePath, logError.message()),
                              counts.imported);
        }
        throw ImportError(ImportError::Kind::StoreFault,
                          storeFault(error, rows.firstRowAgain(), counts, session.logFilePath), counts.imported);
    } catch (const std::exception& error) {
        throw ImportError(ImportError::Kind::Unexpected,
                          rowLoopFailure(QString::fromUtf8(error.what()), rows.firstRowAgain()), counts.imported);
    }
    outcome.counts = counts;
    // Rows with a name but no code are empty records as always, but never unsaid.
    if (counts.empty > 0)
        outcome.namedWithoutCode = sheet->namedRowsWithoutCode();
    outcome.failedRows = failedRowsOf(*sheet, writes.failedRows(), outcome.namedWithoutCode);

    try {
        log->save(session.errorLog);
    } catch (const LogFileError& error) {
        throw ImportError(ImportError::Kind::LogNotSaved, logFailure(session.logFilePath, error.message()));
    }
    if (!request.failedRowsPath.isEmpty()) {
        try {
            writeFailedRowsWorkbook(request.failedRowsPath, outcome.failedRows);
        } catch (const FailedRowsError& error) {
            throw ImportError(ImportError::Kind::FailedRowsNotSaved,
                              QStringLiteral("导入已完成，错误信息已写入 log.txt，但%1").arg(error.message()));
        }
    }
    outcome.end = ImportOutcome::End::Completed;
    return outcome;
}

} // namespace importer
