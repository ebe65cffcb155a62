// bench_import: wall time, rows per second and peak memory of `product-import-cli import` on a full sheet, with
// the grouped writes and with a commit per row (PI_IMPORT_COMMIT_EVERY_ROW=1), into a fresh SQLite demo store and,
// given --odbc, into a server reset to the demo contents. Each run is a child process measured from outside.
//   bench_import [--workbook FILE] [--rows N] [--repeat N] [--odbc CONNSTR] [--no-row-commit]
#include "Connection.h"
#include "DatabaseError.h"
#include "DemoStore.h"
#include "Query.h"

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
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

struct Measure
{
    double seconds = 0;
    long peakRssKb = 0;
    int exitStatus = -1;
    QString statusLine;
};

// Runs the program with its output in a file; the child's own peak resident set comes from wait4.
Measure runChild(const QStringList& command, bool commitEveryRow, const QString& outputFile)
{
    std::vector<QByteArray> storage;
    for (const QString& part : command)
        storage.push_back(QFile::encodeName(part));
    std::vector<char*> argv;
    for (QByteArray& part : storage)
        argv.push_back(part.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> environment;
    for (char** e = environ; *e; ++e) {
        if (!QByteArray(*e).startsWith("PI_IMPORT_COMMIT_EVERY_ROW="))
            environment.emplace_back(*e);
    }
    if (commitEveryRow)
        environment.emplace_back("PI_IMPORT_COMMIT_EVERY_ROW=1");
    std::vector<char*> envp;
    for (QByteArray& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray outputName = QFile::encodeName(outputFile);
    posix_spawn_file_actions_addopen(&actions, 1, outputName.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    Measure measure;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return measure;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    measure.peakRssKb = usage.ru_maxrss;
    measure.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QFile output(outputFile);
    if (output.open(QIODevice::ReadOnly))
        measure.statusLine = QString::fromUtf8(output.readAll()).trimmed();
    return measure;
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
    int repeat = 5;
    QString odbc;
    bool rowCommit = true;
};

QString ensureWorkbook(const Options& options, const QString& folder)
{
    if (!options.workbook.isEmpty())
        return options.workbook;
    const QString path = folder + QStringLiteral("/bench-import-%1.xls").arg(options.rows);
    if (QFileInfo::exists(path))
        return path;
    err << "bench_import: writing " << path << " with " << PI_BENCH_WORKBOOK_SCRIPT << '\n';
    err.flush();
    const int status = QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral(PI_BENCH_WORKBOOK_SCRIPT),
                                                                              path, QString::number(options.rows)});
    if (status != 0 || !QFileInfo::exists(path)) {
        err << "bench_import: the workbook could not be generated (python3-xlwt missing? scripts/setup --tools)\n";
        return QString();
    }
    return path;
}

void printRow(const QString& label, const std::vector<Measure>& runs, int rows, int stored)
{
    std::vector<double> seconds;
    for (const Measure& m : runs)
        seconds.push_back(m.seconds);
    std::sort(seconds.begin(), seconds.end());
    const double best = seconds.front();
    const double median = seconds[seconds.size() / 2];
    long peak = 0;
    for (const Measure& m : runs)
        peak = std::max(peak, m.peakRssKb);
    out << qSetFieldWidth(34) << Qt::left << label << qSetFieldWidth(0) << " best " << QString::number(best, 'f', 3)
        << " s, median " << QString::number(median, 'f', 3) << " s (" << runs.size() << " runs), "
        << QString::number(rows / best, 'f', 0) << " rows/s, peak RSS " << QString::number(peak / 1024.0, 'f', 1)
        << " MB, exit " << runs.back().exitStatus << ", stored " << stored << "\n    " << runs.back().statusLine
        << '\n';
    out.flush();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        auto value = [&]() { return i + 1 < arguments.size() ? arguments.at(++i) : QString(); };
        if (a == QLatin1String("--workbook"))
            options.workbook = value();
        else if (a == QLatin1String("--rows"))
            options.rows = value().toInt();
        else if (a == QLatin1String("--repeat"))
            options.repeat = std::max(1, value().toInt());
        else if (a == QLatin1String("--odbc"))
            options.odbc = value();
        else if (a == QLatin1String("--no-row-commit"))
            options.rowCommit = false;
        else {
            err << "usage: bench_import [--workbook FILE] [--rows N] [--repeat N] [--odbc CONNSTR] [--no-row-commit]\n";
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
    const int rows = options.rows;
    out << "workbook " << workbook << " (" << QFileInfo(workbook).size() / 1024 << " KB), " << rows
        << " rows; category 010101\n";

    try {
        // SQLite: a fresh demo store for every run.
        for (const bool commitEveryRow : {false, true}) {
            if (commitEveryRow && !options.rowCommit)
                continue;
            std::vector<Measure> runs;
            int stored = 0;
            const int repeat = commitEveryRow ? 1 : options.repeat;
            for (int r = 0; r < repeat; ++r) {
                const QString folder = scratch.filePath(QStringLiteral("run%1-%2").arg(int(commitEveryRow)).arg(r));
                const QString store = folder + QStringLiteral("/Member.dat");
                data::createDemoStore(store);
                runs.push_back(runChild({cli, QStringLiteral("import"), workbook, QStringLiteral("--category"),
                                         QStringLiteral("010101"), QStringLiteral("--store"), store,
                                         QStringLiteral("--log"), folder + QStringLiteral("/log.txt")},
                                        commitEveryRow, folder + QStringLiteral("/stdout.txt")));
                data::Connection connection;
                connection.connect(data::Connection::sqliteConnectionString(store));
                stored = productCount(connection) - 2;
            }
            printRow(commitEveryRow ? QStringLiteral("sqlite, commit per row") : QStringLiteral("sqlite, grouped"),
                     runs, rows, stored);
        }

        // The server: reset to the demo contents before every run.
        if (!options.odbc.isEmpty()) {
            for (const bool commitEveryRow : {false, true}) {
                if (commitEveryRow && !options.rowCommit)
                    continue;
                std::vector<Measure> runs;
                int stored = 0;
                const int repeat = commitEveryRow ? 1 : std::min(options.repeat, 3);
                for (int r = 0; r < repeat; ++r) {
                    {
                        data::Connection connection;
                        connection.connect(options.odbc);
                        data::resetToDemoContents(connection);
                    }
                    runs.push_back(runChild({cli, QStringLiteral("import"), workbook, QStringLiteral("--category"),
                                             QStringLiteral("010101"), QStringLiteral("--odbc"), options.odbc,
                                             QStringLiteral("--log"), scratch.filePath(QStringLiteral("log.txt"))},
                                            commitEveryRow, scratch.filePath(QStringLiteral("stdout.txt"))));
                    data::Connection connection;
                    connection.connect(options.odbc);
                    stored = productCount(connection) - 2;
                }
                printRow(commitEveryRow ? QStringLiteral("server (ODBC), commit per row")
                                        : QStringLiteral("server (ODBC), grouped"),
                         runs, rows, stored);
            }
        }
    } catch (const data::DatabaseError& error) {
        err << "bench_import: " << error.message() << '\n';
        return 1;
    }
    return 0;
}
