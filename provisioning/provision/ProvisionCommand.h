#pragma once

#include "ProvisionOptions.h"
#include "ProvisioningRun.h"
#include "ReceiptRecorder.h"
#include "RunOutput.h"
#include "RunReport.h"

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

namespace brevane::provision {

// One unattended provisioning run: log-on, the checks, then the restore and
// the settings (or, with --dry-run, the statements a restore would send).
// Returns the exit code; prints as it goes.
class ProvisionCommand
{
public:
    ProvisionCommand(ProvisionOptions options, RunOutput &output);

    int execute();

    // Ctrl-C or SIGTERM number `count`, from the signal thread: the first
    // cancels the restore (or ends the run when nothing has changed yet),
    // the second ends the program at once.
    void interrupt(int count);

private:
    enum class Phase { Checking, Restoring, Finishing };

    int finish(const QString &outcome, int exitCode);
    int usageError(const QString &text);
    // A failure of the server or the link: a time-out or any other.
    int serverFailure(const Failure &failure, const QString &text);
    // Prints the report of a run an interrupt ends, then ends the program.
    [[noreturn]] void endAtOnce(const QString &state);
    // The exit code of a refusal or failure, or -1 when every check passed.
    int runChecks(const QString &password);
    int restoreAndRecord(const QString &password);
    // What a failed or cancelled restore may have left, for a person or a script to clean up.
    QString leftBehind(const Failure &failure);

    // The administrators' steps (ProvisionCommandAdmin.cpp). Each returns the
    // exit code that ends the run, or -1 when the run goes on.
    // --ensure: a database and settings already in place are left alone.
    int settleExisting(const QString &password);
    int verifyBackup(); // --verify
    int writeScript(); // --script
    int beginReceipt(const QString &password); // --receipt
    void recordRestoreEnd(const QString &status);
    void recordSettingsWritten();

    ProvisionOptions m_options;
    RunOutput &m_output;
    run::ProvisioningRun m_run;
    RunReport m_report;
    run::RestoreRequest m_request;
    std::atomic<Phase> m_phase = Phase::Checking;
    std::atomic<int> m_restoreStatementsSent = 0;
    std::atomic<bool> m_jsonPrinted = false;
    std::recursive_mutex m_reportMutex;
    qint64 m_startMs = 0;
    std::unique_ptr<ReceiptRecorder> m_receipt;
    std::optional<bool> m_wouldChange; // --ensure --dry-run: whether a real run would change anything
};

} // namespace brevane::provision
