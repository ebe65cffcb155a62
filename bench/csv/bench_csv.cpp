// bench_csv: a CSV of product rows read (`sheets`) and imported (`import` into a fresh SQLite demo store) by
// product-import-cli, each run a child process measured from outside (wall time, peak memory), medians of runs:
//   - 1,000,000 rows as CSV beside the same rows as .xlsx (which also has a date column);
//   - 65,535 rows as CSV beside the same rows as .xls (the most an .xls sheet holds);
//   - the 1,000,000-row CSV by pandas' read_csv + to_sql into SQLite, and by sqlite3's .import.
// The files are generated into the folder on the first run (python3-xlwt, python3-pandas, sqlite3: scripts/setup
// --tools).
//   bench_csv [--folder DIR] [--rows N] [--repeat N]
#include "ChildRun.h"

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
#include <vector>

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

using Measure = bench::ChildRun;

Measure runChild(const QStringList& command, const QString& outputFile)
{
    return bench::runChild(command, outputFile);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Figure
{
    double seconds = 0;
    long peakKb = 0;
    int exitStatus = 0;
};

Figure summary(const std::vector<Measure>& runs)
{
    std::vector<double> seconds;
    Figure figure;
    for (const Measure& m : runs) {
        seconds.push_back(m.seconds);
        figure.peakKb = std::max(figure.peakKb, m.peakRssKb);
        figure.exitStatus = std::max(figure.exitStatus, m.exitStatus);
    }
    figure.seconds = median(seconds);
    return figure;
}

void print(const QString& label, const Figure& figure, int rows)
{
    out << QStringLiteral("%1: %2 s, %3 rows/s, peak RSS %4 MB, exit %5\n")
               .arg(label, -52)
               .arg(figure.seconds, 0, 'f', 2)
               .arg(rows / figure.seconds, 0, 'f', 0)
               .arg(figure.peakKb / 1024.0, 0, 'f', 1)
               .arg(figure.exitStatus);
    out.flush();
}

bool ensure(const QString& path, const QString& program, const QStringList& arguments)
{
    if (QFileInfo::exists(path))
        return true;
    err << "bench_csv: writing " << path << '\n';
    err.flush();
    return QProcess::execute(program, arguments) == 0 && QFileInfo::exists(path);
}

// Medians of `repeat` runs of the command, each after prepare() (not measured).
template <typename Prepare>
Figure measure(int repeat, const QStringList& command, const QString& output, Prepare prepare)
{
    std::vector<Measure> runs;
    for (int r = 0; r < repeat; ++r) {
        prepare();
        runs.push_back(runChild(command, output));
    }
    return summary(runs);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString folder = QStringLiteral("bench-data");
    int rows = 1000000;
    int repeat = 3;
    const QStringList arguments = app.arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const QString value = i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if (a == QLatin1String("--folder"))
            folder = value, ++i;
        else if (a == QLatin1String("--rows"))
            rows = value.toInt(), ++i;
        else if (a == QLatin1String("--repeat"))
            repeat = std::max(1, value.toInt()), ++i;
        else {
            err << "usage: bench_csv [--folder DIR] [--rows N] [--repeat N]\n";
            return 2;
        }
    }
    QDir().mkpath(folder);
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/product-import-cli");
    const QString scripts = QStringLiteral(PI_BENCH_SCRIPTS);
    const QString root = QStringLiteral(PI_BENCH_ROOT);
    const QString python = QStringLiteral("/usr/bin/python3");
    const int smallRows = 65535;
    const QString csv = folder + QStringLiteral("/bench-csv-%1.csv").arg(rows);
    const QString xlsx = folder + QStringLiteral("/bench-csv-%1.xlsx").arg(rows);
    const QString smallCsv = folder + QStringLiteral("/bench-csv-%1.csv").arg(smallRows);
    const QString smallXls = folder + QStringLiteral("/bench-csv-%1.xls").arg(smallRows);
    if (!ensure(csv, python, {scripts + "/make_csv.py", csv, QString::number(rows)}) ||
        !ensure(xlsx, python, {root + "/xlsx/make_xlsx_workbook.py", xlsx, QString::number(rows)}) ||
        !ensure(smallCsv, python, {scripts + "/make_csv.py", smallCsv, QString::number(smallRows)}) ||
        !ensure(smallXls, python, {root + "/import/make_workbook.py", smallXls, QString::number(smallRows)})) {
        err << "bench_csv: the files could not be generated (scripts/setup --tools)\n";
        return 1;
    }
    QTemporaryDir scratch;
    const QString store = scratch.filePath(QStringLiteral("Member.dat"));
    const QString log = scratch.filePath(QStringLiteral("log.txt"));
    const QString output = scratch.filePath(QStringLiteral("out.txt"));
    const auto freshStore = [&] {
        QFile::remove(store);
        QProcess::execute(cli, {QStringLiteral("init-store"), QStringLiteral("--store"), store});
    };
    const auto nothing = [] {};
    const auto importOf = [&](const QString& file) {
        return QStringList{cli, "import", file, "--category", "010101", "--store", store, "--log", log};
    };

    out << "bench_csv: " << rows << " and " << smallRows << " product rows, medians of " << repeat << " runs\n";
    print(QStringLiteral("read (sheets), CSV %1 rows").arg(rows),
          measure(repeat, {cli, "sheets", csv}, output, nothing), rows);
    print(QStringLiteral("read (sheets), .xlsx %1 rows").arg(rows),
          measure(repeat, {cli, "sheets", xlsx}, output, nothing), rows);
    const Figure csvImport = measure(repeat, importOf(csv), output, freshStore);
    const Figure xlsxImport = measure(repeat, importOf(xlsx), output, freshStore);
    print(QStringLiteral("import, CSV %1 rows").arg(rows), csvImport, rows);
    print(QStringLiteral("import, .xlsx %1 rows").arg(rows), xlsxImport, rows);
    out << QStringLiteral("    CSV / .xlsx import time: %1\n").arg(csvImport.seconds / xlsxImport.seconds, 0, 'f', 2);
    const Figure smallCsvImport = measure(repeat, importOf(smallCsv), output, freshStore);
    const Figure smallXlsImport = measure(repeat, importOf(smallXls), output, freshStore);
    print(QStringLiteral("import, CSV %1 rows").arg(smallRows), smallCsvImport, smallRows);
    print(QStringLiteral("import, .xls %1 rows").arg(smallRows), smallXlsImport, smallRows);
    out << QStringLiteral("    CSV / .xls import time: %1\n")
               .arg(smallCsvImport.seconds / smallXlsImport.seconds, 0, 'f', 2);

    const QString yardstick = scratch.filePath(QStringLiteral("yardstick.sqlite"));
    const auto freshYardstick = [&] { QFile::remove(yardstick); };
    if (QProcess::execute(python, {"-c", "import pandas"}) == 0) {
        const Figure pandas =
            measure(repeat, {python, scripts + "/pandas_import.py", csv, yardstick}, output, freshYardstick);
        print(QStringLiteral("pandas read_csv + to_sql, CSV %1 rows").arg(rows), pandas, rows);
        out << QStringLiteral("    pandas / import time: %1\n").arg(pandas.seconds / csvImport.seconds, 0, 'f', 2);
    } else {
        out << "pandas: skipped, python3-pandas missing (scripts/setup --tools)\n";
    }
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (!sqlite3.isEmpty()) {
        const Figure dotImport = measure(
            repeat, {sqlite3, yardstick, QStringLiteral(".import --csv %1 products").arg(csv)}, output, freshYardstick);
        print(QStringLiteral("sqlite3 .import, CSV %1 rows").arg(rows), dotImport, rows);
        out << QStringLiteral("    sqlite3 .import / import time: %1\n")
                   .arg(dotImport.seconds / csvImport.seconds, 0, 'f', 2);
    } else {
        out << "sqlite3: skipped, not on PATH (scripts/setup --tools)\n";
    }
    return 0;
}
