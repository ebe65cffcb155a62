// make-demo-store [PATH]: writes the demo store (an SQLite file) at PATH, by default database/Member.dat in the
// program folder. An existing store is never touched: the program says so and succeeds.

#include "db/DatabaseError.h"
#include "store/DemoStore.h"
#include "store/StoreConnection.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    QTextStream err(stderr);
    if (arguments.size() > 1 || (!arguments.isEmpty() && arguments.first().startsWith(u'-'))) {
        err << "usage: make-demo-store [PATH]   (default: database/Member.dat in the program folder)\n";
        return 2;
    }
    const QString path = arguments.isEmpty() ? data::storeFilePath(data::programFolder()) : arguments.first();
    if (QFileInfo::exists(path)) {
        err << "make-demo-store: " << path << " exists; the store is left as it is\n";
        return 0;
    }
    try {
        data::createDemoStore(path);
    } catch (const data::DatabaseError& error) {
        err << "make-demo-store: " << error.message() << '\n';
        return 1;
    }
    err << "make-demo-store: created the demo store " << path << '\n';
    return 0;
}
