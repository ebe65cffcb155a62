#pragma once
// What the store tests share: statements run straight on a connection, a fresh folder per case, the backend
// rows of a data table, and products written the way the import writes them, from the Cpxm column table.

#include "db/Connection.h"
#include "db/StatementText.h"
#include "store/CpxmColumns.h"
#include "StoreFixture.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace storetest {

// Runs one statement that returns no rows.
void execute(data::Connection& connection, const QString& sql);
// The named column of the first row of a select, as text.
QString scalar(data::Connection& connection, const QString& sql, const QString& column = QStringLiteral("n"));

// A column "backend"; and one row per backend, named after it.
void addBackendColumn();
void addBackendRows();

// How the import's batches reach the store: in the form the store takes best (one array per column on
// PostgreSQL), or as rows of parameters, the form SQL Server takes, on any store.
enum class BatchForm { Best, Rows };
// Columns "backend" and "form": SQLite; the server in each form.
void addBatchFormRows();

// Writes bytes to a file, making its folder first.
void writeFile(const QString& path, const QByteArray& bytes);

// Folders that live as long as the test object: one fresh folder per case.
class CaseFolders
{
public:
    bool isValid() const { return dir_.isValid(); }
    QString fresh(); // created, without a trailing '/'
    // A demo store in a fresh folder (or the reset test server), connected.
    void connectDemo(Backend backend, data::Connection& connection);

private:
    QTemporaryDir dir_;
    int count_ = 0;
};

// What a product row of a test sets; every other column takes the value the table gives it (a fixed value, or
// a sample kind).
struct Product
{
    QString code; // the whole code, letter included
    QString name;
    QString mnemonic;
    QString unit;
    double salePrice = 0;
    double costPrice = 0;
    double stock = 0;
};

// The twenty values of a product, in the column table's order and with its types.
data::CpxmRow productValues(const Product& product);
// Whether the store holds the product once, every value the product sets as it was written (numbers compared
// as doubles). Throws data::DatabaseError.
bool storedAsWritten(data::Connection& connection, const Product& product);

// The import's insert prepared in the form. Throws data::DatabaseError.
std::unique_ptr<data::PreparedInsert> prepareInsert(data::Connection& connection, BatchForm form);
// Writes the products through the import's prepared insert, as many per statement as the store takes.
// Throws data::DatabaseError.
void insertProducts(data::Connection& connection, const std::vector<Product>& products,
                    BatchForm form = BatchForm::Best);

} // namespace storetest

Q_DECLARE_METATYPE(storetest::BatchForm)
