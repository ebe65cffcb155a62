// Placeholder: the verb "mnemonic" is not built yet.
#include "../Verbs.h"

#include <QTextStream>

int cli::runMnemonic(const QStringList&)
{
    QTextStream(stderr) << "product-import-cli: the verb \"mnemonic\" is not available yet\n";
    return 2;
}
