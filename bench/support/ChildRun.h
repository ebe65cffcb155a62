#pragma once
// A benchmark's child process, timed as a whole: its wall time, its own peak resident set (from wait4) and how it
// ended. Standard output goes to a file, standard error nowhere.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace bench {

struct ChildRun
{
    double seconds = 0;
    long peakRssKb = 0;
    int exitStatus = -1; // -1: it did not start, or did not exit by itself
};

// command[0] is the program's path. environment: the child's whole environment, or none for this process's own.
ChildRun runChild(const QStringList& command, const QString& outputFile,
                  const std::optional<std::vector<QByteArray>>& environment = std::nullopt);

} // namespace bench
