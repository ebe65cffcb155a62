#include "engine/run/ImportTexts.h"

#include "db/DatabaseError.h"
#include "worksheet/WorkbookErrors.h"

#include <QStringList>

#include <utility>

namespace importer::texts {

namespace {

// Where the clerk takes an import that ended early up again: the row as the sheet numbers it, below the header.
QString fromRow(std::optional<int> dataRow)
{
    return dataRow ? QStringLiteral("从工作表的第 %1 行起").arg(*dataRow + 2) : QString();
}

} // namespace

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

// What became of the rows before the fault, saying only what happened: rows written (added, updated, merged) or
// none, the failed rows written to the log, or the log not saved; and the row to import again from.
QString storeFault(const data::DatabaseError& error, std::optional<int> firstRowAgain, const ImportCounts& counts,
                   const QString& logPath, const QString& logProblem)
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

QString failedRowsNotSaved(const QString& reason)
{
    return QStringLiteral("导入已完成，错误信息已写入 log.txt，但%1").arg(reason);
}

QString rowCountStatus(int rowTotal)
{
    return QStringLiteral("有 ") + QString::number(rowTotal) + QStringLiteral("条 正在导入......");
}

namespace {

const QString kLinkText = QStringLiteral("点此查看错误的信息！");

QString countsText(int rowTotal, int imported, int failed, int empty)
{
    return QStringLiteral("共") + QString::number(rowTotal) + QStringLiteral("条,正确导入") +
           QString::number(imported) + QStringLiteral("条,错误") + QString::number(failed) +
           QStringLiteral("条,空纪录") + QString::number(empty) + QStringLiteral("条,");
}

} // namespace

QString rowSummary(int rowTotal, int imported, int failed, int empty)
{
    return countsText(rowTotal, imported, failed, empty) + kLinkText;
}

QString rowSummary(int rowTotal, const ImportCounts& counts, ExistingChoice existing, RepeatChoice repeats)
{
    QString text = countsText(rowTotal, counts.imported, counts.failed, counts.empty);
    if (existing == ExistingChoice::Skip)
        text += QStringLiteral("已有") + QString::number(counts.existing) + QStringLiteral("条,");
    else if (existing == ExistingChoice::Update)
        text += QStringLiteral("更新") + QString::number(counts.updated) + QStringLiteral("条,");
    if (repeats == RepeatChoice::Merge)
        text += QStringLiteral("合并") + QString::number(counts.merged) + QStringLiteral("条,");
    return text + kLinkText;
}

} // namespace importer::texts
