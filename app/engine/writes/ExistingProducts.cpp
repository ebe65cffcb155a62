#include "engine/writes/ExistingProducts.h"

#include "engine/rows/ProductValues.h"
#include "engine/sheet/FieldTable.h"
#include "engine/sheet/ProductSheet.h"
#include "store/CpxmColumns.h"
#include "store/ProductUpdate.h"
#include "store/StoredProducts.h"

namespace importer {

namespace {

bool sameValue(const data::BoundValue& a, const data::BoundValue& b)
{
    return a.type == b.type && a.text == b.text && a.integer == b.integer && a.number == b.number;
}

QString shown(const data::BoundValue& value)
{
    switch (value.type) {
    case data::BoundValue::Type::Text:
        return value.text;
    case data::BoundValue::Type::Integer:
        return QString::number(value.integer);
    case data::BoundValue::Type::Double:
        return data::numberText(value.number);
    case data::BoundValue::Type::Unset:
        break;
    }
    return QString();
}

} // namespace

ExistingPolicy existingPolicy(ExistingChoice existing, RepeatChoice repeats, const ProductSheet& sheet,
                              const RunValues& runValues)
{
    ExistingPolicy policy;
    policy.existing = existing;
    policy.repeats = repeats;
    policy.namesCount = sheet.layout().columns[std::size_t(indexOf(ProductColumn::Name))] >= 0;
    policy.rowsToMatch = sheet.rowCount();
    const auto& columns = data::cpxmColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::optional<ProductColumn> field = fieldFeeding(columns[i].source);
        policy.labels << (field ? sheet.headerText(*field) : columns[i].name);
        if (columns[i].source == data::ColumnSource::Stock)
            policy.stockValue = int(i);
        if (field && *field != ProductColumn::Name && sheet.layout().columns[std::size_t(indexOf(*field))] >= 0) {
            policy.updateColumns << columns[i].name;
            policy.updateValues.push_back(int(i));
        }
    }
    for (std::size_t j = 0; j < runValues.further.size(); ++j) {
        policy.labels << runValues.further[j].header;
        policy.updateColumns << runValues.further[j].column.name;
        policy.updateValues.push_back(int(columns.size() + j));
    }
    return policy;
}

ExistingProducts::ExistingProducts(data::Connection& store, ExistingPolicy policy)
    : store_(store), policy_(std::move(policy))
{
}

ExistingProducts::~ExistingProducts() = default;

std::vector<ExistingProducts::Decision> ExistingProducts::decide(std::span<const MadeRow> rows)
{
    std::vector<Decision> decisions(rows.size());
    std::vector<data::ProductKey> keys;
    std::vector<std::size_t> asked; // the rows whose keys go to the store
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto found = earlier_.constFind(rows[i].code);
        if (found != earlier_.constEnd()) {
            decisions[i] = repeatOf(rows[i], *found);
        } else if (policy_.existing != ExistingChoice::Add) {
            keys.push_back(data::ProductKey{rows[i].code, rows[i].name});
            asked.push_back(i);
        }
    }
    if (keys.empty())
        return decisions;
    if (!matcher_)
        matcher_ = std::make_unique<data::StoredProductMatcher>(store_, policy_.rowsToMatch);
    // Stored rows, not codes: a store without a unique index on Cpxm_bm may hold one code twice.
    const std::vector<std::vector<data::StoredRow>> matches = matcher_->matchRows(keys, policy_.namesCount);
    for (std::size_t k = 0; k < asked.size(); ++k) {
        const std::vector<data::StoredRow>& stored = matches[k];
        Decision& decision = decisions[asked[k]];
        if (stored.size() > 1) {
            QStringList codes;
            for (const data::StoredRow& one : stored)
                codes << one.code;
            decision.action = Action::Fail;
            decision.reason = QStringLiteral("数据库中有%1个商品与它相符（%2），不知道是哪一个")
                                  .arg(stored.size())
                                  .arg(codes.join(QStringLiteral("、")));
        } else if (stored.size() == 1) {
            decision.action = policy_.existing == ExistingChoice::Skip ? Action::Skip : Action::Update;
            decision.stored = stored.front();
        }
    }
    return decisions;
}

