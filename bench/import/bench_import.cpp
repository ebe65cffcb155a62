// bench_import: the whole import of a full sheet by `product-import-cli import`, each run a child process measured
// from outside (wall time, peak memory), medians of runs interleaved with a yardstick:
//   - into a fresh SQLite demo store, beside GDAL's ogr2ogr loading the same workbook into a fresh SQLite file
//     (the fastest general tool measured here), and beside the C insert floor of the very rows it stored (SQLite's
//     own API, bench_store's floor, in this process); then the same sheet again with --existing update, every row
//     matching the product just stored;
//   - with --odbc, into a server reset to the demo contents, beside psql's \copy of the same rows (the rows the
//     import stored, taken out as CSV) into the reset server, and the same sheet again with --existing update;
//     the test server by default (PI_TEST_ODBC);
//   - two imports of the same sheet started together into one store: both times, and the letters they took;
//   - with --row-commit, a commit per row as well (slow: minutes, a disk sync a row).
// With --repeated-codes N the generated sheet has every Nth product repeat the code of the one before: rows the
// store refuses, scattered through the batches.
//   bench_import [--workbook FILE] [--rows N] [--repeated-codes N] [--repeat N] [--odbc CONNSTR] [--row-commit]
#include "ChildRun.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "SqliteInsertFloor.h"
#include "store/CpxmColumns.h"
#include "store/DemoStore.h"
#include "store/StoreConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

struct Measure : bench::ChildRun
{
    QString statusLine;
};

// Runs the program with its output in a file, one commit per row where asked.
Measure runChild(const QStringList& command, bool commitEveryRow, const QString& outputFile)
{
    std::vector<QByteArray> environment;
    for (char** e = environ; *e; ++e) {
        if (!QByteArray(*e).startsWith("PI_IMPORT_COMMIT_EVERY_ROW="))
            environment.emplace_back(*e);
    }
    if (commitEveryRow)
        environment.emplace_back("PI_IMPORT_COMMIT_EVERY_ROW=1");
    Measure measure{bench::runChild(command, outputFile, environment), {}};
    QFile output(outputFile);
    if (output.open(QIODevice::ReadOnly))
        measure.statusLine = QString::fromUtf8(output.readAll()).trimmed();
    return measure;
}

qint64 lastRowid(const QString& store)
{
    data::Connection connection;
    connection.connect(data::Connection::sqliteConnectionString(store));
    data::Query query(connection);
    query.setSqlText(QStringLiteral("select coalesce(max(rowid), 0) as n from Cpxm"));
    query.open();
    return query.fieldText(QStringLiteral("n")).toLongLong();
}

int productCount(data::Connection& store)
{
    data::Query query(store);
    query.setSqlText(QStringLiteral("select count(*) as n from Cpxm"));
    query.open();
    return query.fieldText(QStringLiteral("n")).toInt();
}

struct Options
{
    QString workbook;
    int rows = 65535;
    int repeatedCodes = 0; // every this many products repeats a code; 0: none
    int repeat = 7;
    QString odbc;
    bool rowCommit = false;
};

QString ensureWorkbook(const Options& options, const QString& folder)
{
    if (!options.workbook.isEmpty())
        return options.workbook;
    const QString path =
        options.repeatedCodes > 0
            ? folder + QStringLiteral("/bench-import-%1-repeats-%2.xls").arg(options.rows).arg(options.repeatedCodes)
            : folder + QStringLiteral("/bench-import-%1.xls").arg(options.rows);
    if (QFileInfo::exists(path))
        return path;
    err << "bench_import: writing " << path << " with " << PI_BENCH_WORKBOOK_SCRIPT << '\n';
    err.flush();
    const int status = QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                         {QStringLiteral(PI_BENCH_WORKBOOK_SCRIPT), path, QString::number(options.rows),
                                          QString::number(options.repeatedCodes)});
    if (status != 0 || !QFileInfo::exists(path)) {
        err << "bench_import: the workbook could not be generated (python3-xlwt missing? scripts/setup --tools)\n";
        return QString();
    }
    return path;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<double> secondsOf(const std::vector<Measure>& runs)
{
    std::vector<double> seconds;
    for (const Measure& m : runs)
        seconds.push_back(m.seconds);
    return seconds;
}

