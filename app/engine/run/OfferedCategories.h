#pragma once
// The categories a run files products under, as the window offers them: a leaf kind under some product type, without
// "CF" in its kinid. The window lists them type by type; the command line names one by its kinid.

#include "store/ProductKinds.h"

#include <QString>

#include <optional>

namespace data {
class Query;
}

namespace importer {

// The product types, in the store's order (none where ProdKind cannot be read).
data::ProductKindList offeredTypes(data::Query& query);
// The categories offered under the type of this kinid.
data::ProductKindList offeredCategories(data::Query& query, const QString& typeKinid);

// The category kindId names among those offered under every product type, or none. typesFound says whether the
// store lists any product type at all (a store without ProdKind lists none).
std::optional<data::ProductKind> offeredCategory(data::Query& query, const QString& kindId, bool& typesFound);

} // namespace importer
