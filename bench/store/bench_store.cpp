// bench_store [ROWS]: prepared 20-column product inserts through Query, row by row exactly as the import sends
// them (text set, read back and extended, twenty values bound by name), on a fresh SQLite demo store and, when
// PI_TEST_ODBC names a server (scripts/test-server), through ODBC. Prints rows per second.

#include "Connection.h"
#include "DatabaseError.h"
#include "DemoStore.h"
#include "Query.h"
#include "StoreStatements.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>

namespace {

void insertRow(data::Query& query, int row)
{
    query.close();
    query.clearSql();
    query.setSqlText(data::statements::kInsertClause);
    query.setSqlText(query.sqlText() + data::statements::kValuesClause);
    query.bindText(QStringLiteral("Cpxm_bm"), QStringLiteral("B") + QString::number(row));
    query.bindText(QStringLiteral("Cpxm_mc"), QStringLiteral("阿司匹林肠溶片"));
    query.bindText(QStringLiteral("Cpxm_jp"), QStringLiteral("ASPLCRP"));
    query.bindText(QStringLiteral("Cpxm_dw"), QStringLiteral("盒"));
    query.bindDouble(QStringLiteral("Cpxm_ysdj"), 12.5);
    query.bindDouble(QStringLiteral("Cpxm_cbdj"), 8);
    query.bindDouble(QStringLiteral("CPxm_sl"), 20);
    query.bindDouble(QStringLiteral("Cpxm_zdzk"), 0.9);
    query.bindText(QStringLiteral("Cpxm_Bkind"), QStringLiteral("XY2"));
    query.bindText(QStringLiteral("Cpxm_ckbm"), QStringLiteral("CK000"));
    query.bindText(QStringLiteral("Cpxm_fdbh"), QStringLiteral("FD000"));
    query.bindText(QStringLiteral("Cpxm_kybm"), QStringLiteral("1"));
    query.bindText(QStringLiteral("Cpxm_kymc"), QStringLiteral("可供"));
    query.bindText(QStringLiteral("Cpxm_Skind"), QStringLiteral("0102"));
    query.bindText(QStringLiteral("Cpxm_tcms"), QStringLiteral("不提成"));
    query.bindInteger16(QStringLiteral("Cpxm_tcbl"), 0);
    query.bindText(QStringLiteral("Cpxm_tcfs"), QStringLiteral("无"));
    query.bindDouble(QStringLiteral("Cpxm_jhdj"), 8);
    query.bindText(QStringLiteral("Cpxm_fw"), QStringLiteral("0"));
    query.bindDouble(QStringLiteral("Cpzk"), 1);
    query.execSql();
}

enum class Grouping { OneTransaction, SavepointPerRow, Autocommit };

void measure(QTextStream& out, const QString& label, data::Connection& connection, int rows, Grouping grouping)
{
    data::Query query(connection);
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    if (grouping != Grouping::Autocommit)
        connection.beginTransaction();
    for (int row = 0; row < rows; ++row) {
        if (grouping == Grouping::SavepointPerRow)
            connection.savepoint();
        insertRow(query, row);
        if (grouping == Grouping::SavepointPerRow)
            connection.releaseSavepoint();
    }
    if (grouping != Grouping::Autocommit)
        connection.commit();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    // This program's own processor time: on a busy machine the wall clock also counts the disk, the server and
    // the other programs.
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    out << label << ": " << rows << " rows in " << QString::number(seconds, 'f', 3)
        << " s = " << QString::number(rows / seconds, 'f', 0) << " rows/s (processor time "
        << QString::number(cpuSeconds, 'f', 3) << " s)\n";
    out.flush();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int rows = arguments.size() > 1 ? arguments.at(1).toInt() : 65535;
    QTextStream out(stdout);
    QTemporaryDir dir;
    try {
        const auto freshSqlite = [&](data::Connection& connection, const QString& name) {
            const QString path = dir.filePath(name);
            data::createDemoStore(path);
            connection.connect(data::Connection::sqliteConnectionString(path));
        };
        {
            data::Connection connection;
            freshSqlite(connection, QStringLiteral("one-transaction.sqlite"));
            measure(out, QStringLiteral("sqlite, one transaction"), connection, rows, Grouping::OneTransaction);
        }
        {
            data::Connection connection;
            freshSqlite(connection, QStringLiteral("savepoints.sqlite"));
            measure(out, QStringLiteral("sqlite, one transaction, savepoint per row"), connection, rows,
                    Grouping::SavepointPerRow);
        }
        {
            data::Connection connection;
            freshSqlite(connection, QStringLiteral("autocommit.sqlite"));
            measure(out, QStringLiteral("sqlite, each row by itself"), connection, qMin(rows, 2000),
                    Grouping::Autocommit);
        }
        const QString server = qEnvironmentVariable("PI_TEST_ODBC");
        if (server.isEmpty()) {
            out << "odbc: skipped, PI_TEST_ODBC is unset (eval \"$(scripts/test-server start)\")\n";
            return 0;
        }
        data::Connection connection;
        connection.connect(server);
        data::resetToDemoContents(connection);
        measure(out, QStringLiteral("odbc, one transaction, savepoint per row"), connection, rows,
                Grouping::SavepointPerRow);
        data::resetToDemoContents(connection);
        measure(out, QStringLiteral("odbc, one transaction"), connection, rows, Grouping::OneTransaction);
        data::resetToDemoContents(connection);
        measure(out, QStringLiteral("odbc, each row by itself"), connection, qMin(rows, 5000), Grouping::Autocommit);
    } catch (const data::DatabaseError& error) {
        QTextStream(stderr) << "bench_store: " << error.message() << '\n';
        return 1;
    }
    return 0;
}
