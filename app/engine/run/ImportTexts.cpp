#include "engine/run/ImportTexts.h"

namespace importer::texts {

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
