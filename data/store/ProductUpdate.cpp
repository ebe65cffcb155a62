#include "store/ProductUpdate.h"

#include "db/ArrayLiteral.h"
#include "db/Connection.h"
#include "db/ConnectionBackend.h"
#include "db/DatabaseError.h"
#include "store/CpxmColumns.h"

#include <QHash>

#include <cmath>
#include <limits>

namespace data {

namespace {

const QString kCodeColumn = QStringLiteral("Cpxm_bm");

const CpxmColumn* columnOfTwenty(const QString& name)
{
    for (const CpxmColumn& column : cpxmColumns()) {
        if (column.name.compare(name, Qt::CaseInsensitive) == 0)
            return &column;
    }
    return nullptr;
}

// Why an update may not set a column of the twenty; empty when it may.
QString refusalOf(const CpxmColumn& column)
{
    switch (column.source) {
    case ColumnSource::LetterAndCode:
        return QStringLiteral("它是商品编号，用来找到要更新的商品");
    case ColumnSource::BigKindCode:
    case ColumnSource::CategoryKindId:
        return QStringLiteral("它是商品的分类，更新不改变分类");
    case ColumnSource::Fixed:
        return QStringLiteral("它是商品库自己的固定值");
    default:
        return QString();
    }
}

QString stockColumn()
{
    for (const CpxmColumn& column : cpxmColumns()) {
        if (column.source == ColumnSource::Stock)
            return column.name;
    }
    return QStringLiteral("CPxm_sl");
}

// The columns as they will stand in the statement; throws UpdateColumnError. further: Cpxm's columns as the store
// states them, to check the others against; empty: not checked.
QStringList checkedColumns(const QStringList& columns, const std::vector<StoreColumn>* further)
{
    if (columns.isEmpty())
        throw UpdateColumnError(QStringLiteral("更新已有的商品时至少要改写一列"));
    QStringList checked;
    for (const QString& name : columns) {
        QString spelt;
        if (const CpxmColumn* column = columnOfTwenty(name)) {
            if (const QString why = refusalOf(*column); !why.isEmpty())
                throw UpdateColumnError(QStringLiteral("更新已有的商品时不能改写 %1：%2").arg(column->name, why));
            spelt = column->name;
        } else if (further) {
            for (const StoreColumn& column : *further) {
                if (column.name.compare(name, Qt::CaseInsensitive) == 0)
                    spelt = column.name;
            }
            if (spelt.isEmpty())
                throw UpdateColumnError(QStringLiteral("商品库的 Cpxm 表没有 %1 这一列").arg(name));
        } else {
            spelt = name;
        }
        if (checked.contains(spelt, Qt::CaseInsensitive))
            throw UpdateColumnError(QStringLiteral("更新已有的商品时 %1 列出现了两次").arg(spelt));
        checked << spelt;
    }
    return checked;
}

// " where <the row>", its values bound as :key, or :code (and :name).
QString whereRow(RowKey key)
{
    switch (key) {
    case RowKey::Rowid:
        return QStringLiteral(" where rowid = :key");
    case RowKey::CodeAndName:
        // NULL and "" read alike when the row was matched.
        return QStringLiteral(" where Cpxm_bm = :code and coalesce(Cpxm_mc, '') = :name and (select count(*) from "
                              "Cpxm where Cpxm_bm = :code and coalesce(Cpxm_mc, '') = :name) = 1");
    case RowKey::Code:
        break;
    }
    return QStringLiteral(" where Cpxm_bm = :code and (select count(*) from Cpxm where Cpxm_bm = :code) = 1");
}

void bindRow(std::vector<BoundValue>& bound, std::size_t at, const StoredRow& row)
{
    switch (rowKeyOf(row)) {
    case RowKey::Rowid:
        bound[at].type = BoundValue::Type::Integer;
        bound[at].integer = row.rowid;
        bound.resize(at + 1);
        return;
    case RowKey::CodeAndName:
        bound[at] = textValue(row.code);
        bound[at + 1] = textValue(*row.name);
        bound.resize(at + 2);
        return;
    case RowKey::Code:
        break;
    }
    bound[at] = textValue(row.code);
    bound.resize(at + 1);
}

// The columns of setColumns (a bit each, in the order of written), each with its value numbered as its place.
QString updateText(const QStringList& written, quint64 setColumns, RowKey key)
{
    QString text = QStringLiteral("update Cpxm set ");
    // A store's column name need not make a parameter name (a blank, a Chinese name): numbered instead.
    for (qsizetype i = 0; i < written.size(); ++i) {
        if (setColumns & (quint64(1) << i))
            text += QStringLiteral("%1 = :v%2, ").arg(written.at(i)).arg(i + 1);
    }
    text.chop(2);
    return text + whereRow(key);
}

constexpr quint64 allColumns(qsizetype count)
{
    return count >= 64 ? ~quint64(0) : (quint64(1) << count) - 1;
}

// The merged stock must stay a finite double: the stored stock within bounds the program works out from the row's
// (so that nothing the store computes overflows on the way, and no parameter needs a type of its own).
const QString kStockInRange = QStringLiteral(" and coalesce(%1, 0) between :low and :high");

QString mergeText(RowKey key, bool check)
{
    const QString stock = stockColumn();
    QString text = QStringLiteral("update Cpxm set %1 = coalesce(%1, 0) + :stock").arg(stock) + whereRow(key);
    if (check)
        text += kStockInRange.arg(stock);
    return text;
}

} // namespace

RowKey rowKeyOf(const StoredRow& row)
{
    if (row.rowid >= 0)
        return RowKey::Rowid;
    return row.name ? RowKey::CodeAndName : RowKey::Code;
}

QString productUpdateText(const QStringList& columns)
{
    const QStringList checked = checkedColumns(columns, nullptr);
    return updateText(checked, allColumns(checked.size()), RowKey::Code);
}

QString stockMergeText()
{
    return mergeText(RowKey::Code, true);
}

ProductUpdate::ProductUpdate(Connection& store, const QStringList& columns) : store_(store)
{
    // Only a name the store states for Cpxm goes into the statement's text, quoted as the store writes names.
    bool allOfTwenty = true;
    for (const QString& name : columns)
        allOfTwenty = allOfTwenty && columnOfTwenty(name);
    std::vector<StoreColumn> stated;
    if (!allOfTwenty)
        stated = store.tableColumns(QStringLiteral("Cpxm"));
    columns_ = checkedColumns(columns, allOfTwenty ? nullptr : &stated);
    if (columns_.size() > 64)
        throw UpdateColumnError(QStringLiteral("更新已有的商品时最多改写64列"));
    for (const QString& name : std::as_const(columns_))
        written_ << (columnOfTwenty(name) ? name : store.quotedName(name));
    // Prepared now, so that a table that does not fit shows before any row.
    statementFor(allColumns(columns_.size()), RowKey::Code);
    if (store.dbmsName().contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive))
        prepareMany();
}

