// import WORKBOOK --category KINID [--sheet NAME] [--store FILE | --odbc CONNSTR] [--log FILE]: one import run, as
// the window's OK button does it. Standard output gets the final status line; standard error the messages of an
// early end and, on a terminal, a progress bar.
// Exit status: 0 every row handled and none failed, 3 every row handled with failed rows, 1 ended early (workbook,
// sheet, column, store or log problem), 2 usage error.
#include "../Verbs.h"

#include "Connection.h"
#include "DatabaseError.h"
#include "ErrorLogFile.h"
#include "ImportRun.h"
#include "ImportTexts.h"
#include "ProductKinds.h"
#include "Query.h"
#include "StoreConnection.h"

#include <QElapsedTimer>
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
    "[--log FILE]\n";

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
std::optional<data::ProductKind> findCategory(data::Query& query, const QString& kindId, bool& typesFound)
{
    const data::ProductKindList types = data::loadProductTypes(query);
    typesFound = !types.isEmpty();
    for (const data::ProductKind& type : types) {
        for (const data::ProductKind& category : data::loadCategories(query, type.kindId)) {
            if (category.kindId == kindId)
                return category;
        }
    }
    return std::nullopt;
}

// The status line, and the bar on standard error when it is a terminal.
class CliReporter final : public importer::ImportReporter
{
public:
    CliReporter() : drawBar_(PI_ISATTY(PI_FILENO(stderr)) != 0) {}

    const QString& statusText() const { return statusText_; }

    void notice(importer::ImportNotice, const QString& text, const QString& detail) override
    {
        clearBar();
        QTextStream err(stderr);
        err << "product-import-cli import: " << text << '\n';
        if (!detail.isEmpty())
            err << "  " << detail << '\n';
    }
    void runStarted() override { statusText_ = importer::texts::kImporting; }
    void codeLetterChosen(const QString&) override { drawBar(); }
    void rowsCounted(int rowTotal) override
    {
        rowTotal_ = rowTotal;
        statusText_ = importer::texts::rowCountStatus(rowTotal);
        drawBar();
    }
    void rowHandled(int rowsDone, const importer::ImportCounts& counts) override
    {
        rowsDone_ = rowsDone;
        statusText_ = importer::texts::rowSummary(rowTotal_, counts.imported, counts.failed, counts.empty);
        if (!sinceDrawn_.isValid() || sinceDrawn_.elapsed() >= kDrawIntervalMs)
            drawBar();
    }
    void runEnded() override { clearBar(); }

private:
    static constexpr qint64 kDrawIntervalMs = 100;

    void drawBar()
    {
        if (!drawBar_)
            return;
        constexpr int kWidth = 30;
        const int filled = rowTotal_ > 0 ? int(qint64(rowsDone_) * kWidth / rowTotal_) : 0;
        QTextStream err(stderr);
        err << "\r[" << QString(filled, u'#') << QString(kWidth - filled, u' ') << "] " << statusText_ << "\x1b[K";
        err.flush();
        barShown_ = true;
        sinceDrawn_.start();
    }
    void clearBar()
    {
        if (!barShown_)
            return;
        QTextStream(stderr) << "\r\x1b[K";
        barShown_ = false;
    }

    const bool drawBar_;
    bool barShown_ = false;
    int rowTotal_ = 0;
    int rowsDone_ = 0;
    QString statusText_;
    QElapsedTimer sinceDrawn_;
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
    bool typesFound = false;
    const std::optional<data::ProductKind> category = findCategory(storeQuery, options.category, typesFound);
    if (!category) {
        if (!typesFound) {
            return failure(QStringLiteral("the store lists no product types: ProdKind is missing, unreadable or "
                                          "has no row with leve 0"));
        }
        return usageError(QStringLiteral("\"%1\" is not a category the import offers (a leaf kind under a product "
                                         "type, without CF in its kinid); product-import-cli kinds lists them")
                              .arg(options.category));
    }

    importer::ImportSession session{connection, storeQuery,
                                    options.logFile.isEmpty() ? importer::errorLogPath(data::programFolder())
                                                              : options.logFile,
                                    QString(), QStringList()};
    importer::ImportRequest request;
    request.workbookPath = options.workbook;
    request.sheetName = options.sheet;
    request.category = category;
    request.commitEveryRow = qEnvironmentVariableIntValue(kCommitEveryRowVariable) == 1;

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
