// Reading .xlsx workbooks to text: a 65,535-row and a 1,048,575-row product sheet (nine product columns and a date
// column, Chinese names) laid out as Excel saves them, and the 65,535 rows as openpyxl's write-only mode writes
// them; each opened and every cell read, beside python3-openpyxl in read-only mode on the same file. Each read runs
// in a child process of this program, so that its peak memory is its own.
// Then the whole import by product-import-cli into a fresh SQLite demo store, each a child process measured from
// outside (wall time, peak resident set from wait4):
//   - the 65,535-row .xlsx beside the .xls of the same rows (bench_import's workbook), in pairs taken in turn: the
//     median of the pairs' ratios is how many times the .xls import's time the .xlsx import takes (goal: 1.4 at
//     most);
//   - the 1,048,575-row .xlsx: its peak resident set (goal: 200 MiB at most), and its time against 16 times the
//     median 65,535-row .xlsx import (1.0 is linear; goal: 1.1 at most).
//
// usage: bench_xlsx [--folder DIR] [--runs N] [--import-pairs N] [--no-openpyxl-full] [--no-reading] [--no-import]
//   --folder keeps the generated workbooks there and reuses them (writing the large one takes minutes).
//   bench_xlsx --read FILE reads one workbook and prints the seconds (what the child processes run).
#include "ChildRun.h"
#include "engine/program/HeapSettings.h"
#include "store/DemoStore.h"
#include "worksheet/Workbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/resource.h>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kScripts = QStringLiteral(PI_BENCH_SCRIPTS);
const QString kImportScript = QStringLiteral(PI_BENCH_IMPORT_SCRIPT);
QTextStream out(stdout);

struct Measure
{
    double seconds = -1; // as the child reports it; -1 when it failed
    double peakMb = 0;   // the child's peak resident set
};

