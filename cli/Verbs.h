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

// The whole command line after the program's name: the verb and its arguments.
int runCommandLine(const QStringList& arguments, Console& console);

} // namespace cli
