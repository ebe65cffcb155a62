// product-import-cli import: one import run, as the window's OK button does it; --dry-run rolls the whole run back at
// its end. Standard output gets the final status line; standard error the messages of an early end and, on a terminal,
// a progress bar. Exit status: 0 every row handled and none failed, 3 every row handled with failed rows, 1 ended early
// (workbook, sheet, column, store or log problem), 2 usage error.
#include "cli/CliHelpTexts.h"
#include "cli/RunChoiceOptions.h"
#include "cli/SheetOptions.h"
#include "cli/StoreChoice.h"
#include "cli/VerbParser.h"
#include "cli/Verbs.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "engine/program/ProgramPlaces.h"
#include "engine/run/FurtherColumns.h"
#include "engine/run/ImportRun.h"
#include "engine/run/ImportTexts.h"
#include "engine/run/LogPathCheck.h"
#include "engine/run/OfferedCategories.h"
#include "engine/run/RunChecks.h"
#include "engine/sheet/ProductSheet.h"
#include "engine/writes/ErrorLogFile.h"
#include "store/StoreConnection.h"

#include <QElapsedTimer>

#include <optional>

namespace {

const QString kCategory = QStringLiteral("category");
const QString kLog = QStringLiteral("log");
const QString kFailedRows = QStringLiteral("failed-rows");
const QString kDryRun = QStringLiteral("dry-run");
const QString kPhraseMnemonics = QStringLiteral("phrase-mnemonics");

// Only for measuring what the grouped writes gain: every insert commits by itself.
const char kCommitEveryRowVariable[] = "PI_IMPORT_COMMIT_EVERY_ROW";

class CliReporter final : public importer::ImportReporter
{
public:
    CliReporter(cli::Console& console, importer::ExistingChoice existing, importer::RepeatChoice repeats)
        : console_(console), existing_(existing), repeats_(repeats)
    {
    }

    // The summary is made when it is shown, not for every row.
    QString statusText() const
    {
        return counts_ ? importer::texts::rowSummary(rowTotal_, *counts_, existing_, repeats_) : statusText_;
    }

    void notice(importer::ImportNotice, const QString& text, const QString& detail) override
    {
        clearBar();
        console_.err << "product-import-cli import: " << text << '\n';
        if (!detail.isEmpty())
            console_.err << "  " << detail << '\n';
    }
    void runStarted() override { statusText_ = importer::texts::kImporting; }
    void sheetChosen(const QString& sheetName) override
    {
        clearBar();
        cli::sayWhichSheet(console_, QStringLiteral("import"), sheetName);
    }
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
        counts_ = counts;
        if (!sinceDrawn_.isValid() || sinceDrawn_.elapsed() >= kDrawIntervalMs)
            drawBar();
    }
    void runEnded() override { clearBar(); }

private:
    static constexpr qint64 kDrawIntervalMs = 100;

    void drawBar()
    {
        if (!console_.errIsTerminal)
            return;
        constexpr int kWidth = 30;
        const int filled = rowTotal_ > 0 ? int(qint64(rowsDone_) * kWidth / rowTotal_) : 0;
        QTextStream& err = console_.err;
        err << "\r[" << QString(filled, u'#') << QString(kWidth - filled, u' ') << "] " << statusText() << "\x1b[K";
        err.flush();
        barShown_ = true;
        sinceDrawn_.start();
    }
    void clearBar()
    {
        if (!barShown_)
            return;
        console_.err << "\r\x1b[K";
        barShown_ = false;
    }

    cli::Console& console_;
    importer::ExistingChoice existing_;
    importer::RepeatChoice repeats_;
    bool barShown_ = false;
    int rowTotal_ = 0;
    int rowsDone_ = 0;
    QString statusText_;
    std::optional<importer::ImportCounts> counts_; // once a row is done
    QElapsedTimer sinceDrawn_;
};

