#pragma once
// The texts an import run shows and writes, exactly as the clerks know them.

#include "engine/run/ImportReporter.h"
#include "engine/writes/RunChoices.h"

#include <QString>

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

} // namespace importer::texts
