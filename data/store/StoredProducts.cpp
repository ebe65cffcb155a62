#include "store/StoredProducts.h"

#include "db/Connection.h"
#include "db/ConnectionBackend.h"
#include "db/DatabaseError.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace data {

namespace {

// SQL Server takes at most 2,100 parameters in one statement.
constexpr int kMaxCodesPerSelect = 2000;
// A run of at least this many rows reads every stored product at once when the store holds at most kWholeStoreRatio
// times as many: one scan of the table then costs less than the look-ups of the rows (measured on SQLite: 65,535
// rows against 65,537 products, 0.6 s in batches, a few hundredths read at once), and the codes and names of a
// few hundred thousand products take a few tens of megabytes.
constexpr int kWholeStoreFrom = 2000;
constexpr qint64 kWholeStoreRatio = 4;

// Codes from letter up to the next character: the index on Cpxm_bm answers it without reading the table. Exact
// where codes sort by character (SQLite, a server with a binary or C collation); a case-blind collation may count
// a letter as in use that only lower-case codes begin with, which costs a few more codes asked for, nothing else.
const QString kLetterProbe = QStringLiteral("select Cpxm_bm from Cpxm where Cpxm_bm >= :lo and Cpxm_bm < :hi");

// The codes of one select: the count rounded up to a multiple of 64 (at least 16), so that few sizes are made and a
// select pads little: a padded code is one more look-up in the index.
int selectSize(int count)
{
    if (count <= 16)
        return 16;
    return std::min(kMaxCodesPerSelect, (count + 63) / 64 * 64);
}

DatabaseError lookupFailed(const DatabaseError& error)
{
    return DatabaseError(QStringLiteral("Cannot look up the products already in Cpxm: ") + error.message(),
                         error.fault(), error.code());
}

using StoredRows = QHash<QString, std::vector<StoredRow>>;

// For each key, the stored rows it means: those of the code itself, then those of each letter in use before it, in
// order; where names count, only rows whose name, trimmed, is the key's. A code counts only when it is exactly one
// asked for (a server may have compared more loosely: SQL Server ignores case and trailing blanks).
std::vector<std::vector<StoredRow>> matchIn(const StoredRows& stored, const QStringList& letters,
                                            const std::vector<ProductKey>& keys, bool namesCount)
{
    std::vector<std::vector<StoredRow>> found(keys.size());
    QString lettered;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const QString& code = keys[i].code;
        if (code.isEmpty())
            continue;
        const QString name = namesCount ? keys[i].name.trimmed() : QString();
        const auto take = [&](const QString& asked) {
            const auto it = stored.constFind(asked);
            if (it == stored.constEnd())
                return;
            for (const StoredRow& row : *it) {
                if (!namesCount || row.name.value_or(QString()).trimmed() == name)
                    found[i].push_back(row);
            }
        };
        take(code);
        for (const QString& letter : letters) {
            lettered = letter;
            lettered += code;
            take(lettered);
        }
    }
    return found;
}

bool isSqlite(Connection& store)
{
    return store.dbmsName() == QLatin1String("SQLite");
}

} // namespace

StoredProductMatcher::StoredProductMatcher(Connection& store) : store_(store), keysAsTable_(isSqlite(store))
{
    ConnectionBackend& backend = store_.backend();
    const ParsedStatement probe = parseStatement(kLetterProbe);
    ResultSet result;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const QString from(QChar{letter});
        try {
            backend.select(probe, {textValue(from), textValue(QString(QChar(letter + 1)))}, 1, result);
        } catch (const DatabaseError& error) {
            throw DatabaseError(QStringLiteral("Cannot read which code letters Cpxm uses: ") + error.message(),
                                error.fault(), error.code());
        }
        if (result.rowCount > 0)
            letters_ << from;
    }
}

StoredProductMatcher::StoredProductMatcher(Connection& store, int rowsToMatch) : StoredProductMatcher(store)
{
    if (rowsToMatch < kWholeStoreFrom)
        return;
    ConnectionBackend& backend = store_.backend();
    ResultSet result;
    try {
        backend.select(parseStatement(QStringLiteral("select count(*) as n from Cpxm")), {}, 0, result);
        if (result.rowCount < 1 || result.cells.front().toLongLong() > kWholeStoreRatio * rowsToMatch)
            return;
        // On SQLite the rowid names each row, whatever its code.
        backend.select(parseStatement(keysAsTable_ ? QStringLiteral("select Cpxm_bm, Cpxm_mc, rowid from Cpxm")
                                                   : QStringLiteral("select Cpxm_bm, Cpxm_mc from Cpxm")),
                       {}, 0, result);
    } catch (const DatabaseError& error) {
        throw lookupFailed(error);
    }
    const std::size_t width = keysAsTable_ ? 3 : 2;
    StoredRows& whole = whole_.emplace();
    whole.reserve(result.rowCount);
    for (int row = 0; row < result.rowCount; ++row) {
        const QString* cells = &result.cells[std::size_t(row) * width];
        if (cells[0].isEmpty())
            continue;
        StoredRow stored{cells[0], cells[1], keysAsTable_ ? cells[2].toLongLong() : -1};
        whole[cells[0]].push_back(std::move(stored));
    }
}

// "select Cpxm_bm, Cpxm_mc from Cpxm where Cpxm_bm in (:c1,...,:cN)": parsing two thousand names costs more than
// the select itself, so each size is parsed once.
const ParsedStatement& StoredProductMatcher::selectByCodes(int count)
{
    auto found = selects_.find(count);
    if (found != selects_.end())
        return found->second;
    QString text = QStringLiteral("select Cpxm_bm, Cpxm_mc from Cpxm where Cpxm_bm in (");
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral(":c%1,").arg(i);
    text.back() = u')';
    return selects_.emplace(count, parseStatement(text)).first->second;
}

