#include "engine/run/OfferedCategories.h"

namespace importer {

std::optional<data::ProductKind> offeredCategory(data::Query& query, const QString& kindId, bool& typesFound)
{
    const data::ProductKindList types = data::loadProductTypes(query);
    typesFound = !types.isEmpty();
    for (const data::ProductKind& type : types) {
        for (const data::ProductKind& category : data::loadCategories(query, type.kindId)) {
            if (category.kindId == kindId)
                return category;
        }
    }
    return std::nullopt;
}

} // namespace importer
