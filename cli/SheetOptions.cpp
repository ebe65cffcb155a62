#include "cli/SheetOptions.h"

#include "cli/verbs/TsvText.h"
#include "engine/sheet/HeaderNames.h"

#include <QMap>

namespace cli {

namespace {

const QString kSheet = QStringLiteral("sheet");
const QString kMap = QStringLiteral("map");
const QString kHeaderRow = QStringLiteral("header-row");

} // namespace

void addSheetOptions(VerbParser& parser)
{
    parser.addOption(QCommandLineOption(
        kSheet,
        QStringLiteral("the worksheet, exactly as the workbook names it; default Sheet1 when it has a header row, "
                       "else the first sheet that has one (hidden sheets only when named)"),
        QStringLiteral("NAME")));
    parser.addOption(QCommandLineOption(
        kMap,
        QStringLiteral("the sheet column that feeds a field (repeatable): FIELD a template header such as 商品编号, "
                       "or a further column of the store's Cpxm such as Cpxm_gg; HEADER the column's header text (in "
                       "quotes, “C”, where it looks like a column letter) or its letter (C), or (无) for none; "
                       "商品编号=# numbers a list without codes"),
        QStringLiteral("FIELD=HEADER")));
    parser.addOption(QCommandLineOption(
        kHeaderRow,
        QStringLiteral("the sheet's row that holds the headers (1 for the first, 0 for none: every row a product, "
                       "the columns named 第1列, 第2列 ...); default the first of the first 30 rows that names a code "
                       "and a name column"),
        QStringLiteral("N")));
}

std::optional<importer::ColumnChoice> columnChoice(const VerbParser& parser, QString& problem)
{
    importer::ColumnChoice choice;
    if (parser.isSet(kHeaderRow)) {
        bool ok = false;
        const int row = parser.value(kHeaderRow).toInt(&ok);
        if (!ok || row < 0) {
            problem = QStringLiteral("--header-row 要的是行号（1 是第一行，0 是没有表头），不是“%1”")
                          .arg(parser.value(kHeaderRow));
            return std::nullopt;
        }
        choice.headerRow = row == 0 ? importer::kNoHeaderRow : row - 1;
    }
    // A store column named twice (the store compares its names without case) would take one of the two
    // silently: the clerk says which.
    QMap<QString, QString> storeColumns; // folded name to the --map that named it
    for (const QString& assignment : parser.values(kMap)) {
        const QString field = assignment.section(u'=', 0, 0).trimmed();
        if (field.isEmpty() || importer::fieldNamed(field))
            continue;
        const QString folded = field.toCaseFolded();
        if (const auto earlier = storeColumns.constFind(folded); earlier != storeColumns.constEnd()) {
            problem = QStringLiteral("--map: 数据库列“%1”选了两次（%2 和 %3），只能对应一列")
                          .arg(field, *earlier, assignment);
            return std::nullopt;
        }
        storeColumns.insert(folded, assignment);
    }
    try {
        for (const QString& assignment : parser.values(kMap))
            importer::addColumnChoice(choice, assignment);
    } catch (const importer::ColumnChoiceError& error) {
        problem = QStringLiteral("--map: ") + error.message();
        return std::nullopt;
    }
    return choice;
}

QString chosenSheetName(const VerbParser& parser)
{
    return parser.isSet(kSheet) ? parser.value(kSheet) : QString();
}

void sayWhichSheet(Console& console, const QString& verb, const QString& sheetName)
{
    // A sheet name may hold a line break or a tab: written out as \n, \t, so that the note stays one line.
    if (sheetName != QLatin1String("Sheet1"))
        console.err << "product-import-cli " << verb << QStringLiteral(": 读取工作表“") << tsvField(sheetName)
                    << QStringLiteral("”（商品在这张表上；--sheet 可以指定别的表）\n");
}

} // namespace cli