void printRow(const QString& label, const std::vector<Measure>& runs, int rows, const QString& note = QString())
{
    const std::vector<double> seconds = secondsOf(runs);
    const double mid = median(seconds);
    long peak = 0;
    for (const Measure& m : runs)
        peak = std::max(peak, m.peakRssKb);
    out << qSetFieldWidth(36) << Qt::left << label << qSetFieldWidth(0) << " median " << QString::number(mid, 'f', 3)
        << " s (min " << QString::number(*std::min_element(seconds.begin(), seconds.end()), 'f', 3) << ", max "
        << QString::number(*std::max_element(seconds.begin(), seconds.end()), 'f', 3) << ", " << runs.size()
        << " runs), " << QString::number(rows / mid, 'f', 0) << " rows/s, peak RSS "
        << QString::number(peak / 1024.0, 'f', 1) << " MB, exit " << runs.back().exitStatus << '\n';
    if (!note.isEmpty())
        out << "    " << note << '\n';
    out.flush();
}

// The median of the ratios a/b of runs taken in turn: pairing keeps the ratio fair when the machine's speed drifts.
void printRatio(const QString& label, const std::vector<Measure>& a, const std::vector<Measure>& b)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        ratios.push_back(a[i].seconds / b[i].seconds);
    out << "    " << label << QString::number(median(ratios), 'f', 2) << '\n';
    out.flush();
}

QStringList importCommand(const QString& cli, const QString& workbook, const QString& store, bool server,
                          const QString& log)
{
    return {cli,
            QStringLiteral("import"),
            workbook,
            QStringLiteral("--category"),
            QStringLiteral("010101"),
            server ? QStringLiteral("--odbc") : QStringLiteral("--store"),
            store,
            QStringLiteral("--log"),
            log};
}

QStringList cpxmColumnNames()
{
    QStringList names;
    for (const data::CpxmColumn& column : data::cpxmColumns())
        names.append(column.name);
    return names;
}

// psql on the server of an ODBC connection string to the test server: this computer by its name, user sa.
QStringList psqlCommand(const QString& command)
{
    return {QStandardPaths::findExecutable(QStringLiteral("psql")),
            QStringLiteral("-h"),
            data::computerName(),
            QStringLiteral("-U"),
            QStringLiteral("sa"),
            QStringLiteral("-d"),
            QStringLiteral("Member"),
            QStringLiteral("-q"),
            QStringLiteral("-c"),
            command};
}

void resetServer(const QString& odbc)
{
    data::Connection connection;
    connection.connect(odbc);
    data::resetToDemoContents(connection);
}

void sqliteBesideOgr2ogr(const Options& options, const QString& cli, const QString& workbook, QTemporaryDir& scratch)
{
    const QString ogr2ogr = QStandardPaths::findExecutable(QStringLiteral("ogr2ogr"));
    std::vector<Measure> imports;
    std::vector<Measure> updates;
    std::vector<Measure> gdal;
    std::vector<Measure> floors;
    std::vector<data::BoundValue> storedValues; // the rows the first import stored, for the floor
    int stored = 0;
    for (int r = 0; r < options.repeat; ++r) {
        const QString folder = scratch.filePath(QStringLiteral("sqlite-%1").arg(r));
        const QString store = folder + QStringLiteral("/Member.dat");
        data::createDemoStore(store);
        const qint64 demoRowid = lastRowid(store);
        imports.push_back(runChild(importCommand(cli, workbook, store, false, folder + QStringLiteral("/log.txt")),
                                   false, folder + QStringLiteral("/stdout.txt")));
        {
            data::Connection connection;
            connection.connect(data::Connection::sqliteConnectionString(store));
            stored = productCount(connection) - 2;
        }
        // The same rows through SQLite's own API alone, into a fresh demo store, right after the import.
        int floorRows = stored;
        if (r == 0)
            storedValues = bench::storedRows(store, demoRowid, floorRows);
        const QString floorStore = folder + QStringLiteral("/floor.sqlite");
        data::createDemoStore(floorStore);
        Measure floor;
        floor.seconds = bench::sqliteInsertFloor(floorStore, storedValues, floorRows);
        floor.exitStatus = 0;
        floors.push_back(floor);

        if (!ogr2ogr.isEmpty()) {
            gdal.push_back(runChild({ogr2ogr, QStringLiteral("-f"), QStringLiteral("SQLite"),
                                     folder + QStringLiteral("/ogr2ogr.sqlite"), workbook},
                                    false, folder + QStringLiteral("/ogr2ogr.txt")));
        }
    }
    // The same sheet again into each store, once the imports and ogr2ogr are measured (an update's writes to the
    // disk would fall into the next run measured): every row matches the product the import stored, and updates it.
    for (int r = 0; r < options.repeat; ++r) {
        const QString folder = scratch.filePath(QStringLiteral("sqlite-%1").arg(r));
        updates.push_back(runChild(importCommand(cli, workbook, folder + QStringLiteral("/Member.dat"), false,
                                                 folder + QStringLiteral("/log.txt")) +
                                       QStringList{QStringLiteral("--existing"), QStringLiteral("update")},
                                   false, folder + QStringLiteral("/update.txt")));
    }
    printRow(QStringLiteral("sqlite, product-import-cli import"), imports, options.rows,
             QStringLiteral("stored %1; %2").arg(stored).arg(imports.back().statusLine));
    printRow(QStringLiteral("sqlite, the same sheet again, --existing update"), updates, options.rows,
             updates.back().statusLine);
    printRatio(QStringLiteral("update / import (how many times the import's time the update takes): "), updates,
               imports);
    printRow(QStringLiteral("sqlite, C insert floor of the same rows"), floors, stored,
             QStringLiteral("in this process: SQLite's API alone, one prepared single-row insert, texts in UTF-8"));
    printRatio(QStringLiteral("import / floor (the whole import process against the writes alone): "), imports, floors);
    if (gdal.empty()) {
        out << "ogr2ogr: skipped, not on PATH (Debian package gdal-bin, scripts/setup --tools)\n";
        return;
    }
    printRow(QStringLiteral("sqlite, ogr2ogr of the same workbook"), gdal, options.rows);
    printRatio(QStringLiteral("ogr2ogr / import (how many times faster the import is): "), gdal, imports);
}

