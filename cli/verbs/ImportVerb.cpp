// import WORKBOOK --category KINID [--sheet NAME] [--map FIELD=HEADER]... [--header-row N]
// [--store FILE | --odbc CONNSTR] [--log FILE] [--phrase-mnemonics] [--dry-run] [--existing add|skip|update]
// [--repeats fail|merge]: one import run, as the window's OK button does it; --dry-run rolls the whole run back at
// its end. Standard output gets the final status line; standard error the messages of an early end and, on a
// terminal, a progress bar. Exit status: 0 every row handled and none failed, 3 every row handled with failed rows,
// 1 ended early (workbook, sheet, column, store or log problem), 2 usage error.
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
#include "engine/sheet/ProductSheet.h"
#include "engine/writes/ErrorLogFile.h"
#include "store/ProductKinds.h"
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

} // namespace

int cli::runImport(const QStringList& arguments, Console& console)
{
    VerbParser parser(console, QStringLiteral("import"),
                      QStringLiteral("import WORKBOOK --category KINID [--sheet NAME] [--map FIELD=HEADER]... "
                                     "[--header-row N] [--store FILE | --odbc CONNSTR] [--log FILE] "
                                     "[--phrase-mnemonics] [--dry-run] [--existing add|skip|update] "
                                     "[--repeats fail|merge] [--failed-rows FILE.xlsx]"));
    parser.addOption(QCommandLineOption(
        kCategory, QStringLiteral("kinid of the products' category (product-import-cli kinds lists them)"),
        QStringLiteral("KINID")));
    addSheetOptions(parser);
    addStoreOptions(parser);
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
    addRunChoiceOptions(parser);
    parser.setDetails(
        QStringLiteral("Prints the run's final status line.\n"
                       "Exit status: 0 every row was handled (stored, or found in the store and skipped, updated or "
                       "merged)\nand none failed, 3 some rows failed (see the log), 1 the run ended early (the "
                       "workbook, the sheet,\nthe store or the log), 2 usage error.\n") +
        defaultStoreText() + u'\n' + defaultLogText() +
        QStringLiteral("\nExample: product-import-cli import 商品.xls --category 0102 --dry-run"));
    if (const std::optional<int> status = parser.parse(arguments))
        return *status;

    const QStringList workbooks = parser.positional();
    if (workbooks.isEmpty())
        return parser.usageError(QStringLiteral("name the workbook to import"));
    if (workbooks.size() > 1)
        return parser.usageError(QStringLiteral("one workbook at a time; \"%1\" is one too many").arg(workbooks.at(1)));
    if (!parser.isSet(kCategory))
        return parser.usageError(QStringLiteral("--category KINID is required (see product-import-cli kinds)"));
    if (const QString problem = storeChoiceProblem(parser); !problem.isEmpty())
        return parser.usageError(problem);
    if (parser.isSet(kLog) && parser.value(kLog).isEmpty())
        return parser.usageError(QStringLiteral("--log needs a value"));
    QString choiceProblem;
    const std::optional<importer::ColumnChoice> columns = columnChoice(parser, choiceProblem);
    if (!columns)
        return parser.usageError(choiceProblem);
    importer::ImportRequest request;
    if (!takeRunChoices(parser, request, choiceProblem))
        return parser.usageError(choiceProblem);
    const QString logPath = parser.isSet(kLog)
                                ? parser.value(kLog)
                                : importer::errorLogPath(importer::ProgramPlaces::ofThisProgram().dataFolder);
    switch (importer::logPathClash(logPath, chosenStoreFile(parser), workbooks.constFirst())) {
    case importer::LogClash::None:
        break;
    case importer::LogClash::StoreFile:
        return parser.usageError(QStringLiteral("the log %1 is the store file: it would be written over").arg(logPath));
    case importer::LogClash::StoreJournal:
        return parser.usageError(
            QStringLiteral("the log %1 is the store's journal or write-ahead log: it would be written over")
                .arg(logPath));
    case importer::LogClash::Workbook:
        return parser.usageError(QStringLiteral("the log %1 is the workbook: it would be written over").arg(logPath));
    }

    // The failed rows' workbook is written over whatever its path names, like the log: never the store, the
    // workbook or the log itself.
    const QString failedRowsPath = parser.value(kFailedRows);
    if (parser.isSet(kFailedRows)) {
        if (failedRowsPath.isEmpty())
            return parser.usageError(QStringLiteral("--failed-rows needs a value"));
        if (importer::logPathClash(failedRowsPath, chosenStoreFile(parser), workbooks.constFirst()) !=
                importer::LogClash::None ||
            importer::logPathClash(failedRowsPath, QString(), logPath) != importer::LogClash::None) {
            return parser.usageError(
                QStringLiteral("--failed-rows %1 is the store, its journal, the workbook or the log: it would be "
                               "written over")
                    .arg(failedRowsPath));
        }
    }

    data::Connection connection;
    try {
        connectChosenStore(parser, connection);
    } catch (const data::DatabaseError& error) {
        return parser.failure(QStringLiteral("cannot connect to the store database\n  ") + error.message());
    }

    // Further columns the store does not have are a usage error, before anything is touched.
    if (!columns->further.empty()) {
        QStringList names;
        for (const auto& [name, ref] : columns->further)
            names << name;
        try {
            importer::chosenFurtherColumns(importer::offeredFurtherColumns(connection), names);
        } catch (const importer::ColumnChoiceError& error) {
            return parser.usageError(QStringLiteral("--map: ") + error.message());
        } catch (const data::DatabaseError& error) {
            return parser.failure(QStringLiteral("cannot read the columns of Cpxm\n  ") + error.message());
        }
    }

    data::Query storeQuery(connection);
    bool typesFound = false;
    const std::optional<data::ProductKind> category = findCategory(storeQuery, parser.value(kCategory), typesFound);
    if (!category) {
        if (!typesFound) {
            return parser.failure(QStringLiteral("the store lists no product types: ProdKind is missing, unreadable "
                                                 "or has no row with leve 0"));
        }
        return parser.usageError(QStringLiteral("\"%1\" is not a category the import offers (a leaf kind under a "
                                                "product type, without CF in its kinid); product-import-cli kinds "
                                                "lists them")
                                     .arg(parser.value(kCategory)));
    }

    importer::ImportSession session{connection, storeQuery, logPath, QStringList()};
    request.workbookPath = workbooks.constFirst();
    request.sheetName = chosenSheetName(parser);
    request.columns = *columns;
    request.category = category;
    request.phraseMnemonics = parser.isSet(kPhraseMnemonics);
    request.commitEveryRow = qEnvironmentVariableIntValue(kCommitEveryRowVariable) == 1;
    request.dryRun = parser.isSet(kDryRun);
    request.failedRowsPath = failedRowsPath;

    CliReporter reporter(console, request.existing, request.repeats);
    int status = 1;
    QString unsaid;
    try {
        const importer::ImportOutcome outcome = importer::runImport(session, request, reporter);
        status = importExitStatus(outcome);
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
