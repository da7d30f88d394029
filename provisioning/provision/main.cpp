// brevane-provision: creates the product's database without a window, for
// scripted installs. See --help.
#include "ExitCode.h"
#include "InterruptWatcher.h"
#include "ProvisionCommand.h"

#include <QCoreApplication>

#include <atomic>
#include <cstdio>
#include <cstdlib>

using namespace brevane::provision;

namespace {
// The run the signal thread reports to; null before and after it.
std::atomic<ProvisionCommand *> runningCommand = nullptr;
} // namespace

int main(int argc, char *argv[])
{
    // Before any other thread exists, so all of them leave the signals to the watcher.
    InterruptWatcher::install([](int count) {
        if (ProvisionCommand *current = runningCommand.load())
            current->interrupt(count);
        else
            std::_Exit(ExitCode::Cancelled);
    });

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brevane-provision"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HALL_VERSION));

    const ParsedCommandLine parsed
        = parseCommandLine(QCoreApplication::arguments().mid(1), QCoreApplication::applicationDirPath());
    if (const auto *show = std::get_if<ShowText>(&parsed)) {
        std::fputs(show->text.toLocal8Bit().constData(), stdout);
        return ExitCode::Created;
    }
    if (const auto *error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(
            stderr, "brevane-provision: %s\nTry --help.\n", error->message.toLocal8Bit().constData());
        return ExitCode::Usage;
    }

    const ProvisionOptions &options = std::get<ProvisionOptions>(parsed);
    RunOutput output(options.json);
    ProvisionCommand provision(options, output);
    runningCommand = &provision;
    const int exitCode = provision.execute();
    runningCommand = nullptr;
    return exitCode;
}