void sqliteCommitPerRow(const Options& options, const QString& cli, const QString& workbook, QTemporaryDir& scratch)
{
    const QString folder = scratch.filePath(QStringLiteral("row-commit"));
    const QString store = folder + QStringLiteral("/Member.dat");
    data::createDemoStore(store);
    const std::vector<Measure> runs{runChild(importCommand(cli, workbook, store, false, folder + "/log.txt"), true,
                                             folder + QStringLiteral("/stdout.txt"))};
    printRow(QStringLiteral("sqlite, commit per row"), runs, options.rows, runs.back().statusLine);
}

void serverBesideCopy(const Options& options, const QString& cli, const QString& workbook, QTemporaryDir& scratch)
{
    const QString csv = scratch.filePath(QStringLiteral("rows.csv"));
    const QString columns = cpxmColumnNames().join(u',');
    std::vector<Measure> imports;
    std::vector<Measure> updates;
    std::vector<Measure> copies;
    int stored = 0;
    for (int r = 0; r < options.repeat; ++r) {
        resetServer(options.odbc);
        imports.push_back(runChild(importCommand(cli, workbook, options.odbc, true, scratch.filePath("log.txt")), false,
                                   scratch.filePath(QStringLiteral("stdout.txt"))));
        {
            data::Connection connection;
            connection.connect(options.odbc);
            stored = productCount(connection) - 2;
        }
        // The same sheet again: every row matches the product just stored, and updates it.
        updates.push_back(runChild(importCommand(cli, workbook, options.odbc, true, scratch.filePath("log.txt")) +
                                       QStringList{QStringLiteral("--existing"), QStringLiteral("update")},
                                   false, scratch.filePath(QStringLiteral("update.txt"))));
        if (r == 0) {
            // The very rows the import stored, as the server's own bulk load reads them.
            const QStringList exportRows =
                psqlCommand(QStringLiteral("\\copy (select %1 from Cpxm where Cpxm_bm like 'B%') to '%2' with "
                                           "(format csv)")
                                .arg(columns, csv));
            const int status = QProcess::execute(exportRows.first(), exportRows.mid(1));
            if (status != 0) {
                out << "psql \\copy: skipped, psql could not reach the server\n";
                printRow(QStringLiteral("server (ODBC), import"), imports, options.rows);
                return;
            }
        }
        resetServer(options.odbc);
        copies.push_back(
            runChild(psqlCommand(QStringLiteral("\\copy Cpxm(%1) from '%2' with (format csv)").arg(columns, csv)),
                     false, scratch.filePath(QStringLiteral("copy.txt"))));
    }
    resetServer(options.odbc);
    printRow(QStringLiteral("server (ODBC), import"), imports, options.rows,
             QStringLiteral("stored %1; %2").arg(stored).arg(imports.back().statusLine));
    printRow(QStringLiteral("server (ODBC), the same sheet again, --existing update"), updates, options.rows,
             updates.back().statusLine);
    printRatio(QStringLiteral("update / import on the server: "), updates, imports);
    printRow(QStringLiteral("server, psql \\copy of the same rows"), copies, stored);
    printRatio(QStringLiteral("import / \\copy: "), imports, copies);
}