// On SQLite: "select asked.column2, Cpxm_bm, Cpxm_mc, Cpxm.rowid from (values (:c1,0),...,(:cN,N-1)) as asked join Cpxm
// on Cpxm_bm in (asked.column1, 'A' || asked.column1, ...)". The store walks the sheet's codes and looks up each form
// of each in the index, and says which key each product answers: the codes are sent once, not once a letter, and
// nothing is sorted or hashed on either side.
const ParsedStatement& StoredProductMatcher::selectByKeys(int count)
{
    auto found = selects_.find(-count);
    if (found != selects_.end())
        return found->second;
    QString text = QStringLiteral("select asked.column2, Cpxm_bm, Cpxm_mc, Cpxm.rowid from (values ");
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("(:c%1,%2),").arg(i + 1).arg(i);
    text.back() = u')';
    text += QStringLiteral(" as asked join Cpxm on Cpxm_bm in (asked.column1");
    for (const QString& letter : std::as_const(letters_))
        text += QStringLiteral(",'%1'||asked.column1").arg(letter); // A to Z: nothing to quote
    text += u')';
    return selects_.emplace(-count, parseStatement(text)).first->second;
}

std::vector<std::vector<StoredRow>> StoredProductMatcher::matchByKeys(const std::vector<ProductKey>& keys,
                                                                      bool namesCount)
{
    std::vector<std::vector<StoredRow>> found(keys.size());
    ConnectionBackend& backend = store_.backend();
    ResultSet result;
    std::vector<BoundValue> values;
    const std::size_t perSelect = std::size_t(kMaxCodesPerSelect);
    for (std::size_t first = 0; first < keys.size(); first += perSelect) {
        const std::size_t count = std::min(keys.size() - first, perSelect);
        values.clear();
        for (std::size_t i = first; i < first + count; ++i) {
            // No code means no product: NULL matches nothing, where '' would match a stored code "A".
            values.push_back(keys[i].code.isEmpty() ? BoundValue() : textValue(keys[i].code));
        }
        const int size = selectSize(int(count));
        values.resize(std::size_t(size), BoundValue()); // the padding's NULLs match nothing
        try {
            backend.select(selectByKeys(size), values, 0, result);
        } catch (const DatabaseError& error) {
            throw lookupFailed(error);
        }
        for (int row = 0; row < result.rowCount; ++row) {
            const QString* cells = &result.cells[std::size_t(row) * 4];
            const std::size_t key = first + cells[0].toULongLong();
            if (key >= first + count || (namesCount && cells[2].trimmed() != keys[key].name.trimmed()))
                continue;
            const qint64 rowid = cells[3].toLongLong();
            std::vector<StoredRow>& rows = found[key];
            if (std::none_of(rows.begin(), rows.end(), [rowid](const StoredRow& r) { return r.rowid == rowid; }))
                rows.push_back(StoredRow{cells[1], cells[2], rowid});
        }
    }
    // The code itself first, then the letters in order (the same suffix: in the order of the codes).
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (found[i].size() > 1) {
            std::stable_sort(found[i].begin(), found[i].end(),
                             [&code = keys[i].code](const StoredRow& a, const StoredRow& b) {
                                 return (a.code == code) != (b.code == code) ? a.code == code : a.code < b.code;
                             });
        }
    }
    return found;
}

std::vector<QStringList> StoredProductMatcher::match(const std::vector<ProductKey>& keys, bool namesCount)
{
    std::vector<QStringList> codes;
    for (const std::vector<StoredRow>& rows : matchRows(keys, namesCount)) {
        QStringList& found = codes.emplace_back();
        for (const StoredRow& row : rows)
            found << row.code;
    }
    return codes;
}

std::vector<std::vector<StoredRow>> StoredProductMatcher::matchRows(const std::vector<ProductKey>& keys,
                                                                    bool namesCount)
{
    if (whole_)
        return matchIn(*whole_, letters_, keys, namesCount);
    if (keysAsTable_)
        return matchByKeys(keys, namesCount);
    // Every code a key may stand for: the code, then each letter in use before it; each once, so that a stored row
    // comes back once however many keys ask for it.
    std::vector<QString> codes;
    QSet<QString> asked;
    const auto ask = [&](const QString& code) {
        if (!code.isEmpty() && !asked.contains(code)) {
            asked.insert(code);
            codes.push_back(code);
        }
    };
    for (const ProductKey& key : keys) {
        ask(key.code);
        if (!key.code.isEmpty()) {
            for (const QString& letter : std::as_const(letters_))
                ask(letter + key.code);
        }
    }

    StoredRows stored;
    ConnectionBackend& backend = store_.backend();
    ResultSet result;
    std::vector<BoundValue> values;
    for (size_t first = 0; first < codes.size(); first += kMaxCodesPerSelect) {
        const size_t count = std::min(codes.size() - first, size_t(kMaxCodesPerSelect));
        values.clear();
        for (size_t i = first; i < first + count; ++i)
            values.push_back(textValue(codes[i]));
        // Padded with its last code to one of a few sizes, whose statements are made once.
        const int size = selectSize(int(count));
        values.resize(size_t(size), values.back());
        try {
            backend.select(selectByCodes(size), values, 0, result);
        } catch (const DatabaseError& error) {
            throw lookupFailed(error);
        }
        for (int row = 0; row < result.rowCount; ++row) {
            const QString& code = result.cells[size_t(row) * 2];
            stored[code].push_back(StoredRow{code, result.cells[size_t(row) * 2 + 1], -1});
        }
    }
    return matchIn(stored, letters_, keys, namesCount);
}

} // namespace data
