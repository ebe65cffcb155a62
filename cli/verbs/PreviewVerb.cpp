// product-import-cli preview WORKBOOK [--sheet NAME] [--raw]: the rows as the import reads them (the nine
// fields, trimmed and defaulted), or with --raw every cell of the sheet as the reader gives it.
#include "../Verbs.h"
#include "TsvText.h"

#include "MnemonicEncoder.h"
#include "ProductRow.h"
#include "ProductSheet.h"
#include "Workbook.h"

#include <QTextStream>

namespace {

int usage(const QString& problem)
{
    QTextStream err(stderr);
    if (!problem.isEmpty())
        err << "product-import-cli preview: " << problem << '\n';
    err << "usage: product-import-cli preview WORKBOOK [--sheet NAME] [--raw]\n";
    return 2;
}

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

void printProducts(const data::Worksheet& sheet, QTextStream& out)
{
    const importer::ProductSheet products(sheet);
    mnemonic::MnemonicEncoder mnemonics;
    for (int row = 0; row < products.rowCount(); ++row) {
        const importer::ProductRow p = importer::fillProductRow(products, row, mnemonics);
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

int cli::runPreview(const QStringList& arguments)
{
    QString path;
    QString sheetName = QStringLiteral("Sheet1");
    bool raw = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--raw") {
            raw = true;
        } else if (argument == u"--sheet") {
            if (++i >= arguments.size())
                return usage(QStringLiteral("--sheet needs a worksheet name"));
            sheetName = arguments[i];
        } else if (argument.startsWith(u"--sheet=")) {
            sheetName = argument.mid(8);
        } else if (argument.startsWith(u'-') && argument != u"-") {
            return usage(QStringLiteral("unknown option \"%1\"").arg(argument));
        } else if (path.isEmpty()) {
            path = argument;
        } else {
            return usage(QStringLiteral("more than one workbook given"));
        }
    }
    if (path.isEmpty())
        return usage(QString());

    try {
        const data::Workbook book = data::Workbook::open(path);
        const data::Worksheet sheet = book.sheet(sheetName);
        QString text;
        {
            // Collected first, so that an error leaves no half-written table behind.
            QTextStream out(&text);
            if (raw)
                printRaw(sheet, out);
            else
                printProducts(sheet, out);
        }
        QTextStream(stdout) << text;
        return 0;
    } catch (const data::WorkbookError& error) {
        QTextStream(stderr) << "product-import-cli preview: " << error.reason() << '\n';
    } catch (const data::SheetError& error) {
        QTextStream(stderr) << "product-import-cli preview: " << error.reason() << '\n';
    } catch (const importer::MissingColumnsError& error) {
        QTextStream(stderr) << "product-import-cli preview: " << error.message() << '\n';
    }
    return 1;
}
