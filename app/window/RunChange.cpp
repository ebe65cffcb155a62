#include "window/RunChange.h"

#include "engine/sheet/ProductFields.h"
#include "window/FurtherColumnLabels.h"

namespace {

// "甲、乙和丙"
QString listed(const QStringList& names)
{
    if (names.size() < 2)
        return names.join(QString());
    return names.first(names.size() - 1).join(u'、') + u'和' + names.last();
}

} // namespace

QStringList updatedFields(const importer::SheetLayout& layout)
{
    QStringList fields;
    for (importer::ProductColumn field : importer::kProductColumns) {
        if (field != importer::ProductColumn::Code && field != importer::ProductColumn::Name &&
            layout.column(field) >= 0)
            fields << importer::templateHeader(field);
    }
    for (const auto& [name, column] : layout.further)
        fields << furtherColumnLabel(name);
    return fields;
}

QString runChangeText(importer::ExistingChoice existing, importer::RepeatChoice repeats,
                      const std::optional<QStringList>& fields)
{
    QStringList changes;
    if (existing == importer::ExistingChoice::Update) {
        if (!fields)
            changes << QStringLiteral("将用表中的值更新已有的商品。");
        else if (fields->isEmpty())
            changes << QStringLiteral("选了“更新已有的商品”，但表中只有编号和名称：已有的商品不会改变。");
        else
            changes << QStringLiteral("将更新已有商品的%1（改为表中的值）。").arg(listed(*fields));
    }
    if (repeats == importer::RepeatChoice::Merge)
        changes << QStringLiteral("表中重复的编号将合并库存：后面各行的当前库存加到第一行的商品上。");
    if (changes.isEmpty())
        return QString();
    return changes.join(u'\n') + QStringLiteral("\n\n确定要导入吗？");
}
