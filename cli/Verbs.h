#pragma once
// The verbs of product-import-cli. Each lives in a file of its own under verbs/ and gets the arguments that follow
// the verb. Exit status: 0 success, 1 failure, 2 usage error (others as a verb documents).

#include <QStringList>

namespace cli {

int runMnemonic(const QStringList& arguments);
int runKinds(const QStringList& arguments);
int runSheets(const QStringList& arguments);
int runPreview(const QStringList& arguments);
int runImport(const QStringList& arguments);

} // namespace cli
