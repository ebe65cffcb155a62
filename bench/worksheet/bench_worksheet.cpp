// Opening a 65,535-row product workbook with a date column and reading every cell as text, against python3-xlrd
// doing the same on the same file; and half the rows, to show the cost grows with the file and no faster.
//
// usage: bench_worksheet [RUNS]   (needs /usr/bin/python3 with python3-xlwt and python3-xlrd)
#include "worksheet/Workbook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kScripts = QStringLiteral(PI_BENCH_SCRIPTS);

// Runs a Python script; false if it fails. Its output goes to *output.
bool run(const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(kPython, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return true;
}

// Opens the workbook and reads every cell of its first sheet; returns the characters read.
qsizetype readAll(const QString& path)
{
    const data::Workbook book = data::Workbook::open(path);
    const data::Worksheet sheet = book.sheet(book.sheetNames().front());
    qsizetype characters = 0;
    for (int row = 0; row < sheet.rowCount(); ++row) {
        for (int column = 0; column < sheet.columnCount(); ++column)
            characters += sheet.cellText(row, column).size();
    }
    return characters;
}

double bestSeconds(const QString& path, int runs, qsizetype& characters)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        characters = readAll(path);
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString full = dir.filePath(QStringLiteral("bench-65535.xls"));
    const QString half = dir.filePath(QStringLiteral("bench-32768.xls"));
    out << "writing the benchmark workbooks with python3-xlwt..." << Qt::endl;
    if (!run({kScripts + QStringLiteral("/make_bench_workbook.py"), full, QStringLiteral("65535")}) ||
        !run({kScripts + QStringLiteral("/make_bench_workbook.py"), half, QStringLiteral("32768")})) {
        QTextStream(stderr) << "bench_worksheet: could not write the workbooks (python3-xlwt missing?)\n";
        return 1;
    }

    const long before = peakKilobytes();
    qsizetype characters = 0;
    const double ours = bestSeconds(full, runs, characters);
    const long peak = peakKilobytes();
    qsizetype halfCharacters = 0;
    const double oursHalf = bestSeconds(half, runs, halfCharacters);
    const double fileMb = QFileInfo(full).size() / 1e6;

    out << QString::asprintf("workbook: 65535 rows x 9 columns, %.1f MB, %lld characters of cell text\n", fileMb,
                             static_cast<long long>(characters));
    out << QString::asprintf("reader, open + every cell: %.1f ms (best of %d)\n", ours * 1e3, runs);
    out << QString::asprintf("reader, half the rows:     %.1f ms (%.2f of the full time)\n", oursHalf * 1e3,
                             oursHalf / ours);
    out << QString::asprintf("peak memory grew by %.1f MB while reading (file %.1f MB)\n", (peak - before) / 1e3,
                             fileMb)
        << Qt::flush;

    QString xlrd;
    if (!run({kScripts + QStringLiteral("/xlrd_read_all.py"), full, QString::number(std::min(runs, 3))}, &xlrd)) {
        out << "python3-xlrd: not available, no comparison\n";
        return 0;
    }
    const double theirs = xlrd.toDouble();
    out << QString::asprintf("python3-xlrd, same work:   %.1f ms\n", theirs * 1e3);
    out << QString::asprintf("speed-up over xlrd:        %.1fx (target: 15x)\n", theirs / ours);
    return 0;
}