// Two imports of the sheet started together into one store: each takes its own letter and stores every row.
void twoAtOnce(const Options& options, const QString& cli, const QString& workbook, QTemporaryDir& scratch, bool server)
{
    const QString folder = scratch.filePath(server ? QStringLiteral("two-server") : QStringLiteral("two-sqlite"));
    const QString store = server ? options.odbc : folder + QStringLiteral("/Member.dat");
    QDir().mkpath(folder);
    if (server)
        resetServer(options.odbc);
    else
        data::createDemoStore(store);
    std::vector<Measure> both(2);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> runs;
    for (int i = 0; i < 2; ++i) {
        runs.emplace_back([&, i] {
            both[size_t(i)] =
                runChild(importCommand(cli, workbook, store, server, folder + QStringLiteral("/log%1.txt").arg(i)),
                         false, folder + QStringLiteral("/stdout%1.txt").arg(i));
        });
    }
    for (std::thread& run : runs)
        run.join();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    data::Connection connection;
    connection.connect(server ? options.odbc : data::Connection::sqliteConnectionString(store));
    data::Query query(connection);
    query.setSqlText(QStringLiteral("select substr(Cpxm_bm, 1, 1) as letter, count(*) as n from Cpxm group by "
                                    "substr(Cpxm_bm, 1, 1) order by 1"));
    query.open();
    QStringList letters;
    for (query.first(); !query.eof(); query.next())
        letters.append(query.fieldText(QStringLiteral("letter")) + u'=' + query.fieldText(QStringLiteral("n")));
    out << (server ? "server (ODBC)" : "sqlite") << ", two imports at once: " << QString::number(wall, 'f', 3)
        << " s for both (" << QString::number(both[0].seconds, 'f', 3) << " s and "
        << QString::number(both[1].seconds, 'f', 3) << " s, exit " << both[0].exitStatus << " and "
        << both[1].exitStatus << "); codes by letter: " << letters.join(QStringLiteral(", ")) << '\n';
    out.flush();
    if (server)
        resetServer(options.odbc);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    Options options;
    options.odbc = qEnvironmentVariable("PI_TEST_ODBC");
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        auto value = [&]() { return i + 1 < arguments.size() ? arguments.at(++i) : QString(); };
        if (a == QLatin1String("--workbook"))
            options.workbook = value();
        else if (a == QLatin1String("--rows"))
            options.rows = value().toInt();
        else if (a == QLatin1String("--repeated-codes"))
            options.repeatedCodes = std::max(0, value().toInt());
        else if (a == QLatin1String("--repeat"))
            options.repeat = std::max(1, value().toInt());
        else if (a == QLatin1String("--odbc"))
            options.odbc = value();
        else if (a == QLatin1String("--row-commit"))
            options.rowCommit = true;
        else {
            err << "usage: bench_import [--workbook FILE] [--rows N] [--repeated-codes N] [--repeat N] [--odbc "
                   "CONNSTR] "
                   "[--row-commit]\n";
            return a == QLatin1String("--help") ? 0 : 2;
        }
    }

    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/product-import-cli");
    QTemporaryDir scratch;
    const QString dataFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-data");
    QDir().mkpath(dataFolder);
    const QString workbook = ensureWorkbook(options, QDir::cleanPath(dataFolder));
    if (workbook.isEmpty())
        return 1;
    out << "workbook " << workbook << " (" << QFileInfo(workbook).size() / 1024 << " KB), " << options.rows
        << " rows; category 010101\n";
    try {
        sqliteBesideOgr2ogr(options, cli, workbook, scratch);
        twoAtOnce(options, cli, workbook, scratch, false);
        if (options.rowCommit)
            sqliteCommitPerRow(options, cli, workbook, scratch);
        if (options.odbc.isEmpty()) {
            out << "server: skipped, no --odbc and PI_TEST_ODBC is unset (eval \"$(scripts/test-server start)\")\n";
            return 0;
        }
        serverBesideCopy(options, cli, workbook, scratch);
        twoAtOnce(options, cli, workbook, scratch, true);
    } catch (const data::DatabaseError& error) {
        err << "bench_import: " << error.message() << '\n';
        return 1;
    }
    return 0;
}
