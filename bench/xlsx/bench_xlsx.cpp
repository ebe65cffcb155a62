// Reading .xlsx workbooks to text: a 65,535-row and a 1,048,575-row product sheet (nine product columns and a date
// column, Chinese names) laid out as Excel saves them, and the 65,535 rows as openpyxl's write-only mode writes
// them; each opened and every cell read, beside python3-openpyxl in read-only mode on the same file. Each read runs
// in a child process of this program, so that its peak memory is its own.
// The whole import of the same files: bench_import --workbook FILE --rows N --no-row-commit.
//
// usage: bench_xlsx [--folder DIR] [--runs N] [--no-openpyxl-full]
//   --folder keeps the generated workbooks there and reuses them (writing the large one takes minutes).
//   bench_xlsx --read FILE reads one workbook and prints the seconds (what the child processes run).
#include "engine/program/HeapSettings.h"
#include "worksheet/Workbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kScripts = QStringLiteral(PI_BENCH_SCRIPTS);
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
    bool openpyxlFull = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == u"--folder" && i + 1 < arguments.size())
            folder = arguments[++i];
        else if (arguments[i] == u"--runs" && i + 1 < arguments.size())
            runs = std::max(1, arguments[++i].toInt());
        else if (arguments[i] == u"--no-openpyxl-full")
            openpyxlFull = false;
        else {
            QTextStream(stderr) << "usage: bench_xlsx [--folder DIR] [--runs N] [--no-openpyxl-full]\n";
            return 2;
        }
    }
    QTemporaryDir temporary;
    if (folder.isEmpty())
        folder = temporary.path();
    QDir().mkpath(folder);

    for (const Workbook& workbook : {Workbook{65535, false}, Workbook{65535, true}, Workbook{1048575, false}}) {
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
    return 0;
}
