// kinds [--store FILE | --odbc CONNSTR]: the product types and, under each, the categories the window offers
// for it, with their kinid and Remark. Without an option the store is found as the window finds it.
#include "../Verbs.h"

#include "Connection.h"
#include "DatabaseError.h"
#include "ProductKinds.h"
#include "Query.h"
#include "StoreConnection.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

int usageError(const QString& message)
{
    QTextStream(stderr) << "product-import-cli kinds: " << message << '\n'
                        << "usage: product-import-cli kinds [--store FILE | --odbc CONNSTR]\n";
    return 2;
}

} // namespace

int cli::runKinds(const QStringList& arguments)
{
    QString storeFile;
    QString odbc;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--store") || argument == QLatin1String("--odbc")) {
            // An empty value would silently mean the default store: another store than the caller named.
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                return usageError(QStringLiteral("%1 needs a value").arg(argument));
            (argument == QLatin1String("--store") ? storeFile : odbc) = arguments.at(++i);
        } else {
            return usageError(QStringLiteral("unknown argument \"%1\"").arg(argument));
        }
    }
    if (!storeFile.isEmpty() && !odbc.isEmpty())
        return usageError(QStringLiteral("give either --store or --odbc, not both"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    data::Connection connection;
    try {
        if (!storeFile.isEmpty()) {
            if (!QFileInfo::exists(storeFile))
                throw data::DatabaseError(QStringLiteral("the file %1 does not exist").arg(storeFile));
            connection.connect(data::Connection::sqliteConnectionString(storeFile));
        } else if (!odbc.isEmpty()) {
            connection.connect(odbc);
        } else {
            data::connectStore(connection, data::programFolder(), data::computerName());
        }
    } catch (const data::DatabaseError& error) {
        err << "product-import-cli kinds: cannot connect to the store database\n  " << error.message() << '\n';
        return 1;
    }

    data::Query query(connection);
    const data::ProductKindList types = data::loadProductTypes(query);
    if (types.isEmpty())
        err << "product-import-cli kinds: no product types were read: ProdKind is missing, unreadable or has no row "
               "with leve 0\n";
    for (const data::ProductKind& type : types) {
        out << type.kindId << '\t' << type.name << '\n';
        for (const data::ProductKind& category : data::loadCategories(query, type.kindId))
            out << "  " << category.kindId << '\t' << category.name << "\tRemark=" << category.remark << '\n';
    }
    return 0;
}
