// brevane-provision: creates the product's database without a window, for
// scripted installs. See --help.
#include "ExitCode.h"
#include "InterruptWatcher.h"
#include "ProvisionCommand.h"
#include "UndoCommand.h"

#include <QCoreApplication>

#include <atomic>
#include <cstdio>
#include <cstdlib>

using namespace brevane::provision;

namespace {
// The run the signal thread reports to; null before and after it.
std::atomic<ProvisionCommand *> runningCommand = nullptr;
std::atomic<bool> jsonAsked = false;

// The one JSON object of a run that ends before it starts.
void printShortReport(const QString &outcome, int exitCode, const QString &error)
{
    if (!jsonAsked)
        return;
    RunReport report;
    report.outcome = outcome;
    report.exitCode = exitCode;
    report.error = error;
    report.message = error;
    RunOutput(true).printJson(report.toJson());
}
} // namespace

int main(int argc, char *argv[])
{
    // Before any other thread exists, so all of them leave the signals to the watcher.
    InterruptWatcher::install([](int count) {
        if (ProvisionCommand *current = runningCommand.load())
            current->interrupt(count);
        else {
            printShortReport(QStringLiteral("cancelled"), ExitCode::Cancelled, QStringLiteral("interrupted"));
            std::_Exit(ExitCode::Cancelled);
        }
    });

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brevane-provision"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HALL_VERSION));

    jsonAsked = QCoreApplication::arguments().contains(QStringLiteral("--json"));
    const ParsedCommandLine parsed
        = parseCommandLine(QCoreApplication::arguments().mid(1), QCoreApplication::applicationDirPath());
    if (const auto *show = std::get_if<ShowText>(&parsed)) {
        std::fputs(show->text.toLocal8Bit().constData(), stdout);
        return ExitCode::Created;
    }
    if (const auto *error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(
            stderr, "brevane-provision: %s\nTry --help.\n", error->message.toLocal8Bit().constData());
        printShortReport(QStringLiteral("usage-error"), ExitCode::Usage, error->message);
        return ExitCode::Usage;
    }

    const ProvisionOptions &options = std::get<ProvisionOptions>(parsed);
    // A script on standard output keeps the step lines off it, as --json does.
    RunOutput output(options.json || options.admin.scriptFile == u"-");
    if (!options.admin.undoFile.isEmpty())
        return UndoCommand(options, output).execute();
    ProvisionCommand provision(options, output);
    runningCommand = &provision;
    const int exitCode = provision.execute();
    runningCommand = nullptr;
    return exitCode;
}
