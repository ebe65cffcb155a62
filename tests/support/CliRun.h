#pragma once
// product-import-cli in the tests: its verbs called in this process with string streams, or, for exit codes and
// the streams themselves, the built program as a process of its own.

#include "cli/Console.h"
#include "cli/Verbs.h"
#include "TestPaths.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace testsupport {

struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The command line after the program's name (the verb first), in this process.
inline CliRun runCliInProcess(const QStringList& arguments, const QByteArray& input = {})
{
    QByteArray out;
    QByteArray err;
    QByteArray in = input;
    CliRun run;
    {
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        QTextStream inStream(&in, QIODevice::ReadOnly);
        cli::Console console{outStream, errStream, inStream, false};
        run.exitCode = cli::runCommandLine(arguments, console);
    }
    run.out = out;
    run.err = err;
    return run;
}

// The same through the built program; exitCode -1 when it did not end by itself.
inline CliRun runCliProgram(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(programFolder() + QStringLiteral("product-import-cli"), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

} // namespace testsupport