// Runs a child that prints its seconds and its own peak resident set in KB.
Measure runChild(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    Measure measure;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return measure;
    const QStringList figures = QString::fromUtf8(process.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
    if (figures.size() != 2)
        return measure;
    measure.seconds = figures[0].toDouble();
    measure.peakMb = figures[1].toDouble() / 1024.0;
    return measure;
}

// Opens the workbook and reads every cell of its first sheet as text.
int readOne(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    const data::Workbook book = data::Workbook::open(path);
    const data::Worksheet sheet = book.sheet(book.sheetNames().front());
    const double parsed = timer.nsecsElapsed() / 1e9;
    qsizetype characters = 0;
    for (int row = 0; row < sheet.rowCount(); ++row) {
        for (int column = 0; column < sheet.columnCount(); ++column)
            characters += sheet.cellText(row, column).size();
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.6f %ld\n", seconds, usage.ru_maxrss);
    std::fprintf(stderr,
                 "  %s: %d rows x %d columns, %lld characters; %.2f s to open and read the sheet, %.2f s for "
                 "the texts\n",
                 qPrintable(QFileInfo(path).fileName()), sheet.rowCount(), sheet.columnCount(),
                 static_cast<long long>(characters), parsed, seconds - parsed);
    return 0;
}

struct Workbook
{
    int rows;
    bool byOpenpyxl; // written by openpyxl's write-only mode, not laid out as Excel saves it
};

QString ensureWorkbook(const QString& folder, const Workbook& workbook)
{
    const QString path =
        folder + QStringLiteral("/bench-%1%2.xlsx").arg(workbook.rows).arg(workbook.byOpenpyxl ? "-openpyxl" : "");
    if (QFileInfo::exists(path))
        return path;
    out << "writing " << path << "..." << Qt::endl;
    QStringList arguments{kScripts + QStringLiteral("/make_xlsx_workbook.py"), path, QString::number(workbook.rows)};
    if (workbook.byOpenpyxl)
        arguments << QStringLiteral("--openpyxl");
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(kPython, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return {};
    return path;
}

// The .xls of the same rows as the .xlsx benchmark workbook (the same generator, the same seed).
QString ensureXls(const QString& folder, int rows)
{
    const QString path = folder + QStringLiteral("/bench-import-%1.xls").arg(rows);
    if (QFileInfo::exists(path))
        return path;
    out << "writing " << path << "..." << Qt::endl;
    if (QProcess::execute(kPython, {kImportScript, path, QString::number(rows), QStringLiteral("0")}) != 0)
        return {};
    return path;
}

struct Import
{
    double seconds = -1; // -1: the import did not end with exit status 0
    long peakKb = 0;
};

// product-import-cli import of the workbook into a fresh demo store in folder; its output goes to a file there.
Import importOnce(const QString& workbook, const QString& folder)
{
    QDir().mkpath(folder);
    const QString store = folder + QStringLiteral("/Member.dat");
    QFile::remove(store);
    QFile::remove(folder + QStringLiteral("/log.txt"));
    data::createDemoStore(store);
    const QStringList command{QCoreApplication::applicationDirPath() + QStringLiteral("/product-import-cli"),
                              QStringLiteral("import"),
                              workbook,
                              QStringLiteral("--category"),
                              QStringLiteral("010101"),
                              QStringLiteral("--store"),
                              store,
                              QStringLiteral("--log"),
                              folder + QStringLiteral("/log.txt")};
    const bench::ChildRun run = bench::runChild(command, folder + QStringLiteral("/stdout.txt"));
    Import import;
    if (run.exitStatus == 0)
        import.seconds = run.seconds;
    import.peakKb = run.peakRssKb;
    return import;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The import figures of the table in one run: .xlsx beside .xls, and the million-row sheet.
int importFigures(const QString& folder, int pairs)
{
    const QString xls = ensureXls(folder, 65535);
    const QString xlsx = ensureWorkbook(folder, Workbook{65535, false});
    const QString million = ensureWorkbook(folder, Workbook{1048575, false});
    if (xls.isEmpty() || xlsx.isEmpty() || million.isEmpty()) {
        QTextStream(stderr) << "bench_xlsx: could not write the workbooks (python3-xlwt, python3-openpyxl missing? "
                               "scripts/setup --tools)\n";
        return 1;
    }
    QTemporaryDir scratch;
    std::vector<double> xlsSeconds;
    std::vector<double> xlsxSeconds;
    std::vector<double> ratios;
    for (int i = 0; i < pairs; ++i) {
        const Import a = importOnce(xls, scratch.filePath(QStringLiteral("xls")));
        const Import b = importOnce(xlsx, scratch.filePath(QStringLiteral("xlsx")));
        if (a.seconds < 0 || b.seconds < 0) {
            QTextStream(stderr) << "bench_xlsx: an import failed (see " << scratch.path() << ")\n";
            scratch.setAutoRemove(false);
            return 1;
        }
        xlsSeconds.push_back(a.seconds);
        xlsxSeconds.push_back(b.seconds);
        ratios.push_back(b.seconds / a.seconds);
    }
    const double xlsxMedian = median(xlsxSeconds);
    out << QString::asprintf("import into a fresh SQLite demo store (product-import-cli, %d pairs taken in turn):\n",
                             pairs)
        << QString::asprintf("  65,535 rows .xls:  median %.3f s\n", median(xlsSeconds))
        << QString::asprintf("  65,535 rows .xlsx: median %.3f s\n", xlsxMedian)
        << QString::asprintf("  .xlsx / .xls import, median of the pairs: %.2fx (goal: at most 1.4x)\n", median(ratios))
        << Qt::flush;
    const Import large = importOnce(million, scratch.filePath(QStringLiteral("million")));
    if (large.seconds < 0) {
        QTextStream(stderr) << "bench_xlsx: the million-row import failed\n";
        return 1;
    }
    out << QString::asprintf("  1,048,575 rows .xlsx: %.2f s, peak RSS %.1f MiB (goal: at most 200 MiB)\n",
                             large.seconds, large.peakKb / 1024.0)
        << QString::asprintf("  1,048,575 rows against 16 x the 65,535-row .xlsx import: %.2fx (1.0 is linear; "
                             "goal: at most 1.1x)\n",
                             large.seconds / (16 * xlsxMedian))
        << Qt::flush;
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // A reading child sets its heap up as the programs that import do, before anything allocates much.
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0)
        importer::settleHeap();
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 3 && arguments[1] == u"--read")
        return readOne(arguments[2]);

    QString folder;
    int runs = 3;
    int importPairs = 7;
    bool openpyxlFull = true;
    bool reading = true;
    bool importing = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == u"--folder" && i + 1 < arguments.size())
            folder = arguments[++i];
        else if (arguments[i] == u"--runs" && i + 1 < arguments.size())
            runs = std::max(1, arguments[++i].toInt());
        else if (arguments[i] == u"--import-pairs" && i + 1 < arguments.size())
            importPairs = std::max(1, arguments[++i].toInt());
        else if (arguments[i] == u"--no-openpyxl-full")
            openpyxlFull = false;
        else if (arguments[i] == u"--no-reading")
            reading = false;
        else if (arguments[i] == u"--no-import")
            importing = false;
        else {
            QTextStream(stderr) << "usage: bench_xlsx [--folder DIR] [--runs N] [--import-pairs N] "
                                   "[--no-openpyxl-full] [--no-reading] [--no-import]\n";
            return 2;
        }
    }
    QTemporaryDir temporary;
    if (folder.isEmpty())
        folder = temporary.path();
    QDir().mkpath(folder);

    const std::vector<Workbook> read =
        reading ? std::vector<Workbook>{{65535, false}, {65535, true}, {1048575, false}} : std::vector<Workbook>{};
    for (const Workbook& workbook : read) {
        const int rows = workbook.rows;
        const QString path = ensureWorkbook(folder, workbook);
        if (path.isEmpty()) {
            QTextStream(stderr) << "bench_xlsx: could not write the workbook (python3-openpyxl missing?)\n";
            return 1;
        }
        out << QString::asprintf("%d rows + header, %s, %.1f MB:\n", rows,
                                 workbook.byOpenpyxl ? "written by openpyxl (write-only)"
                                                     : "laid out as Excel saves it",
                                 QFileInfo(path).size() / 1e6)
            << Qt::flush;
        Measure ours;
        const int ourRuns = rows > 100000 ? 1 : runs;
        for (int i = 0; i < ourRuns; ++i) {
            const Measure run = runChild(app.applicationFilePath(), {QStringLiteral("--read"), path});
            if (ours.seconds < 0 || (run.seconds >= 0 && run.seconds < ours.seconds))
                ours.seconds = run.seconds;
            ours.peakMb = run.peakMb;
        }
        out << QString::asprintf("  reader, open + every cell as text: %.2f s (best of %d), peak RSS %.1f MB\n",
                                 ours.seconds, ourRuns, ours.peakMb)
            << Qt::flush;
        if (rows > 100000 && !openpyxlFull)
            continue;
        const Measure theirs = runChild(kPython, {kScripts + QStringLiteral("/openpyxl_read_all.py"), path,
                                                  QString::number(rows > 100000 ? 1 : std::min(runs, 3))});
        if (theirs.seconds < 0) {
            out << "  python3-openpyxl: not available, no comparison\n";
            continue;
        }
        out << QString::asprintf("  python3-openpyxl read-only, every value: %.2f s, peak RSS %.1f MB\n",
                                 theirs.seconds, theirs.peakMb);
        out << QString::asprintf("  speed-up over openpyxl: %.1fx (target: 10x)\n", theirs.seconds / ours.seconds)
            << Qt::flush;
    }
    return importing ? importFigures(folder, importPairs) : 0;
}
