#pragma once
// The products already in the store that rows of a sheet mean: found by code, one query per batch of rows, so
// that a run may skip them, update them or add to their stock instead of adding them again under a new letter.

#include "db/StatementText.h"

#include <QString>
#include <QStringList>

#include <QHash>

#include <map>
#include <optional>
#include <vector>

namespace data {

class Connection;

// The sheet's code and name, trimmed.
struct ProductKey
{
    QString code;
    QString name;
};

// One stored product a row means, and how a write names exactly that row: by its rowid where the store has one
// (SQLite), else by its code and its name as stored, since a store without a unique index on Cpxm_bm may hold the
// code more than once.
struct StoredRow
{
    QString code;                // Cpxm_bm
    std::optional<QString> name; // Cpxm_mc as stored (NULL read as ""); none: the code alone names the row
    qint64 rowid = -1;           // SQLite's rowid; -1 where there is none
};

// Finds the stored products that sheet rows mean. A row means a stored product when the stored Cpxm_bm equals the
// row's code exactly, or equals one letter A-Z followed by the row's code; when names count, the stored Cpxm_mc
// trimmed must also equal the row's name. A row without a code means none.
class StoredProductMatcher
{
public:
    // Reads once which code letters are in use, a probe of the index on Cpxm_bm per letter. Throws DatabaseError.
    explicit StoredProductMatcher(Connection& store);
    // The same for a run that will ask for rowsToMatch rows: where that is a good part of the store (a price list
    // of every product, a list imported again), the codes and names of every product are read at once, in one
    // select, and the rows matched against them here; a batch of rows then costs the store nothing.
    StoredProductMatcher(Connection& store, int rowsToMatch);

    // For each key (same order), the Cpxm_bm of every stored product it means (empty: none): the code itself
    // first, then the letters in order. One select per 2,000 codes asked for. Throws DatabaseError.
    std::vector<QStringList> match(const std::vector<ProductKey>& keys, bool namesCount);
    // The same, row by row: every stored row a key means (a code stored twice, two rows), in the same order.
    std::vector<std::vector<StoredRow>> matchRows(const std::vector<ProductKey>& keys, bool namesCount);

private:
    const ParsedStatement& selectByCodes(int count);
    const ParsedStatement& selectByKeys(int count);
    std::vector<std::vector<StoredRow>> matchByKeys(const std::vector<ProductKey>& keys, bool namesCount);

    Connection& store_;
    // The keys as a table of values joined to Cpxm (SQLite), not an "in" list of every code they may stand for.
    const bool keysAsTable_;
    QStringList letters_;                    // the letters that begin some stored code, in order
    std::map<int, ParsedStatement> selects_; // by the codes they take (by keys: negative)
    // Every stored row by its code, when read at once.
    std::optional<QHash<QString, std::vector<StoredRow>>> whole_;
};

} // namespace data
