#include "ImportTexts.h"

namespace importer::texts {

QString rowCountStatus(int rowTotal)
{
    return QStringLiteral("有 ") + QString::number(rowTotal) + QStringLiteral("条 正在导入......");
}

QString rowSummary(int rowTotal, int imported, int failed, int empty)
{
    return QStringLiteral("共") + QString::number(rowTotal) + QStringLiteral("条,正确导入") +
           QString::number(imported) + QStringLiteral("条,错误") + QString::number(failed) +
           QStringLiteral("条,空纪录") + QString::number(empty) + QStringLiteral("条,点此查看错误的信息！");
}

} // namespace importer::texts
