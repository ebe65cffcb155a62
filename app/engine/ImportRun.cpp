#include "ImportRun.h"

#include "CodeLetterProbe.h"
#include "DatabaseError.h"
#include "ErrorLogFile.h"
#include "ImportTexts.h"
#include "MnemonicEncoder.h"
#include "ProductInsertion.h"
#include "ProductKinds.h"
#include "ProductRow.h"
#include "ProductSheet.h"
#include "WriteBatch.h"

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

// The row loop: every row of the sheet read, counted, and written through grouped transactions.
class RowLoop
{
public:
    RowLoop(ImportSession& session, const ProductSheet& sheet, const BatchValues& batch, const ImportRequest& request,
            ImportReporter& reporter)
        : session_(session), sheet_(sheet), batchValues_(batch), reporter_(reporter),
          writes_(session.store, WritePolicy{.commitEveryRow = request.commitEveryRow}), rowTotal_(sheet.rowCount())
    {
    }

    const ImportCounts& counts() const { return counts_; }

    void run()
    {
        try {
            for (int row = 0; row < rowTotal_; ++row) {
                handleRow(row);
                reporter_.rowHandled(row + 1, counts_);
            }
            finishWrites();
        } catch (...) {
            // The rows handled so far stay in the store, and are counted as what became of them.
            try {
                finishWrites();
            } catch (...) {
                // The first error is the one to report.
            }
            throw;
        }
    }

private:
    void handleRow(int row)
    {
        const ProductRow product = fillProductRow(sheet_, row, mnemonics_);
        if (product.Code.isEmpty()) {
            ++counts_.empty;
            return;
        }
        writeRow(row, product);
        writeLostRowsAgain();
    }

    void writeRow(int row, const ProductRow& product)
    {
        writes_.beginRow();
        const InsertResult result =
            InsertProductRecord(session_.storeQuery, product, batchValues_, counts_, session_.errorLog);
        writes_.endRow(row, result == InsertResult::Stored, result == InsertResult::StoreRefused);
        if (writes_.groupDue())
            writes_.commitGroup();
    }

    // The last group committed; rows it lost are written again, and the counts reported once more if that changed
    // them.
    void finishWrites()
    {
        const ImportCounts before = counts_;
        writes_.commitGroup();
        writeLostRowsAgain();
        const int rowsDone = counts_.imported + counts_.failed + counts_.empty;
        if (rowsDone > 0 && (before.imported != counts_.imported || before.failed != counts_.failed))
            reporter_.rowHandled(rowsDone, counts_);
    }

    // A group that never reached the store took rows with it that were counted as stored: each is written again
    // and counted by what becomes of it now. The batch has changed its way of writing by then, so this ends.
    void writeLostRowsAgain()
    {
        while (writes_.hasLostRows()) {
            for (const int row : writes_.takeLostRows()) {
                --counts_.imported;
                writeRow(row, fillProductRow(sheet_, row, mnemonics_));
            }
            writes_.commitGroup();
        }
    }

    ImportSession& session_;
    const ProductSheet& sheet_;
    const BatchValues& batchValues_;
    ImportReporter& reporter_;
    WriteBatch writes_;
    const int rowTotal_;
    ImportCounts counts_;
    mnemonic::MnemonicEncoder mnemonics_; // one GBK converter for the whole run
};

QString probeFailure(const data::DatabaseError& error)
{
    return QStringLiteral("无法从数据库查询已用的商品编号（表 Cpxm）：%1\n"
                          "没有导入任何记录。请检查数据库能否连接、是否有表 Cpxm 及其列 Cpxm_bm，然后再导入")
        .arg(error.message());
}

QString sheetFailure(const QString& reason)
{
    return QStringLiteral("无法读取工作表：%1\n没有导入任何记录。请检查薄名（必须与工作表的名字完全一致，大小写和空格"
                          "也一样），然后再导入")
        .arg(reason);
}

QString missingColumnsFailure(const MissingColumnsError& error)
{
    return error.message() + QStringLiteral("\n没有导入任何记录。请补上缺少的列名后再导入");
}

QString logFailure(const QString& reason)
{
    return QStringLiteral("导入已完成，记录已写入数据库，但错误信息无法保存到 log.txt：%1\n"
                          "请不要再次导入这张表（记录会重复）；请让程序所在的文件夹可以写入，以便下次保存")
        .arg(reason);
}

QString rowLoopFailure(const QString& reason)
{
    return QStringLiteral("导入在中途停止：%1\n此前处理的记录已保存在数据库中，状态栏显示了它们的数目").arg(reason);
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

    const RunEnd runEnd(reporter);

    BatchValues batch;
    try {
        batch.batchPrefix = probeCodeLetter(session.storeQuery);
    } catch (const data::DatabaseError& error) {
        throw ImportError(ImportError::Kind::StoreUnreachable, probeFailure(error));
    }
    outcome.batchPrefix = batch.batchPrefix;
    reporter.codeLetterChosen(batch.batchPrefix);

    session.bigKindCode = request.category->remark;
    batch.bigKindCode = request.category->remark;
    batch.categoryKindId = request.category->kindId;

    std::optional<data::Workbook> workbook;
    try {
        workbook = data::Workbook::open(request.workbookPath);
    } catch (const data::WorkbookError& error) {
        reporter.notice(ImportNotice::WorkbookNotOpened, texts::kWorkbookNotOpened, error.reason());
        outcome.end = ImportOutcome::End::EndedEarly;
        return outcome;
    }

    std::optional<ProductSheet> sheet;
    try {
        sheet.emplace(workbook->sheet(request.sheetName));
    } catch (const data::SheetError& error) {
        throw ImportError(ImportError::Kind::SheetUnreadable, sheetFailure(error.reason()));
    } catch (const MissingColumnsError& error) {
        throw ImportError(ImportError::Kind::SheetUnreadable, missingColumnsFailure(error));
    }

    const int rowTotal = sheet->rowCount();
    outcome.rowTotal = rowTotal;
    reporter.rowsCounted(rowTotal);

    RowLoop rows(session, *sheet, batch, request, reporter);
    try {
        rows.run();
    } catch (const ImportError&) {
        throw;
    } catch (const std::exception& error) {
        throw ImportError(ImportError::Kind::Unexpected, rowLoopFailure(QString::fromUtf8(error.what())));
    }
    outcome.importedCount = rows.counts().imported;
    outcome.failedCount = rows.counts().failed;
    outcome.emptyCount = rows.counts().empty;

    try {
        saveErrorLog(session.errorLog, session.logFilePath);
    } catch (const LogFileError& error) {
        throw ImportError(ImportError::Kind::LogNotSaved, logFailure(error.message()));
    }
    outcome.end = ImportOutcome::End::Completed;
    return outcome;
}

} // namespace importer
