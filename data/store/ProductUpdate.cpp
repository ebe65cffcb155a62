#include "ProductUpdate.h"

#include "Connection.h"
#include "ConnectionBackend.h"
#include "CpxmColumns.h"
#include "DatabaseError.h"

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

QString updateText(const QStringList& columns)
{
    QString text = QStringLiteral("update Cpxm set ");
    // A store's column name need not make a parameter name (a blank, a Chinese name): numbered instead.
    for (qsizetype i = 0; i < columns.size(); ++i)
        text += QStringLiteral("%1 = :v%2, ").arg(columns.at(i)).arg(i + 1);
    text.chop(2);
    return text + QStringLiteral(" where ") + kCodeColumn + QStringLiteral(" = :code");
}

} // namespace

QString productUpdateText(const QStringList& columns)
{
    return updateText(checkedColumns(columns, nullptr));
}

QString stockMergeText()
{
    const QString stock = stockColumn();
    return QStringLiteral("update Cpxm set %1 = coalesce(%1, 0) + :stock where %2 = :code").arg(stock, kCodeColumn);
}

ProductUpdate::ProductUpdate(Connection& store, const QStringList& columns)
{
    // Only a name the store states for Cpxm goes into the statement's text.
    bool allOfTwenty = true;
    for (const QString& name : columns)
        allOfTwenty = allOfTwenty && columnOfTwenty(name);
    std::vector<StoreColumn> stated;
    if (!allOfTwenty)
        stated = store.tableColumns(QStringLiteral("Cpxm"));
    columns_ = checkedColumns(columns, allOfTwenty ? nullptr : &stated);
    write_ = store.prepareWrite(parseStatement(updateText(columns_)));
    bound_.resize(size_t(columns_.size()) + 1);
}

ProductUpdate::~ProductUpdate() = default;

int ProductUpdate::update(const std::vector<BoundValue>& values, const QString& storedCode)
{
    if (values.size() != size_t(columns_.size()))
        throw std::invalid_argument(QStringLiteral("The update sets %1 columns; %2 values were given")
                                        .arg(columns_.size())
                                        .arg(values.size())
                                        .toStdString());
    std::copy(values.begin(), values.end(), bound_.begin());
    bound_.back() = textValue(storedCode);
    return write_->run(bound_);
}

StockMerge::StockMerge(Connection& store) : write_(store.prepareWrite(parseStatement(stockMergeText())))
{
    bound_.resize(2);
    bound_[0].type = BoundValue::Type::Double;
}

StockMerge::~StockMerge() = default;

int StockMerge::add(double stock, const QString& storedCode)
{
    bound_[0].number = stock;
    bound_[1] = textValue(storedCode);
    return write_->run(bound_);
}

} // namespace data
