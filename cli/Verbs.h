#pragma once
// The verbs of product-import-cli. Each lives in a file of its own under verbs/ and gets the arguments that follow
// the verb. Exit status: 0 success, 1 failure, 2 usage error (others as a verb documents).

#include "cli/Console.h"

#include <QStringList>

namespace cli {

int runMnemonic(const QStringList& arguments, Console& console);
int runInitStore(const QStringList& arguments, Console& console);
int runKinds(const QStringList& arguments, Console& console);
int runSheets(const QStringList& arguments, Console& console);
int runPreview(const QStringList& arguments, Console& console);
int runImport(const QStringList& arguments, Console& console);

// What follows "product-import-cli" in the verb's usage line, e.g. "sheets WORKBOOK": written once, in the verb
// table, for the program's usage and the verb's own.
QString verbSynopsis(const QString& verb);

// The whole command line after the program's name: the verb and its arguments.
int runCommandLine(const QStringList& arguments, Console& console);

} // namespace cli
