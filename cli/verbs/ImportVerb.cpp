// import WORKBOOK --category KINID [--sheet NAME] [--store FILE | --odbc CONNSTR] [--log FILE] [--dry-run]: one
// import run, as the window's OK button does it; --dry-run rolls the whole run back at its end. Standard output gets the final status line; standard error the messages of an
// early end and, on a terminal, a progress bar.
// Exit status: 0 every row handled and none failed, 3 every row handled with failed rows, 1 ended early (workbook,
// sheet, column, store or log problem), 2 usage error.
#include "../Verbs.h"

#include "Connection.h"
#include "DatabaseError.h"
#include "ErrorLogFile.h"
#include "ImportRun.h"
#include "ProductKinds.h"
#include "Query.h"
#include "StoreConnection.h"

#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <optional>

#ifdef Q_OS_WIN
#include <io.h>
#define PI_ISATTY _isatty
#define PI_FILENO _fileno
#else
#include <unistd.h>
#define PI_ISATTY isatty
#define PI_FILENO fileno
#endif

namespace {

const char kUsage[] =
    "usage: product-import-cli import WORKBOOK --category KINID [--sheet NAME] [--store FILE | --odbc CONNSTR] "
    "[--log FILE] [--dry-run]\n"
    "  --dry-run  check the sheet against the store: the same status line, exit status and log as a real run,\n"
    "             the store left unchanged\n";

// Only for measuring what the grouped writes gain: every insert commits by itself.
const char kCommitEveryRowVariable[] = "PI_IMPORT_COMMIT_EVERY_ROW";

int usageError(const QString& message)
{
    QTextStream(stderr) << "product-import-cli import: " << message << '\n' << kUsage;
    return 2;
}

int failure(const QString& message)
{
    QTextStream(stderr) << "product-import-cli import: " << message << '\n';
    return 1;
}

struct Options
{
    QString workbook;
    QString category;
    QString sheet = QStringLiteral("Sheet1");
    QString storeFile;
    QString odbc;
    QString logFile;
    bool workbookGiven = false;
    bool categoryGiven = false;
    bool dryRun = false;
};

// Returns the exit status of a usage error, or nothing when the arguments are good.
std::optional<int> parseArguments(const QStringList& arguments, Options& options)
{
    const QStringList valued = {QStringLiteral("--category"), QStringLiteral("--sheet"), QStringLiteral("--store"),
                                QStringLiteral("--odbc"), QStringLiteral("--log")};
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            QTextStream(stdout) << kUsage;
            return 0;
        }
        if (optionsEnded || !argument.startsWith(u'-') || argument == QLatin1String("-")) {
            if (options.workbookGiven)
                return usageError(QStringLiteral("one workbook at a time; \"%1\" is one too many").arg(argument));
            options.workbook = argument;
            options.workbookGiven = true;
            continue;
        }
        if (argument == QLatin1String("--dry-run")) {
            options.dryRun = true;
            continue;
        }
        QString value;
        bool hasValue = false;
        const qsizetype equals = argument.indexOf(u'=');
        if (argument.startsWith(QLatin1String("--")) && equals > 0) {
            value = argument.mid(equals + 1);
            argument.truncate(equals);
            hasValue = true;
        }
        if (!valued.contains(argument))
            return usageError(QStringLiteral("unknown option \"%1\"").arg(arguments.at(i)));
        if (!hasValue) {
            if (i + 1 >= arguments.size())
                return usageError(QStringLiteral("%1 needs a value").arg(argument));
            value = arguments.at(++i);
        }
        // An empty store or log would silently stand for the default one, which is not what the caller named.
        if (value.isEmpty() && (argument == QLatin1String("--store") || argument == QLatin1String("--odbc") ||
                                argument == QLatin1String("--log")))
            return usageError(QStringLiteral("%1 needs a value").arg(argument));
        if (argument == QLatin1String("--category")) {
            options.category = value;
            options.categoryGiven = true;
        } else if (argument == QLatin1String("--sheet")) {
            options.sheet = value;
        } else if (argument == QLatin1String("--store")) {
            options.storeFile = value;
        } else if (argument == QLatin1String("--odbc")) {
            options.odbc = value;
        } else {
            options.logFile = value;
        }
    }
    if (!options.workbookGiven)
        return usageError(QStringLiteral("name the workbook to import"));
    if (!options.categoryGiven)
        return usageError(QStringLiteral("--category KINID is required (see product-import-cli kinds)"));
    if (!options.storeFile.isEmpty() && !options.odbc.isEmpty())
        return usageError(QStringLiteral("give either --store or --odbc, not both"));
    return std::nullopt;
}

