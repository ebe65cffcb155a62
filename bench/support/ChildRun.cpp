#include "ChildRun.h"

#include <QFile>

#include <chrono>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace bench {

namespace {

// The pointers a spawn takes, into strings kept alive beside them.
std::vector<char*> pointersInto(std::vector<QByteArray>& strings)
{
    std::vector<char*> pointers;
    for (QByteArray& string : strings)
        pointers.push_back(string.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ChildRun runChild(const QStringList& command, const QString& outputFile,
                  const std::optional<std::vector<QByteArray>>& environment)
{
    std::vector<QByteArray> arguments;
    for (const QString& part : command)
        arguments.push_back(QFile::encodeName(part));
    std::vector<char*> argv = pointersInto(arguments);
    std::vector<QByteArray> entries = environment.value_or(std::vector<QByteArray>{});
    std::vector<char*> envp = pointersInto(entries);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray outputName = QFile::encodeName(outputFile);
    posix_spawn_file_actions_addopen(&actions, 1, outputName.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environment ? envp.data() : environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    run.peakRssKb = usage.ru_maxrss;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace bench
