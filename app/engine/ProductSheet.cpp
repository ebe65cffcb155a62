#include "ProductSheet.h"

#include <QStringList>

namespace importer {

const std::array<QString, kProductColumnCount>& productColumnHeaders()
{
    static const std::array<QString, kProductColumnCount> headers{
        QStringLiteral("商品编号"), QStringLiteral("商品名称"), QStringLiteral("计量单位"),
        QStringLiteral("成本价"),   QStringLiteral("销售价"),   QStringLiteral("最低折扣"),
        QStringLiteral("当前库存"), QStringLiteral("单品折扣"), QStringLiteral("助记码"),
    };
    return headers;
}

namespace {

QString missingColumnsMessage(const QString& sheetName, const QStringList& missing)
{
    QStringList quoted;
    for (const QString& header : missing)
        quoted << QStringLiteral("“%1”").arg(header);
    QStringList all;
    for (const QString& header : productColumnHeaders())
        all << header;
    return QStringLiteral("工作表“%1”的第一行缺少列名%2。第一行必须有这九个列名（顺序不限）：%3。")
        .arg(sheetName, quoted.join(QStringLiteral("、")), all.join(QStringLiteral("、")));
}

} // namespace

MissingColumnsError::MissingColumnsError(const QString& sheetName, const QStringList& missing)
    : std::runtime_error(missingColumnsMessage(sheetName, missing).toStdString()), sheetName_(sheetName),
      missing_(missing), message_(missingColumnsMessage(sheetName, missing))
{
}

ProductSheet::ProductSheet(data::Worksheet sheet) : sheet_(std::move(sheet))
{
    const auto& headers = productColumnHeaders();
    columns_.fill(-1);
    const int columnCount = sheet_.rowCount() > 0 ? sheet_.columnCount() : 0;
    for (int column = 0; column < columnCount; ++column) {
        const QString header = sheet_.cellText(0, column);
        for (int i = 0; i < kProductColumnCount; ++i) {
            if (columns_[i] < 0 && header == headers[i])
                columns_[i] = column;
        }
    }
    // Every header must be there, even one whose cells may all stay blank: the import asks for all nine by name.
    QStringList missing;
    for (int i = 0; i < kProductColumnCount; ++i) {
        if (columns_[i] < 0)
            missing << headers[i];
    }
    if (!missing.isEmpty())
        throw MissingColumnsError(sheet_.name(), missing);
}

int ProductSheet::rowCount() const
{
    return sheet_.rowCount() > 1 ? sheet_.rowCount() - 1 : 0;
}

QString ProductSheet::cellText(int dataRow, ProductColumn column) const
{
    return sheet_.cellText(dataRow + 1, columns_[static_cast<int>(column)]);
}

bool ProductSheet::isUncomputedFormula(int dataRow, ProductColumn column) const
{
    return sheet_.isUncomputedFormula(dataRow + 1, columns_[static_cast<int>(column)]);
}

} // namespace importer
