#include "window/FurtherColumnLabels.h"

#include <utility>

QString furtherColumnLabel(const QString& columnName)
{
    // The demo store's further columns (resources/demo-store.sql); Cpxm_zt has no meaning it could be named by.
    static const std::pair<const char16_t*, const char16_t*> kKnown[] = {
        {u"Cpxm_gg", u"规格"}, {u"Cpxm_cd", u"产地"}, {u"Cpxm_txm", u"条码"}};
    for (const auto& [name, meaning] : kKnown) {
        if (columnName.compare(QString::fromUtf16(name), Qt::CaseInsensitive) == 0)
            return QStringLiteral("%1（%2）").arg(QString::fromUtf16(meaning), columnName);
    }
    return columnName;
}
