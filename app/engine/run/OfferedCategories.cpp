#include "engine/run/OfferedCategories.h"

namespace importer {

data::ProductKindList offeredTypes(data::Query& query)
{
    return data::loadProductTypes(query);
}

data::ProductKindList offeredCategories(data::Query& query, const QString& typeKinid)
{
    return data::loadCategories(query, typeKinid);
}

std::optional<data::ProductKind> offeredCategory(data::Query& query, const QString& kindId, bool& typesFound)
{
    const data::ProductKindList types = offeredTypes(query);
    typesFound = !types.isEmpty();
    for (const data::ProductKind& type : types) {
        for (const data::ProductKind& category : offeredCategories(query, type.kindId)) {
            if (category.kindId == kindId)
                return category;
        }
    }
    return std::nullopt;
}

} // namespace importer
