// bench_existing [--products N] [--rows M] [--runs R]: how long a run takes to find the stored products that a
// batch of sheet rows means. A demo store in a temporary folder gets N products (100,000 by default) under the
// letters B to E, codes of a letter and 7 digits, each with its own name; then M sheet rows (1,000), half of them
// stored (names count, and match) and half not, are matched R times (5). Prints the letter probe, the match and
// both together, the best and the median of the runs, and SQLite's plan for the select. With PI_TEST_ODBC set
// (scripts/test-server) the same on the test server, whose Cpxm is replaced.

#include "db/Connection.h"
#include "db/ConnectionBackend.h"
#include "db/DatabaseError.h"
#include "engine/rows/ProductRow.h"
#include "engine/rows/ProductValues.h"
#include "store/CpxmColumns.h"
#include "store/DemoStore.h"
#include "store/ProductInsert.h"
#include "store/StoredProducts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

QTextStream out(stdout);

const QStringList kLetters{"B", "C", "D", "E"};

QString codeOf(int product)
{
    return QStringLiteral("%1").arg(1000000 + product * 7, 7, 10, QLatin1Char('0'));
}

QString nameOf(int product)
{
    return QStringLiteral("阿司匹林肠溶片%1").arg(product);
}

// Products 0 to count-1, spread over the letters, through the import's own insert in one transaction.
void fillStore(data::Connection& store, int count)
{
    const std::unique_ptr<data::PreparedInsert> insert = data::prepareProductInsert(store);
    importer::RunValues runValues;
    runValues.bigKindCode = QStringLiteral("XY2");
    runValues.categoryKindId = QStringLiteral("0102");
    std::vector<data::CpxmRow> rows;
    std::vector<const data::BoundValue*> pointers;
    store.beginTransaction();
    for (int first = 0; first < count; first += insert->maxRows()) {
        rows.clear();
        pointers.clear();
        const int last = std::min(count, first + insert->maxRows());
        for (int product = first; product < last; ++product) {
            runValues.codeLetter = kLetters.at(product % kLetters.size());
            importer::ProductRow row;
            row.Code = codeOf(product);
            row.Name = nameOf(product);
            row.Mnemonic = QStringLiteral("ASPLCRP");
            row.Unit = QStringLiteral("盒");
            row.CostPrice = row.SalePrice = row.MinDiscount = row.Stock = row.ItemDiscount = QStringLiteral("8.5");
            rows.push_back(importer::productValues(row, runValues));
        }
        for (const data::CpxmRow& row : rows)
            pointers.push_back(row.data());
        for (size_t done = 0; done < pointers.size();) {
            const int n = insert->statementRows(int(pointers.size() - done));
            insert->insert(pointers.data() + done, n);
            done += size_t(n);
        }
    }
    store.commit();
}

// Half the rows stored products (every other one of the store, so they spread over the letters and the index),
// half codes the store does not hold.
std::vector<data::ProductKey> sheetRows(int rows, int products)
{
    std::vector<data::ProductKey> keys;
    for (int i = 0; i < rows; ++i) {
        if (i % 2 == 0) {
            const int product = int((qint64(i) * 7919) % products);
            keys.push_back({codeOf(product), nameOf(product)});
        } else {
            keys.push_back({QStringLiteral("9%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("没有的商品")});
        }
    }
    return keys;
}

QString seconds(double s)
{
    return QString::number(s, 'f', 4) + QStringLiteral(" s");
}

void measure(const QString& label, data::Connection& store, int products, int rows, int runs)
{
    QElapsedTimer fill;
    fill.start();
    fillStore(store, products);
    out << label << ": " << products << " products stored in " << seconds(fill.elapsed() / 1000.0) << '\n';
    const std::vector<data::ProductKey> keys = sheetRows(rows, products);
    std::vector<double> probes, matches, totals;
    int found = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        data::StoredProductMatcher matcher(store);
        const double probe = timer.nsecsElapsed() / 1e9;
        const std::vector<QStringList> result = matcher.match(keys, true);
        const double total = timer.nsecsElapsed() / 1e9;
        probes.push_back(probe);
        matches.push_back(total - probe);
        totals.push_back(total);
        found = int(std::count_if(result.begin(), result.end(), [](const QStringList& c) { return !c.isEmpty(); }));
    }
    const auto line = [&](const char* what, std::vector<double> times) {
        std::sort(times.begin(), times.end());
        out << "  " << what << ": best " << seconds(times.front()) << ", median " << seconds(times[times.size() / 2])
            << '\n';
    };
    out << label << ": " << rows << " sheet rows, " << found << " of them stored, names counting, " << runs
        << " runs\n";
    line("letter probe (26 index probes)", probes);
    line("match (one select per 2,000 codes)", matches);
    line("both", totals);
    out.flush();
}

void sqlitePlan(data::Connection& store)
{
    data::ResultSet plan;
    store.backend().select(data::parseStatement(QStringLiteral(
                               "explain query plan select Cpxm_bm, Cpxm_mc from Cpxm where Cpxm_bm in (:a,:b,:c)")),
                           {data::BoundValue{data::BoundValue::Type::Text, "B1", 0, 0},
                            data::BoundValue{data::BoundValue::Type::Text, "C1", 0, 0},
                            data::BoundValue{data::BoundValue::Type::Text, "D1", 0, 0}},
                           0, plan);
    const qsizetype detail = plan.columns.indexOf(QStringLiteral("detail"));
    for (int row = 0; row < plan.rowCount && detail >= 0; ++row)
        out << "  sqlite plan: " << plan.cells[size_t(row) * size_t(plan.columns.size()) + size_t(detail)] << '\n';
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("products"), QStringLiteral("products in the store"), QStringLiteral("N"),
                      QStringLiteral("100000")});
    parser.addOption(
        {QStringLiteral("rows"), QStringLiteral("sheet rows matched"), QStringLiteral("M"), QStringLiteral("1000")});
    parser.addOption(
        {QStringLiteral("runs"), QStringLiteral("times the match is run"), QStringLiteral("R"), QStringLiteral("5")});
    parser.process(app);
    const int products = std::max(1, parser.value(QStringLiteral("products")).toInt());
    const int rows = std::max(1, parser.value(QStringLiteral("rows")).toInt());
    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    try {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("Member.dat"));
        data::createDemoStore(path);
        data::Connection store;
        store.connect(data::Connection::sqliteConnectionString(path));
        measure(QStringLiteral("sqlite"), store, products, rows, runs);
        sqlitePlan(store);

        const QString server = qEnvironmentVariable("PI_TEST_ODBC");
        if (server.isEmpty()) {
            out << "odbc: skipped, PI_TEST_ODBC is unset (eval \"$(scripts/test-server start)\")\n";
            return 0;
        }
        data::Connection odbc;
        odbc.connect(server);
        data::resetToDemoContents(odbc);
        measure(QStringLiteral("odbc (") + odbc.dbmsName() + u')', odbc, products, rows, runs);
        data::resetToDemoContents(odbc);
    } catch (const data::DatabaseError& error) {
        QTextStream(stderr) << "bench_existing: " << error.message() << '\n';
        return 1;
    }
    return 0;
}
