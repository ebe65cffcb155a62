#pragma once
// What a run does with rows whose products the store holds already, and with rows that repeat a code of the sheet,
// when the clerk chose more than adding every row: which stored product a row means (one query for each batch of
// rows), and the update or stock merge that is then written instead of an insert.

#include "engine/rows/MadeRow.h"
#include "engine/writes/RunChoices.h"
#include "store/StoredProducts.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace data {
class Connection;
class ProductUpdate;
class StockMerge;
} // namespace data

namespace importer {

struct ExistingPolicy
{
    ExistingChoice existing = ExistingChoice::Add;
    RepeatChoice repeats = RepeatChoice::Fail;
    bool namesCount = false;       // the sheet has a name column: a stored product's name must be the row's
    QStringList updateColumns;     // the Cpxm columns an update sets: those the sheet has, never the code or category
    std::vector<int> updateValues; // the place of each in a row's values
    int stockValue = -1;           // the place of the stock in a row's values
    QStringList labels;            // for each place in a row's values, the sheet's header (for the log)
    int rowsToMatch = 0;           // the rows of the sheet: a run of many reads the stored products at once

    // Anything but adding every row as it comes, which needs none of this.
    bool active() const { return existing != ExistingChoice::Add || repeats == RepeatChoice::Merge; }
};

struct RunValues;
class ProductSheet;

// What the writes do with products already in the store, for the sheet: an update sets the columns the sheet has
// (a field the sheet lacks keeps the stored value, not the default; the name is what the row was matched by), and
// every chosen further column.
ExistingPolicy existingPolicy(ExistingChoice existing, RepeatChoice repeats, const ProductSheet& sheet,
                              const RunValues& runValues);

class ExistingProducts
{
public:
    enum class Action { Insert, Skip, Update, Merge, Fail };
    struct Decision
    {
        Action action = Action::Insert;
        data::StoredRow stored; // the stored row skipped, updated or merged into
        QString reason;         // why the row fails
    };

    // Prepares nothing yet: the first batch asks the store.
    ExistingProducts(data::Connection& store, ExistingPolicy policy);
    ~ExistingProducts();
    ExistingProducts(const ExistingProducts&) = delete;
    ExistingProducts& operator=(const ExistingProducts&) = delete;

    // What to do with each of rows (with values), about to be written in this order. Throws data::DatabaseError.
    std::vector<Decision> decide(std::span<const MadeRow> rows);

    // A row now in the store as stored (inserted, updated, or skipped as it was): a later row of the sheet
    // with its code merges into it, is skipped with it, or fails as a repeat. inGroup: until the open group
    // commits, which groupLost() undoes.
    void remember(const MadeRow& row, const data::StoredRow& stored, bool skipped, bool inGroup);
    void groupCommitted() { groupCodes_.clear(); }
    void groupLost();

    // Writes the row's values into the stored product, a blank cell leaving its column as stored; false when the
    // product is not there any more (or no longer the only one with its code). Throws data::DatabaseError.
    bool update(const MadeRow& row, const data::StoredRow& stored);
    // Whether updateMany() writes several rows in one statement on this store.
    bool updatesAtOnce();
    // The rows' values into their stored products (each named by code and name) in one statement, blank cells
    // leaving their columns; true when each row changed its product, false when some did not (the caller undoes
    // the statement and writes the rows one by one). Throws data::DatabaseError.
    bool updateMany(const std::vector<const MadeRow*>& rows, const std::vector<data::StoredRow>& stored);
    // Adds the row's stock to the stored product's. Throws data::DatabaseError.
    enum class Merged { Yes, Gone, OutOfRange };
    Merged merge(const MadeRow& row, const data::StoredRow& stored);

private:
    struct Earlier // the first row of the sheet with a code
    {
        data::StoredRow stored;
        data::CpxmRow values;
        bool skipped = false;
    };

    Decision repeatOf(const MadeRow& row, const Earlier& earlier) const;
    void valuesToUpdate(const MadeRow& row, std::vector<data::BoundValue>& values) const;

    data::Connection& store_;
    const ExistingPolicy policy_;
    std::unique_ptr<data::StoredProductMatcher> matcher_;
    std::unique_ptr<data::ProductUpdate> update_;
    std::unique_ptr<data::StockMerge> merge_;
    QHash<QString, Earlier> earlier_; // by the sheet's code
    QStringList groupCodes_;          // remembered in the open group
    std::vector<data::BoundValue> updateValues_;
    std::vector<std::vector<data::BoundValue>> manyValues_;
};

} // namespace importer