void addImportOptions(cli::VerbParser& parser)
{
    parser.addOption(QCommandLineOption(
        kCategory, QStringLiteral("kinid of the products' category (product-import-cli kinds lists them)"),
        QStringLiteral("KINID")));
    cli::addSheetOptions(parser);
    cli::addStoreOptions(parser);
    parser.addOption(
        QCommandLineOption(kLog, QStringLiteral("where the error log goes; default log.txt in the program folder"),
                           QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(
        kFailedRows,
        QStringLiteral(
            "also write the failed rows (and the rows with a name but no code) to this new .xlsx: the sheet's "
            "header row, each row as the sheet had it, and the columns 原行号 and 原因; fix them there "
            "and import that file"),
        QStringLiteral("FILE.xlsx")));
    parser.addOption(QCommandLineOption(kPhraseMnemonics, QStringLiteral("a blank 助记码 read by whole words: 人参 RS, "
                                                                         "not RC; a 助记码 in the sheet stays")));
    parser.addOption(QCommandLineOption(
        kDryRun, QStringLiteral("check the sheet against the store: the same status line, exit status and log as the "
                                "real run, and the store left as it was; it cannot foresee a full disk, nor what "
                                "changes in the store before the real run")));
    cli::addRunChoiceOptions(parser);
    parser.setDetails(
        QStringLiteral("Prints the run's final status line.\n"
                       "Exit status: 0 every row was handled (stored, or found in the store and skipped, updated or "
                       "merged)\nand none failed, 3 some rows failed (see the log), 1 the run ended early (the "
                       "workbook, the sheet,\nthe store or the log), 2 usage error.\n") +
        cli::defaultStoreText() + u'\n' + cli::defaultLogText() +
        QStringLiteral("\nExample: product-import-cli import 商品.xls --category 0102 --dry-run"));
}

// The run the arguments ask for, all but the store's part (the category), or the exit status of a usage error.
std::optional<int> readRequest(const cli::VerbParser& parser, importer::ImportRequest& request, QString& logPath)
{
    const QStringList workbooks = parser.positional();
    if (workbooks.isEmpty())
        return parser.usageError(QStringLiteral("name the workbook to import"));
    if (workbooks.size() > 1)
        return parser.usageError(QStringLiteral("one workbook at a time; \"%1\" is one too many").arg(workbooks.at(1)));
    if (!parser.isSet(kCategory))
        return parser.usageError(QStringLiteral("--category KINID is required (see product-import-cli kinds)"));
    if (const QString problem = cli::storeChoiceProblem(parser); !problem.isEmpty())
        return parser.usageError(problem);
    if (parser.isSet(kLog) && parser.value(kLog).isEmpty())
        return parser.usageError(QStringLiteral("--log needs a value"));
    QString problem;
    const std::optional<importer::ColumnChoice> columns = cli::columnChoice(parser, problem);
    if (!columns)
        return parser.usageError(problem);
    if (!cli::takeRunChoices(parser, request, problem))
        return parser.usageError(problem);

    logPath = parser.isSet(kLog) ? parser.value(kLog)
                                 : importer::errorLogPath(importer::ProgramPlaces::ofThisProgram().dataFolder);
    request.workbookPath = workbooks.constFirst();
    request.sheetName = cli::chosenSheetName(parser);
    request.columns = *columns;
    request.phraseMnemonics = parser.isSet(kPhraseMnemonics);
    request.commitEveryRow = qEnvironmentVariableIntValue(kCommitEveryRowVariable) == 1;
    request.dryRun = parser.isSet(kDryRun);
    request.failedRowsPath = parser.value(kFailedRows);
    return std::nullopt;
}

// The log and the failed rows' workbook are written over whatever their paths name: never the store, the
// workbook, or (the failed rows) the log itself. A clash is a usage error.
std::optional<int> checkOutputs(const cli::VerbParser& parser, const importer::ImportRequest& request,
                                const QString& logPath)
{
    const importer::OutputClash clash =
        importer::outputClash(logPath, request.failedRowsPath, cli::chosenStoreFile(parser), request.workbookPath);
    using Output = importer::OutputClash::Output;
    if (clash.output == Output::Log) {
        switch (clash.clash) {
        case importer::LogClash::None:
            break;
        case importer::LogClash::StoreFile:
            return parser.usageError(
                QStringLiteral("the log %1 is the store file: it would be written over").arg(logPath));
        case importer::LogClash::StoreJournal:
            return parser.usageError(
                QStringLiteral("the log %1 is the store's journal or write-ahead log: it would be written over")
                    .arg(logPath));
        case importer::LogClash::Workbook:
            return parser.usageError(
                QStringLiteral("the log %1 is the workbook: it would be written over").arg(logPath));
        }
    }
    if (parser.isSet(kFailedRows) && request.failedRowsPath.isEmpty())
        return parser.usageError(QStringLiteral("--failed-rows needs a value"));
    if (clash.output == Output::FailedRows) {
        return parser.usageError(
            QStringLiteral("--failed-rows %1 is the store, its journal, the workbook or the log: it would be "
                           "written over")
                .arg(request.failedRowsPath));
    }
    return std::nullopt;
}

// Further columns the store does not have are a usage error, before anything is touched.
std::optional<int> checkFurtherColumns(const cli::VerbParser& parser, data::Connection& connection,
                                       const importer::ColumnChoice& columns)
{
    if (columns.further.empty())
        return std::nullopt;
    try {
        importer::checkedFurtherColumns(connection.tableColumns(QStringLiteral("Cpxm")), columns);
    } catch (const importer::ColumnChoiceError& error) {
        return parser.usageError(QStringLiteral("--map: ") + error.message());
    } catch (const data::DatabaseError& error) {
        return parser.failure(QStringLiteral("cannot read the columns of Cpxm\n  ") + error.message());
    }
    return std::nullopt;
}

// The category --category names, or the exit status when the store offers no such category.
std::optional<int> takeCategory(const cli::VerbParser& parser, data::Query& storeQuery,
                                importer::ImportRequest& request)
{
    bool typesFound = false;
    request.category = importer::offeredCategory(storeQuery, parser.value(kCategory), typesFound);
    if (request.category)
        return std::nullopt;
    if (!typesFound) {
        return parser.failure(QStringLiteral("the store lists no product types: ProdKind is missing, unreadable "
                                             "or has no row with leve 0"));
    }
    return parser.usageError(QStringLiteral("\"%1\" is not a category the import offers (a leaf kind under a "
                                            "product type, without CF in its kinid); product-import-cli kinds "
                                            "lists them")
                                 .arg(parser.value(kCategory)));
}

// Runs the import and says how it went: the final status line on standard output, an early end and the rows named
// without a code on standard error.
int runAndReport(const cli::VerbParser& parser, cli::Console& console, importer::ImportSession& session,
                 const importer::ImportRequest& request)
{
    CliReporter reporter(console, request.existing, request.repeats);
    int status = 1;
    QString unsaid;
    try {
        const importer::ImportOutcome outcome = importer::runImport(session, request, reporter);
        status = cli::importExitStatus(outcome);
        unsaid = importer::namedWithoutCodeNote(outcome.namedWithoutCode);
    } catch (const importer::ImportError& error) {
        parser.failure(error.message());
        status = 1;
    }
    if (!reporter.statusText().isEmpty())
        console.out << reporter.statusText() << '\n';
    if (!unsaid.isEmpty())
        console.err << "product-import-cli import: " << unsaid << '\n';
    return status;
}

} // namespace

int cli::runImport(const QStringList& arguments, Console& console)
{
    VerbParser parser(console, QStringLiteral("import"));
    addImportOptions(parser);
    if (const std::optional<int> status = parser.parse(arguments))
        return *status;
    importer::ImportRequest request;
    QString logPath;
    if (const std::optional<int> status = readRequest(parser, request, logPath))
        return *status;
    if (const std::optional<int> status = checkOutputs(parser, request, logPath))
        return *status;

    data::Connection connection;
    try {
        connectChosenStore(parser, connection);
    } catch (const data::DatabaseError& error) {
        return parser.failure(QStringLiteral("cannot connect to the store database\n  ") + error.message());
    }
    if (const std::optional<int> status = checkFurtherColumns(parser, connection, request.columns))
        return *status;
    data::Query storeQuery(connection);
    if (const std::optional<int> status = takeCategory(parser, storeQuery, request))
        return *status;

    importer::ImportSession session{connection, storeQuery, logPath, QStringList()};
    return runAndReport(parser, console, session, request);
}