// PostgreSQL: "update Cpxm set c = coalesce(v.vN, Cpxm.c), ... from (select unnest(cast(? as text[])) as k,
// unnest(cast(? as text[])) as n, unnest(cast(? as <c's type>[])) as vN, ...) as v where <the row of k and n>":
// a batch of updates as one statement, each column's values one array, a blank cell NULL in it.
void ProductUpdate::prepareMany()
{
    ResultSet result;
    BoundValue table = textValue(QStringLiteral("Cpxm"));
    store_.backend().select(parseStatement(QStringLiteral("select attname, format_type(atttypid, -1) as type from "
                                                          "pg_attribute where attrelid = cast(:t as regclass) and "
                                                          "attnum > 0 and not attisdropped")),
                            {table}, 0, result);
    QHash<QString, QString> types;
    for (int row = 0; row < result.rowCount; ++row)
        types.insert(result.cells[size_t(row) * 2], result.cells[size_t(row) * 2 + 1]);
    QStringList columnTypes;
    for (const QString& column : std::as_const(columns_)) {
        const QString type = types.value(column, types.value(column.toLower()));
        if (type.isEmpty())
            return; // one update at a time, as on any store
        columnTypes << type;
    }
    QString set;
    QString values = QStringLiteral("select unnest(cast(:k as text[])) as k, unnest(cast(:n as text[])) as n");
    for (qsizetype i = 0; i < columns_.size(); ++i) {
        set += QStringLiteral("%1 = coalesce(v.v%2, Cpxm.%1), ").arg(written_.at(i)).arg(i + 1);
        values += QStringLiteral(", unnest(cast(:a%1 as %2[])) as v%1").arg(i + 1).arg(columnTypes.at(i));
    }
    set.chop(2);
    many_ = store_.prepareWrite(parseStatement(
        QStringLiteral("update Cpxm set %1 from (%2) as v where Cpxm.Cpxm_bm = v.k and coalesce(Cpxm.Cpxm_mc, '') = "
                       "v.n and (select count(*) from Cpxm c where c.Cpxm_bm = v.k and coalesce(c.Cpxm_mc, '') = v.n) "
                       "= 1")
            .arg(set, values)));
    columnTypes_ = columnTypes;
}

