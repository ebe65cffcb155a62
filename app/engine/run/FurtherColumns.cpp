#include "engine/run/FurtherColumns.h"

#include "db/Connection.h"
#include "engine/sheet/SheetLayout.h"
#include "store/CpxmColumns.h"

namespace importer {

namespace {

bool isImportColumn(const QString& name)
{
    for (const data::CpxmColumn& column : data::cpxmColumns()) {
        if (column.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString offeredNames(const std::vector<data::StoreColumn>& offered)
{
    QStringList names;
    for (const data::StoreColumn& column : offered)
        names << column.name;
    return names.isEmpty() ? QStringLiteral("（没有）") : names.join(QStringLiteral("、"));
}

} // namespace

std::vector<data::StoreColumn> offeredFurtherColumns(data::Connection& store)
{
    return offeredFurtherColumns(store.tableColumns(QStringLiteral("Cpxm")));
}

std::vector<data::StoreColumn> offeredFurtherColumns(const std::vector<data::StoreColumn>& stated)
{
    std::vector<data::StoreColumn> offered;
    for (const data::StoreColumn& column : stated) {
        if (!isImportColumn(column.name))
            offered.push_back(column);
    }
    return offered;
}

std::array<int, data::kCpxmColumnCount> statedWidths(const std::vector<data::StoreColumn>& stated)
{
    std::array<int, data::kCpxmColumnCount> widths{};
    const auto& columns = data::cpxmColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        for (const data::StoreColumn& column : stated) {
            if (column.kind == data::StoreColumn::Kind::Text && column.length > 0 &&
                column.name.compare(columns[i].name, Qt::CaseInsensitive) == 0)
                widths[i] = column.length;
        }
    }
    return widths;
}

std::vector<data::StoreColumn> chosenFurtherColumns(const std::vector<data::StoreColumn>& offered,
                                                    const QStringList& names)
{
    if (names.size() > data::kMaxFurtherColumns) {
        throw ColumnChoiceError(
            QStringLiteral("一次最多可以另选%1个数据库列，选了%2个").arg(data::kMaxFurtherColumns).arg(names.size()));
    }
    std::vector<data::StoreColumn> chosen;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        // The store compares its column names without case: two spellings are one column.
        for (qsizetype j = 0; j < i; ++j) {
            if (names.at(j).compare(name, Qt::CaseInsensitive) == 0)
                throw ColumnChoiceError(
                    QStringLiteral("数据库列“%1”选了两次（%2 和 %1），只能对应一列").arg(name, names.at(j)));
        }
        if (isImportColumn(name)) {
            throw ColumnChoiceError(QStringLiteral("数据库列“%1”由导入本身填写，不能另选；可以另选的列是：%2")
                                        .arg(name, offeredNames(offered)));
        }
        const auto found = std::find_if(offered.begin(), offered.end(), [&name](const data::StoreColumn& column) {
            return column.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (found == offered.end()) {
            throw ColumnChoiceError(QStringLiteral("“%1”既不是商品的字段，也不是数据库表 Cpxm 的列；可以另选的列是：%2")
                                        .arg(name, offeredNames(offered)));
        }
        chosen.push_back(*found);
    }
    return chosen;
}

} // namespace importer
