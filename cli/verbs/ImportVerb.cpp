// Placeholder: the verb "import" is not built yet.
#include "../Verbs.h"

#include <QTextStream>

int cli::runImport(const QStringList&)
{
    QTextStream(stderr) << "product-import-cli: the verb \"import\" is not available yet\n";
    return 2;
}