// Finds the category as the window would offer it: under some product type, a leaf, no "CF" in its kinid.
bool findCategory(data::Query& query, const QString& kindId, data::CategoryList& categories, int& index,
                  bool& typesFound)
{
    data::ProductTypeList types;
    data::loadProductTypes(query, types);
    typesFound = !types.kindIds.isEmpty();
    for (const QString& typeKindId : std::as_const(types.kindIds)) {
        data::CategoryList list;
        data::loadCategories(query, typeKindId, list);
        const qsizetype found = list.kindIds.indexOf(kindId);
        if (found >= 0 && found < list.names.size()) {
            categories = list;
            index = int(found);
            return true;
        }
    }
    return false;
}

// The status line and the bar, on standard error when it is a terminal.
class CliReporter final : public importer::ImportReporter
{
public:
    CliReporter() : drawBar_(PI_ISATTY(PI_FILENO(stderr)) != 0) {}

    const QString& statusText() const { return statusText_; }

    void showNotice(importer::ImportNotice, const QString& text, const QString& detail) override
    {
        clearBar();
        QTextStream err(stderr);
        err << "product-import-cli import: " << text << '\n';
        if (!detail.isEmpty())
            err << "  " << detail << '\n';
    }
    void setBusy(bool) override {}
    void setStatusText(const QString& text) override { statusText_ = text; }
    void setStatusVisible(bool) override {}
    void setProgressVisible(bool visible) override
    {
        barVisible_ = visible;
        if (!visible)
            clearBar();
    }
    void setProgressRange(int minimum, int maximum) override
    {
        minimum_ = minimum;
        maximum_ = maximum;
    }
    void setProgressPosition(int position) override { position_ = position; }
    void repaintNow() override
    {
        if (!drawBar_ || !barVisible_)
            return;
        constexpr int kWidth = 30;
        const int span = maximum_ - minimum_;
        const int filled = span > 0 ? int(qint64(position_ - minimum_) * kWidth / span) : 0;
        QTextStream err(stderr);
        err << "\r[" << QString(filled, u'#') << QString(kWidth - filled, u' ') << "] " << statusText_ << "\x1b[K";
        err.flush();
        barShown_ = true;
    }

private:
    void clearBar()
    {
        if (!barShown_)
            return;
        QTextStream(stderr) << "\r\x1b[K";
        barShown_ = false;
    }

    const bool drawBar_;
    bool barVisible_ = false;
    bool barShown_ = false;
    int minimum_ = 0;
    int maximum_ = 0;
    int position_ = 0;
    QString statusText_;
};

} // namespace

int cli::runImport(const QStringList& arguments)
{
    Options options;
    if (const std::optional<int> status = parseArguments(arguments, options))
        return *status;

    data::Connection connection;
    try {
        if (!options.storeFile.isEmpty()) {
            if (!QFileInfo::exists(options.storeFile))
                throw data::DatabaseError(QStringLiteral("the file %1 does not exist").arg(options.storeFile));
            connection.connect(data::Connection::sqliteConnectionString(options.storeFile));
        } else if (!options.odbc.isEmpty()) {
            connection.connect(options.odbc);
        } else {
            data::connectStore(connection, data::programFolder(), data::computerName());
        }
    } catch (const data::DatabaseError& error) {
        return failure(QStringLiteral("cannot connect to the store database\n  ") + error.message());
    }

    data::Query storeQuery(connection);
    data::CategoryList categories;
    int categoryIndex = -1;
    bool typesFound = false;
    if (!findCategory(storeQuery, options.category, categories, categoryIndex, typesFound)) {
        if (!typesFound) {
            return failure(QStringLiteral("the store lists no product types: ProdKind is missing, unreadable or "
                                          "has no row with leve 0"));
        }
        return usageError(QStringLiteral("\"%1\" is not a category the import offers (a leaf kind under a product "
                                         "type, without CF in its kinid); product-import-cli kinds lists them")
                              .arg(options.category));
    }

    importer::ImportSession session{
        connection, storeQuery,
        categories, options.logFile.isEmpty() ? importer::errorLogPath(data::programFolder()) : options.logFile,
        QString(),  QStringList()};
    importer::ImportRequest request;
    request.workbookPath = options.workbook;
    request.sheetName = options.sheet;
    request.categoryText = categories.names.at(categoryIndex);
    request.categoryIndex = categoryIndex;
    request.commitEveryRow = qEnvironmentVariableIntValue(kCommitEveryRowVariable) == 1;
    request.dryRun = options.dryRun;

    CliReporter reporter;
    QTextStream out(stdout);
    int status = 1;
    try {
        const importer::ImportOutcome outcome = importer::runImport(session, request, reporter);
        switch (outcome.end) {
        case importer::ImportOutcome::End::Refused:
            status = 2;
            break;
        case importer::ImportOutcome::End::EndedEarly:
            status = 1;
            break;
        case importer::ImportOutcome::End::Completed:
            status = outcome.failedCount > 0 ? 3 : 0;
            break;
        }
    } catch (const importer::ImportError& error) {
        QTextStream(stderr) << "product-import-cli import: " << error.message() << '\n';
        status = 1;
    }
    if (!reporter.statusText().isEmpty())
        out << reporter.statusText() << '\n';
    return status;
}
