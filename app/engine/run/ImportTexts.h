#pragma once
// The texts an import run shows and writes, exactly as the clerks know them.

#include "engine/run/ImportReporter.h"
#include "engine/run/LogPathCheck.h"
#include "engine/writes/RunChoices.h"

#include <QString>

#include <optional>

namespace data {
class DatabaseError;
class SheetError;
} // namespace data

namespace importer::texts {

inline const QString kErrorLogHeader = QStringLiteral("以下是导入错误的信息！");
inline const QString kNoWorkbookPath = QStringLiteral("请选择要导入的电子表格！");
inline const QString kNoCategory = QStringLiteral("请选择所属分类！");
inline const QString kWorkbookNotOpened = QStringLiteral("Execl文件不存在,请重新连接！");
inline const QString kImporting = QStringLiteral("正在导入......");

// "有 N条 正在导入......"
QString rowCountStatus(int rowTotal);
// "共N条,正确导入I条,错误F条,空纪录E条,点此查看错误的信息！"
QString rowSummary(int rowTotal, int imported, int failed, int empty);
// The same, with ",已有N条" after 空纪录 when existing products are skipped, ",更新N条" when they are updated, then
// ",合并N条" when repeated codes are merged; a run with neither choice reads as above, byte for byte.
QString rowSummary(int rowTotal, const ImportCounts& counts, ExistingChoice existing, RepeatChoice repeats);

// Why a run ended before or during its rows, with what became of the rows and what to do. They reach the window's
// error report, which ends them with a full stop of its own.
QString probeFailure(const data::DatabaseError& error);
QString sheetFailure(const data::SheetError& error);
// A column choice that does not fit the sheet or the store: its message, and that nothing was imported.
QString missingColumnsFailure(const QString& message);
QString logFailure(const QString& logPath, const QString& reason);
QString logUnwritable(const QString& logPath, const QString& reason);
// What became of the rows before a store fault, saying only what happened: rows written (added, updated, merged)
// or none, the failed rows written to the log, or the log not saved; and the row to import again from.
QString storeFault(const data::DatabaseError& error, std::optional<int> firstRowAgain, const ImportCounts& counts = {},
                   const QString& logPath = {}, const QString& logProblem = {});
QString logClashFailure(const QString& logPath, LogClash clash);
QString rowLoopFailure(const QString& reason, int firstRowAgain);
QString failedRowsNotSaved(const QString& reason);

} // namespace importer::texts
