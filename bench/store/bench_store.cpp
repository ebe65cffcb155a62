// bench_store [ROWS]: the store write path alone, rows built from the column table as the import builds them.
//   - SQLite: the import's insert (a hundred rows a statement, one transaction), one row a statement, and the C
//     insert floor: SQLite's own API with one prepared single-row statement and texts already in UTF-8;
//   - the server through ODBC, when PI_TEST_ODBC names one (scripts/test-server): the import's batches (on
//     PostgreSQL five hundred rows as one array per column), the batches of a hundred rows as tuples that other
//     servers take, the same with a savepoint around each (as for a driver that undoes the whole transaction on
//     a refusal), one row per statement, and `psql \copy` of the same rows from a CSV file (the server's own bulk
//     load), when psql is on PATH.
// Prints seconds and rows per second for each.

#include "db/Connection.h"
#include "db/ConnectionBackend.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "engine/rows/ProductRow.h"
#include "engine/rows/ProductValues.h"
#include "SqliteInsertFloor.h"
#include "store/CpxmColumns.h"
#include "store/DemoStore.h"
#include "store/ProductInsert.h"
#include "store/StoreConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <vector>

namespace {

QTextStream out(stdout);

// The values of every row, made by the import's own productValues from product rows as a sheet gives them.
std::vector<data::BoundValue> allRows(int rows)
{
    importer::RunValues runValues;
    runValues.codeLetter = QStringLiteral("B");
    runValues.bigKindCode = QStringLiteral("XY2");
    runValues.categoryKindId = QStringLiteral("0102");
    std::vector<data::BoundValue> values;
    values.reserve(size_t(rows) * data::kCpxmColumnCount);
    for (int row = 0; row < rows; ++row) {
        importer::ProductRow product;
        product.Code = QString::number(100000 + row);
        product.Name = QStringLiteral("阿司匹林肠溶片") + QString::number(row % 97);
        product.Mnemonic = QStringLiteral("ASPLCRP");
        product.Unit = QStringLiteral("盒");
        const QString number = QString::number(8.5 + row % 13);
        product.CostPrice = product.SalePrice = product.MinDiscount = product.Stock = product.ItemDiscount = number;
        const data::CpxmRow one = importer::productValues(product, runValues);
        values.insert(values.end(), one.begin(), one.end());
    }
    return values;
}

void report(const QString& label, int rows, double seconds)
{
    out << label << ": " << rows << " rows in " << QString::number(seconds, 'f', 3)
        << " s = " << QString::number(rows / seconds, 'f', 0) << " rows/s\n";
    out.flush();
}

// The import's way: the prepared insert in batches of what it takes, savepoints where the store needs them.
enum class Form { Best, Tuples };

double importInsert(data::Connection& connection, const std::vector<data::BoundValue>& values, int rows, int batchRows,
                    Form form = Form::Best, bool alwaysSavepoints = false)
{
    std::vector<const data::BoundValue*> pointers;
    for (int row = 0; row < rows; ++row)
        pointers.push_back(values.data() + size_t(row) * data::kCpxmColumnCount);
    QElapsedTimer timer;
    timer.start();
    data::InsertTexts texts = data::productInsertTexts();
    if (form == Form::Tuples)
        texts.into.clear(); // no arrays on offer
    const std::unique_ptr<data::PreparedInsert> insert = connection.prepareInsert(texts);
    const int perBatch = qMin(batchRows, insert->maxRows());
    // Savepoints where the store needs them (SQLite and psqlODBC as it comes do not), or around every statement.
    const bool savepoints = alwaysSavepoints || connection.abortsTransactionOnError();
    connection.beginTransaction();
    for (int row = 0; row < rows; row += perBatch) {
        const int count = qMin(perBatch, rows - row);
        if (savepoints)
            connection.savepoint();
        insert->insert(pointers.data() + row, count);
        if (savepoints)
            connection.releaseSavepoint();
    }
    connection.commit();
    return double(timer.nsecsElapsed()) / 1e9;
}

QString csvField(const data::BoundValue& value)
{
    switch (value.type) {
    case data::BoundValue::Type::Text:
        return u'"' + QString(value.text).replace(u'"', QStringLiteral("\"\"")) + u'"';
    case data::BoundValue::Type::Double:
        return data::numberText(value.number);
    default:
        return QString::number(value.integer);
    }
}

// psql's \copy of the same rows from a CSV file into the reset server; negative when psql is not there.
double psqlCopy(const QString& folder, const std::vector<data::BoundValue>& values, int rows)
{
    const QString psql = QStandardPaths::findExecutable(QStringLiteral("psql"));
    if (psql.isEmpty())
        return -1;
    const QString csvPath = folder + QStringLiteral("/rows.csv");
    {
        QFile csv(csvPath);
        if (!csv.open(QIODevice::WriteOnly))
            return -1;
        QString text;
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < data::kCpxmColumnCount; ++column) {
                if (column > 0)
                    text += u',';
                text += csvField(values[size_t(row) * data::kCpxmColumnCount + size_t(column)]);
            }
            text += u'\n';
        }
        csv.write(text.toUtf8());
    }
    QStringList names;
    for (const data::CpxmColumn& column : data::cpxmColumns())
        names.append(column.name);
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    // The test server: this computer by its name, the catalog Member, the user sa (scripts/test-server).
    process.start(psql, {QStringLiteral("-h"), data::computerName(), QStringLiteral("-U"), QStringLiteral("sa"),
                         QStringLiteral("-d"), QStringLiteral("Member"), QStringLiteral("-q"), QStringLiteral("-c"),
                         QStringLiteral("\\copy Cpxm(%1) from '%2' with (format csv)").arg(names.join(u','), csvPath)});
    process.waitForFinished(-1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (process.exitCode() != 0) {
        QTextStream(stderr) << "bench_store: psql failed: " << process.readAllStandardError() << '\n';
        return -1;
    }
    return seconds;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int rows = arguments.size() > 1 ? arguments.at(1).toInt() : 65535;
    QTemporaryDir dir;
    const std::vector<data::BoundValue> values = allRows(rows);
    try {
        for (const int batchRows : {100, 1}) {
            const QString path = dir.filePath(QStringLiteral("import-%1.sqlite").arg(batchRows));
            data::createDemoStore(path);
            data::Connection connection;
            connection.connect(data::Connection::sqliteConnectionString(path));
            report(batchRows == 1 ? QStringLiteral("sqlite, one row per statement")
                                  : QStringLiteral("sqlite, the import's insert (100 rows a statement)"),
                   rows, importInsert(connection, values, rows, batchRows));
        }
        {
            const QString path = dir.filePath(QStringLiteral("floor.sqlite"));
            data::createDemoStore(path);
            report(QStringLiteral("sqlite, C insert floor"), rows, bench::sqliteInsertFloor(path, values, rows));
        }
        const QString server = qEnvironmentVariable("PI_TEST_ODBC");
        if (server.isEmpty()) {
            out << "odbc: skipped, PI_TEST_ODBC is unset (eval \"$(scripts/test-server start)\")\n";
            return 0;
        }
        data::Connection connection;
        connection.connect(server);
        data::resetToDemoContents(connection);
        report(QStringLiteral("odbc, the import's insert (arrays on PostgreSQL)"), rows,
               importInsert(connection, values, rows, 1000));
        data::resetToDemoContents(connection);
        report(QStringLiteral("odbc, tuples (100 rows a statement)"), rows,
               importInsert(connection, values, rows, 100, Form::Tuples));
        data::resetToDemoContents(connection);
        report(QStringLiteral("odbc, tuples with a savepoint per statement"), rows,
               importInsert(connection, values, rows, 100, Form::Tuples, true));
        data::resetToDemoContents(connection);
        const int single = qMin(rows, 5000);
        report(QStringLiteral("odbc, one row per statement"), single, importInsert(connection, values, single, 1));
        data::resetToDemoContents(connection);
        const double copy = psqlCopy(dir.path(), values, rows);
        if (copy >= 0)
            report(QStringLiteral("psql \\copy of the same rows"), rows, copy);
        else
            out << "psql \\copy: skipped (no psql, or it failed)\n";
        data::resetToDemoContents(connection);
    } catch (const data::DatabaseError& error) {
        QTextStream(stderr) << "bench_store: " << error.message() << '\n';
        return 1;
    }
    return 0;
}
