#include "ImportRun.h"

#include "CodeLetterProbe.h"
#include "DatabaseError.h"
#include "ErrorLogFile.h"
#include "ImportTexts.h"
#include "MnemonicEncoder.h"
#include "ProductInsertion.h"
#include "ProductKinds.h"
#include "ProductSheet.h"
#include "WriteBatch.h"

#include <QElapsedTimer>

#include <optional>

namespace importer {

namespace {

// The messages below reach the window's error report, which ends them with a full stop of its own.

// The status line and the bar are repainted by hand while the run holds the thread; more than this many
// repaints a second only slows the run down.
constexpr qint64 kRepaintIntervalMs = 33;

// The clean-up that every way out of a started run passes through: the bar hidden, the cursor back to normal.
class RunCleanUp
{
public:
    explicit RunCleanUp(ImportReporter& reporter) : reporter_(reporter) {}
    ~RunCleanUp()
    {
        try {
            reporter_.setProgressVisible(false);
            reporter_.setBusy(false);
        } catch (...) {
            // A reporter that fails here must not hide the run's own outcome or error.
        }
    }
    RunCleanUp(const RunCleanUp&) = delete;
    RunCleanUp& operator=(const RunCleanUp&) = delete;

private:
    ImportReporter& reporter_;
};

class RepaintPacer
{
public:
    bool due()
    {
        if (timer_.isValid() && timer_.elapsed() < kRepaintIntervalMs)
            return false;
        timer_.start();
        return true;
    }

private:
    QElapsedTimer timer_;
};

// The row loop: every row of the sheet read, counted, and handed to the run's writes.
class RowLoop
{
public:
    RowLoop(const data::ProductSheet& sheet, const BatchValues& batch, WriteBatch& writes, ImportCounts& counts,
            ImportReporter& reporter)
        : sheet_(sheet), batchValues_(batch), writes_(writes), counts_(counts), reporter_(reporter),
          rowTotal_(sheet.rowCount())
    {
    }

    void run()
    {
        try {
            for (int row = 0; row < rowTotal_; ++row) {
                handleRow(row);
                reporter_.setProgressPosition(row + 1);
                if (pacer_.due()) {
                    showSummary();
                    reporter_.repaintNow();
                }
            }
            writes_.finish();
        } catch (...) {
            // The rows the store took so far stay there, and the status line shows them.
            writes_.close();
            try {
                showSummary();
                reporter_.repaintNow();
            } catch (...) {
                // The first error is the one to report.
            }
            throw;
        }
        showSummary();
        reporter_.repaintNow();
    }

private:
    void handleRow(int row)
    {
        const data::ProductRow product = data::fillProductRow(sheet_, row, mnemonics_);
        if (product.Code.isEmpty()) {
            ++counts_.empty;
            return;
        }
        InsertProductRecord(writes_, product, batchValues_);
    }

    void showSummary()
    {
        if (counts_.imported + counts_.failed + counts_.empty == 0)
            return; // no row finished: the status line keeps the row count
        reporter_.setStatusText(texts::rowSummary(rowTotal_, counts_.imported, counts_.failed, counts_.empty));
    }