// A later row with the code of an earlier row of this run: skipped with a skipped one, its stock merged where the
// clerk asked for that and its other values agree, else a repeat that fails.
ExistingProducts::Decision ExistingProducts::repeatOf(const MadeRow& row, const Earlier& earlier) const
{
    Decision decision;
    if (earlier.skipped) {
        decision.action = Action::Skip;
        decision.stored = earlier.stored;
        return decision;
    }
    const QString earlierRow =
        row.earlierRow > 0 ? QStringLiteral("第%1行").arg(row.earlierRow) : QStringLiteral("前面一行");
    decision.action = Action::Fail;
    if (policy_.repeats != RepeatChoice::Merge) {
        decision.reason = QStringLiteral("编号重复，与%1的编号相同").arg(earlierRow);
        return decision;
    }
    const RowValues& values = *row.values;
    for (std::size_t i = 0; i < values.size() && i < earlier.values.size(); ++i) {
        if (int(i) == policy_.stockValue || sameValue(values[i], earlier.values[i]))
            continue;
        decision.reason =
            QStringLiteral("与%1的编号相同，但%2不同（“%3”，%1是“%4”），不能合并库存")
                .arg(earlierRow, policy_.labels.value(qsizetype(i)), shown(values[i]), shown(earlier.values[i]));
        return decision;
    }
    decision.action = Action::Merge;
    decision.stored = earlier.stored;
    return decision;
}

void ExistingProducts::remember(const MadeRow& row, const data::StoredRow& stored, bool skipped, bool inGroup)
{
    if (earlier_.contains(row.code))
        return;
    Earlier earlier{stored,
                    policy_.repeats == RepeatChoice::Merge ? data::CpxmRow(row.values->begin(), row.values->end())
                                                           : data::CpxmRow(),
                    skipped};
    earlier_.insert(row.code, std::move(earlier));
    if (inGroup)
        groupCodes_.append(row.code);
}

void ExistingProducts::groupLost()
{
    for (const QString& code : std::as_const(groupCodes_))
        earlier_.remove(code);
    groupCodes_.clear();
}

void ExistingProducts::valuesToUpdate(const MadeRow& row, std::vector<data::BoundValue>& values) const
{
    values.clear();
    for (const int place : policy_.updateValues) {
        // A blank cell leaves the stored value: a price list with a blank price changes nothing of that product.
        if (row.blankValues & (quint64(1) << place))
            values.emplace_back();
        else
            values.push_back((*row.values)[std::size_t(place)]);
    }
}

bool ExistingProducts::update(const MadeRow& row, const data::StoredRow& stored)
{
    if (policy_.updateColumns.isEmpty())
        return true; // the sheet has nothing but the code and the name, which match already
    if (!update_)
        update_ = std::make_unique<data::ProductUpdate>(store_, policy_.updateColumns);
    valuesToUpdate(row, updateValues_);
    return update_->update(updateValues_, stored) > 0;
}

bool ExistingProducts::updatesAtOnce()
{
    if (policy_.updateColumns.isEmpty())
        return false;
    if (!update_)
        update_ = std::make_unique<data::ProductUpdate>(store_, policy_.updateColumns);
    return update_->updatesAtOnce();
}

bool ExistingProducts::updateMany(const std::vector<const MadeRow*>& rows, const std::vector<data::StoredRow>& stored)
{
    manyValues_.resize(rows.size());
    std::vector<const std::vector<data::BoundValue>*> values(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        valuesToUpdate(*rows[i], manyValues_[i]);
        values[i] = &manyValues_[i];
    }
    return update_->updateMany(values, stored) == int(rows.size());
}

ExistingProducts::Merged ExistingProducts::merge(const MadeRow& row, const data::StoredRow& stored)
{
    if (!merge_)
        merge_ = std::make_unique<data::StockMerge>(store_);
    switch (merge_->add((*row.values)[std::size_t(policy_.stockValue)].number, stored)) {
    case data::StockMerge::Result::Merged:
        return Merged::Yes;
    case data::StockMerge::Result::Gone:
        return Merged::Gone;
    case data::StockMerge::Result::OutOfRange:
        break;
    }
    return Merged::OutOfRange;
}

} // namespace importer