int ProductUpdate::updateMany(const std::vector<const std::vector<BoundValue>*>& values,
                              const std::vector<StoredRow>& rows)
{
    if (!updatesAtOnce() || values.size() != rows.size())
        throw std::invalid_argument("updateMany: not on this store, or a stored row for each row of values");
    // Each row as the arrays read it: its code, its name, then its values.
    std::vector<std::vector<BoundValue>> table(rows.size());
    std::vector<const BoundValue*> pointers(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!rows[r].name || values[r]->size() != size_t(columns_.size()))
            throw std::invalid_argument("updateMany: a row without its name, or with a wrong number of values");
        table[r].reserve(values[r]->size() + 2);
        table[r].push_back(textValue(rows[r].code));
        table[r].push_back(textValue(*rows[r].name));
        table[r].insert(table[r].end(), values[r]->begin(), values[r]->end());
        pointers[r] = table[r].data();
    }
    arrays_.resize(size_t(columns_.size()) + 2);
    for (std::size_t column = 0; column < arrays_.size(); ++column) {
        arrays_[column].type = BoundValue::Type::Text;
        arrays_[column].text.resize(0);
        appendArrayLiteral(arrays_[column].text, pointers.data(), int(rows.size()), int(column));
    }
    return many_->run(arrays_);
}

ProductUpdate::~ProductUpdate() = default;

PreparedWrite& ProductUpdate::statementFor(quint64 setColumns, RowKey key)
{
    auto found = writes_.find({setColumns, key});
    if (found == writes_.end()) {
        // Blank cells come in few patterns; a sheet that makes many more keeps only the latest few prepared.
        constexpr std::size_t kKept = 64;
        if (writes_.size() >= kKept)
            writes_.clear();
        found = writes_
                    .emplace(std::pair{setColumns, key},
                             store_.prepareWrite(parseStatement(updateText(written_, setColumns, key))))
                    .first;
    }
    return *found->second;
}

int ProductUpdate::update(const std::vector<BoundValue>& values, const StoredRow& row)
{
    if (values.size() != size_t(columns_.size()))
        throw std::invalid_argument(QStringLiteral("The update sets %1 columns; %2 values were given")
                                        .arg(columns_.size())
                                        .arg(values.size())
                                        .toStdString());
    quint64 setColumns = 0;
    bound_.clear();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].type != BoundValue::Type::Unset) {
            setColumns |= quint64(1) << i;
            bound_.push_back(values[i]);
        }
    }
    if (setColumns == 0)
        return 1; // every cell blank: the product stays as it is
    const std::size_t at = bound_.size();
    bound_.resize(at + 2);
    bindRow(bound_, at, row);
    return statementFor(setColumns, rowKeyOf(row)).run(bound_);
}

StockMerge::StockMerge(Connection& store) : store_(store)
{
    statementFor(RowKey::Code, false);
}

StockMerge::~StockMerge() = default;

PreparedWrite& StockMerge::statementFor(RowKey key, bool check)
{
    auto found = writes_.find({key, check});
    if (found == writes_.end())
        found =
            writes_.emplace(std::pair{key, check}, store_.prepareWrite(parseStatement(mergeText(key, check)))).first;
    return *found->second;
}

StockMerge::Result StockMerge::add(double stock, const StoredRow& row)
{
    bound_.assign(4, BoundValue{});
    bound_[0].type = BoundValue::Type::Double;
    bound_[0].number = stock;
    bindRow(bound_, 1, row);
    const RowKey key = rowKeyOf(row);
    constexpr double kMax = std::numeric_limits<double>::max();
    std::vector<BoundValue> checked = bound_;
    BoundValue bound;
    bound.type = BoundValue::Type::Double;
    bound.number = stock < 0 ? -kMax - stock : -kMax;
    checked.push_back(bound);
    bound.number = stock < 0 ? kMax : kMax - stock;
    checked.push_back(bound);
    if (statementFor(key, true).run(checked) > 0)
        return Result::Merged;
    // Not merged: the row is gone, or the sum would leave the range; the same merge without the check tells.
    bound_[0].number = 0;
    return statementFor(key, false).run(bound_) > 0 ? Result::OutOfRange : Result::Gone;
}

} // namespace data
