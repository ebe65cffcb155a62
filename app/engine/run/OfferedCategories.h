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

// The category kindId names among those offered under every product type, or none. typesFound says whether the
// store lists any product type at all (a store without ProdKind lists none).
std::optional<data::ProductKind> offeredCategory(data::Query& query, const QString& kindId, bool& typesFound);

} // namespace importer
