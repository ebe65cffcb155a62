// product-import-cli preview: which sheet column feeds each field, then the rows as the import reads them (the nine
// fields, trimmed and defaulted; a blank 助记码 by whole words with --phrase-mnemonics, as the import's option), or
// with
// --raw every cell of the sheet as the reader gives it.
#include "cli/SheetOptions.h"
#include "cli/VerbParser.h"
#include "cli/Verbs.h"
#include "cli/verbs/TsvText.h"
#include "engine/rows/ProductRow.h"
#include "engine/sheet/ProductSheet.h"
#include "engine/sheet/SheetLayout.h"
#include "mnemonic/MnemonicEncoder.h"
#include "worksheet/Workbook.h"

namespace {

const QString kRaw = QStringLiteral("raw");
const QString kPhraseMnemonics = QStringLiteral("phrase-mnemonics");

void printRaw(const data::Worksheet& sheet, QTextStream& out)
{
    for (int row = 0; row < sheet.rowCount(); ++row) {
        for (int column = 0; column < sheet.columnCount(); ++column) {
            if (column > 0)
                out << '\t';
            out << cli::tsvField(sheet.cellText(row, column));
        }
        out << '\n';
    }
}

// One line a field: the field, then the sheet column's letter and header that feed it and why where it is not the
// template's own header, or "(空)" and what the field takes instead; then the columns passed over, with why.
void printLayout(const importer::ProductSheet& products, QTextStream& out)
{
    using importer::ProductColumn;
    const importer::SheetLayout& layout = products.layout();
    for (ProductColumn field : importer::kProductColumns) {
        out << importer::templateHeader(field) << '\t';
        const int column = layout.column(field);
        if (column == importer::kAutoNumber) {
            out << importer::kAutoNumberText;
        } else if (column >= 0) {
            out << importer::columnLetter(column) << '\t'
                << cli::tsvField(importer::headerCellText(products.worksheet(), layout.headerRow, column));
            if (layout.found(field) != importer::FoundBy::TemplateHeader)
                out << '\t' << cli::tsvField(layout.whyFound(products.worksheet(), field));
        } else if (field == ProductColumn::Mnemonic) {
            out << QStringLiteral("(空)\t由商品名称生成");
        } else if (*importer::blankDefault(field)) {
            out << QStringLiteral("(空)\t") << importer::blankDefault(field);
        } else {
            out << QStringLiteral("(空)");
        }
        out << '\n';
    }
    for (const importer::PassedOver& passed : layout.passedOver) {
        out << importer::templateHeader(passed.field) << QStringLiteral("（未用）\t")
            << importer::columnLetter(passed.column) << '\t'
            << cli::tsvField(importer::headerCellText(products.worksheet(), layout.headerRow, passed.column)) << '\t'
            << passed.reason << '\n';
    }
    for (int i = 0; i < products.furtherCount(); ++i) {
        const int column = layout.further[std::size_t(i)].second;
        out << cli::tsvField(layout.further[std::size_t(i)].first) << '\t' << importer::columnLetter(column) << '\t'
            << cli::tsvField(importer::headerCellText(products.worksheet(), layout.headerRow, column)) << '\n';
    }
    out << (layout.headerRow == importer::kNoHeaderRow ? QStringLiteral("没有表头\n\n")
                                                       : QStringLiteral("表头在第%1行\n\n").arg(layout.headerRow + 1));
}

void printProducts(const importer::ProductSheet& products, QTextStream& out, bool phraseMnemonics)
{
    // The header names the fields in the order they are printed.
    using importer::ProductColumn;
    const auto& headers = importer::productColumnHeaders();
    constexpr ProductColumn kPrinted[] = {
        ProductColumn::Code,        ProductColumn::Name,      ProductColumn::Mnemonic,
        ProductColumn::Unit,        ProductColumn::CostPrice, ProductColumn::SalePrice,
        ProductColumn::MinDiscount, ProductColumn::Stock,     ProductColumn::ItemDiscount};
    for (const ProductColumn column : kPrinted) {
        if (column != ProductColumn::Code)
            out << '\t';
        out << headers[static_cast<std::size_t>(column)];
    }
    out << '\n';
    mnemonic::MnemonicEncoder mnemonics;
    for (int row = 0; row < products.rowCount(); ++row) {
        const importer::ProductRow p = importer::fillProductRow(products, row, mnemonics, phraseMnemonics);
        const QString fields[] = {p.Code,      p.Name,        p.Mnemonic, p.Unit,        p.CostPrice,
                                  p.SalePrice, p.MinDiscount, p.Stock,    p.ItemDiscount};
        for (int i = 0; i < 9; ++i) {
            if (i > 0)
                out << '\t';
            out << cli::tsvField(fields[i]);
        }
        out << '\n';
    }
}

} // namespace

int cli::runPreview(const QStringList& arguments, Console& console)
{
    VerbParser parser(console, QStringLiteral("preview"));
    addSheetOptions(parser);
    parser.addOption(QCommandLineOption(kRaw, QStringLiteral("every cell as the reader gives it")));
    parser.addOption(QCommandLineOption(
        kPhraseMnemonics, QStringLiteral("a blank 助记码 read by whole words, as import --phrase-mnemonics does")));
    parser.setDetails(QStringLiteral(
        "Prints the header line, then one line per row, fields separated by tabs.\n"
        "Exit status: 0 printed, 1 the workbook, the sheet or its columns cannot be read, 2 usage error.\n"
        "Example: product-import-cli preview 商品.xls --sheet Sheet1"));
    if (const std::optional<int> status = parser.parse(arguments))
        return *status;
    const QStringList workbooks = parser.positional();
    if (workbooks.size() != 1)
        return parser.usageError(workbooks.isEmpty() ? QStringLiteral("name the workbook")
                                                     : QStringLiteral("more than one workbook given"));
    QString problem;
    const std::optional<importer::ColumnChoice> choice = columnChoice(parser, problem);
    if (!choice)
        return parser.usageError(problem);

    try {
        const data::Workbook book = data::Workbook::open(workbooks.constFirst());
        // An Excel workbook is what it says; other kinds say how they were read (the encoding of a text above all).
        if (book.format() != data::WorkbookFormat::Biff && book.format() != data::WorkbookFormat::Package)
            console.err << QStringLiteral("product-import-cli preview: 读作") << book.formatNote() << '\n';
        const QString sheetName = chosenSheetName(parser);
        const data::Worksheet sheet = sheetName.isEmpty() ? importer::chooseProductSheet(book) : book.sheet(sheetName);
        if (sheetName.isEmpty() && !parser.isSet(kRaw))
            sayWhichSheet(console, QStringLiteral("preview"), sheet.name());
        QString text;
        {
            // Collected first, so that an error leaves no half-written table behind.
            QTextStream out(&text);
            if (parser.isSet(kRaw)) {
                printRaw(sheet, out);
            } else {
                const importer::ProductSheet products(sheet, *choice);
                printLayout(products, out);
                printProducts(products, out, parser.isSet(kPhraseMnemonics));
                const QString unsaid = importer::namedWithoutCodeNote(products.namedRowsWithoutCode());
                if (!unsaid.isEmpty())
                    console.err << "product-import-cli preview: " << unsaid << '\n';
            }
        }
        console.out << text;
        return 0;
    } catch (const data::WorkbookError& error) {
        return parser.failure(error.reason());
    } catch (const data::SheetError& error) {
        return parser.failure(error.reason());
    } catch (const importer::MissingColumnsError& error) {
        return parser.failure(error.message());
    } catch (const importer::ColumnChoiceError& error) {
        return parser.failure(error.message());
    }
}