    const data::ProductSheet& sheet_;
    const BatchValues& batchValues_;
    WriteBatch& writes_;
    ImportCounts& counts_;
    ImportReporter& reporter_;
    const int rowTotal_;
    RepaintPacer pacer_;
    mnemonic::MnemonicEncoder mnemonics_; // one GBK converter for the whole run
};

bool categoryChosen(const ImportRequest& request, const data::CategoryList& categories)
{
    // The category box is editable: its text may name a category while no item of the list is selected.
    const int index = request.categoryIndex;
    return !request.categoryText.isEmpty() && index >= 0 && index < categories.remarks.size() &&
           index < categories.kindIds.size();
}

QString probeFailure(const data::DatabaseError& error)
{
    return QStringLiteral("无法从数据库查询已用的商品编号（表 Cpxm）：%1\n"
                          "没有导入任何记录。请检查数据库能否连接、是否有表 Cpxm 及其列 Cpxm_bm，然后再导入")
        .arg(error.message());
}

QString sheetFailure(const QString& reason)
{
    return QStringLiteral("无法读取工作表：%1\n没有导入任何记录。请检查薄名（必须完全一致），以及第一行是否写有"
                          "商品编号、商品名称、计量单位、成本价、销售价、最低折扣、当前库存、单品折扣、助记码这九列，"
                          "然后再导入")
        .arg(reason);
}

QString logFailure(const QString& reason)
{
    return QStringLiteral("导入已完成，记录已写入数据库，但错误信息无法保存到 log.txt：%1\n"
                          "请不要再次导入这张表（记录会重复）；请让程序所在的文件夹可以写入，以便下次保存")
        .arg(reason);
}

QString storeFault(const data::DatabaseError& error, bool rowsHandled)
{
    const QString rows = rowsHandled ? QStringLiteral("此前导入的记录已保存在数据库中，状态栏显示了它们的数目，"
                                                      "导入失败的记录已写入 log.txt")
                                     : QStringLiteral("没有导入任何记录");
    return QStringLiteral("数据库拒绝继续写入，导入在中途停止：%1\n%2。请排除数据库的问题（是否被其他程序占用、"
                          "是否只读、磁盘是否已满、连接是否断开、表 Cpxm 的列是否齐全）后再导入其余的记录")
        .arg(error.message(), rows);
}

QString rowLoopFailure(const QString& reason)
{
    return QStringLiteral("导入在中途停止：%1\n此前处理的记录已保存在数据库中，状态栏显示了它们的数目")
        .arg(reason);
}

} // namespace

ImportOutcome runImport(ImportSession& session, const ImportRequest& request, ImportReporter& reporter)
{
    ImportOutcome outcome;

    session.errorLog.clear();
    session.errorLog.append(texts::kErrorLogHeader);

    if (request.workbookPath.isEmpty()) {
        reporter.showNotice(ImportNotice::NoWorkbookPath, texts::kNoWorkbookPath, QString());
        return outcome;
    }
    if (!categoryChosen(request, session.categories)) {
        reporter.showNotice(ImportNotice::NoCategory, texts::kNoCategory, QString());
        return outcome;
    }

    const RunCleanUp cleanUp(reporter);
    reporter.setBusy(true);
    reporter.setStatusText(texts::kImporting);

    // The writes take the code letters' lock before the probe and keep it until the run's letter is in the
    // store, so that two runs started together never take the same letter.
    ImportCounts counts;
    WritePolicy policy;
    policy.dryRun = request.dryRun;
    if (request.commitEveryRow)
        policy.groupRows = 1;
    WriteBatch writes(session.store, policy, counts, session.errorLog);
    BatchValues batch;
    try {
        writes.start();
    } catch (const data::DatabaseError& error) {
        throw ImportError(ImportError::Kind::StoreFault, storeFault(error, false));
    }
    try {
        batch.batchPrefix = probeCodeLetter(session.storeQuery);
    } catch (const data::DatabaseError& error) {
        throw ImportError(ImportError::Kind::StoreUnreachable, probeFailure(error));
    }
    outcome.batchPrefix = batch.batchPrefix;

    reporter.setProgressVisible(true);
    reporter.setStatusVisible(true);
    reporter.repaintNow();

    const auto category = qsizetype(request.categoryIndex);
    session.bigKindCode = session.categories.remarks.at(category);
    batch.bigKindCode = session.bigKindCode;
    batch.categoryKindId = session.categories.kindIds.at(category);

    std::optional<data::Workbook> workbook;
    try {
        workbook = data::Workbook::open(request.workbookPath);
    } catch (const data::WorkbookError& error) {
        reporter.showNotice(ImportNotice::WorkbookNotOpened, texts::kWorkbookNotOpened, error.reason());
        outcome.end = ImportOutcome::End::EndedEarly;
        return outcome;
    }

    std::optional<data::ProductSheet> sheet;
    try {
        sheet.emplace(workbook->sheet(request.sheetName));
    } catch (const data::SheetError& error) {
        throw ImportError(ImportError::Kind::SheetUnreadable, sheetFailure(error.reason()));
    }

    const int rowTotal = sheet->rowCount();
    outcome.rowTotal = rowTotal;
    reporter.setProgressRange(0, rowTotal);
    reporter.setProgressPosition(0);
    reporter.setStatusText(texts::rowCountStatus(rowTotal));
    reporter.repaintNow();

    RowLoop rows(*sheet, batch, writes, counts, reporter);
    try {
        rows.run();
    } catch (const ImportError&) {
        throw;
    } catch (const data::DatabaseError& error) {
        if (!error.isStoreFault())
            throw ImportError(ImportError::Kind::Unexpected, rowLoopFailure(error.message()));
        // The log of the rows that failed so far is saved as at the end of a run.
        try {
            saveErrorLog(session.errorLog, session.logFilePath);
        } catch (const LogFileError& logError) {
            throw ImportError(ImportError::Kind::StoreFault,
                              storeFault(error, true) +
                                  QStringLiteral("\n错误信息无法保存到 log.txt：%1").arg(logError.message()));
        }
        throw ImportError(ImportError::Kind::StoreFault, storeFault(error, true));
    } catch (const std::exception& error) {
        throw ImportError(ImportError::Kind::Unexpected, rowLoopFailure(QString::fromUtf8(error.what())));
    }
    outcome.importedCount = counts.imported;
    outcome.failedCount = counts.failed;
    outcome.emptyCount = counts.empty;

    try {
        saveErrorLog(session.errorLog, session.logFilePath);
    } catch (const LogFileError& error) {
        throw ImportError(ImportError::Kind::LogNotSaved, logFailure(error.message()));
    }
    outcome.end = ImportOutcome::End::Completed;
    return outcome;
}

} // namespace importer
