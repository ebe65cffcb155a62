#include "StoreTestSupport.h"

#include "db/Query.h"
#include "store/CpxmColumns.h"
#include "store/ProductInsert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace storetest {

void execute(data::Connection& connection, const QString& sql)
{
    data::Query query(connection);
    query.setSqlText(sql);
    query.execSql();
}

QString scalar(data::Connection& connection, const QString& sql, const QString& column)
{
    data::Query query(connection);
    query.setSqlText(sql);
    query.open();
    return query.fieldText(column);
}

void addBackendColumn()
{
    QTest::addColumn<Backend>("backend");
}

void addBackendRows()
{
    addBackendColumn();
    for (Backend backend : {Backend::Sqlite, Backend::Server})
        QTest::newRow(qPrintable(backendName(backend))) << backend;
}

void addBatchFormRows()
{
    addBackendColumn();
    QTest::addColumn<BatchForm>("form");
    QTest::newRow("sqlite") << Backend::Sqlite << BatchForm::Best;
    QTest::newRow("postgresql, arrays") << Backend::Server << BatchForm::Best;
    QTest::newRow("postgresql, rows") << Backend::Server << BatchForm::Rows;
}

QString CaseFolders::fresh()
{
    const QString folder = dir_.filePath(QStringLiteral("case%1").arg(++count_));
    QDir().mkpath(folder);
    return folder;
}

void CaseFolders::connectDemo(Backend backend, data::Connection& connection)
{
    connectDemoStore(backend, connection, fresh());
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

data::CpxmRow productValues(const Product& product)
{
    data::CpxmRow values(data::cpxmColumns().size());
    for (size_t i = 0; i < data::cpxmColumns().size(); ++i) {
        const data::CpxmColumn& column = data::cpxmColumns()[i];
        data::BoundValue& value = values[i];
        value.type = data::boundValueType(column.type);
        switch (column.source) {
        case data::ColumnSource::LetterAndCode:
            value.text = product.code;
            break;
        case data::ColumnSource::Name:
            value.text = product.name;
            break;
        case data::ColumnSource::Mnemonic:
            value.text = product.mnemonic;
            break;
        case data::ColumnSource::Unit:
            value.text = product.unit;
            break;
        case data::ColumnSource::SalePrice:
            value.number = product.salePrice;
            break;
        case data::ColumnSource::CostPrice:
            value.number = product.costPrice;
            break;
        case data::ColumnSource::Stock:
            value.number = product.stock;
            break;
        case data::ColumnSource::MinDiscount:
            value.number = 0.9;
            break;
        case data::ColumnSource::ItemDiscount:
            value.number = 1;
            break;
        case data::ColumnSource::BigKindCode:
            value.text = QStringLiteral("XY2");
            break;
        case data::ColumnSource::CategoryKindId:
            value.text = QStringLiteral("0102");
            break;
        case data::ColumnSource::Fixed:
            value.text = column.fixedText;
            value.integer = column.fixedInteger;
            break;
        }
    }
    return values;
}

bool storedAsWritten(data::Connection& connection, const Product& product)
{
    data::Query query(connection);
    query.setSqlText(QStringLiteral(
        "select count(*) as n from Cpxm where Cpxm_bm=:bm and Cpxm_mc=:mc and Cpxm_jp=:jp and Cpxm_dw=:dw and "
        "Cpxm_ysdj=:sale and Cpxm_cbdj=:cost and Cpxm_jhdj=:cost and CPxm_sl=:stock"));
    query.bindText(QStringLiteral("bm"), product.code);
    query.bindText(QStringLiteral("mc"), product.name);
    query.bindText(QStringLiteral("jp"), product.mnemonic);
    query.bindText(QStringLiteral("dw"), product.unit);
    query.bindDouble(QStringLiteral("sale"), product.salePrice);
    query.bindDouble(QStringLiteral("cost"), product.costPrice);
    query.bindDouble(QStringLiteral("stock"), product.stock);
    query.open();
    return query.fieldText(QStringLiteral("n")) == QLatin1String("1");
}

std::unique_ptr<data::PreparedInsert> prepareInsert(data::Connection& connection, BatchForm form)
{
    data::InsertTexts texts = data::productInsertTexts();
    if (form == BatchForm::Rows)
        texts.into.clear(); // no arrays on offer
    return connection.prepareInsert(texts);
}

void insertProducts(data::Connection& connection, const std::vector<Product>& products, BatchForm form)
{
    const std::unique_ptr<data::PreparedInsert> insert = prepareInsert(connection, form);
    std::vector<data::CpxmRow> rows;
    for (const Product& product : products)
        rows.push_back(productValues(product));
    std::vector<const data::BoundValue*> pointers;
    for (const data::CpxmRow& row : rows)
        pointers.push_back(row.data());
    for (size_t row = 0; row < products.size(); row += size_t(insert->maxRows())) {
        const int count = int(qMin(products.size() - row, size_t(insert->maxRows())));
        insert->insert(pointers.data() + row, count);
    }
}

} // namespace storetest
