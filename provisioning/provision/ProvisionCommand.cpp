#include "ProvisionCommand.h"

#include "Connection.h"
#include "ExitCode.h"
#include "LogonFailureKind.h"
#include "NameRules.h"
#include "PasswordReader.h"
#include "Platform.h"
#include "Preflight.h"
#include "ProgramTexts.h"

#include <QDateTime>
#include <QFileInfo>

#include <unistd.h>

namespace brevane::provision {

using namespace brevane::run;

namespace {

constexpr int progressStepPercent = 10;

// The folder of the new data file, in the server's own path form.
QString dataFolderOf(const RestoreRequest &request)
{
    return request.physicalData.left(qMax<qsizetype>(0, lastSeparatorPosition(request.physicalData) - 1));
}

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

ProvisionCommand::ProvisionCommand(ProvisionOptions options, RunOutput &output)
    : m_options(std::move(options))
    , m_output(output)
{
    m_report.dryRun = m_options.dryRun;
    m_report.server = m_options.server;
    m_report.user = m_options.user;
    m_report.backupFile = m_options.backupFile;
    m_report.settingsFile = m_options.writeSettings ? m_options.settingsFile : QString();
    m_run.setTimeouts({ m_options.loginTimeout, m_options.queryTimeout, m_options.restoreTimeout });

    m_run.setStatementObserver([this](const QString &statement) {
        const std::lock_guard lock(m_reportMutex);
        m_report.statements.append(statement);
        m_output.statement(statement);
        if (m_phase == Phase::Restoring)
            ++m_restoreStatementsSent;
    });
    m_run.setMessageObserver([this](const QString &message) {
        const std::lock_guard lock(m_reportMutex);
        m_report.serverMessages.append(message);
        m_output.serverMessage(message);
    });
}

int ProvisionCommand::finish(const QString &outcome, int exitCode)
{
    const std::lock_guard lock(m_reportMutex);
    m_report.outcome = outcome;
    m_report.exitCode = exitCode;
    m_report.elapsedSeconds = double(nowMs() - m_startMs) / 1000.0;
    m_report.changed = m_wouldChange.value_or(m_restoreStatementsSent >= 3 || m_report.settingsWritten);
    if (m_report.message.isEmpty())
        m_report.message = m_report.error;
    if (m_receipt)
        m_receipt->finished(outcome);
    m_output.note(QStringLiteral("outcome %1, exit code %2").arg(outcome).arg(exitCode));
    // One object on every way out, also when an interrupt ends the run meanwhile.
    if (m_options.json && !m_jsonPrinted.exchange(true))
        m_output.printJson(m_report.toJson());
    return exitCode;
}

int ProvisionCommand::usageError(const QString &text)
{
    m_output.error(text);
    m_report.error = text;
    return finish(QStringLiteral("usage-error"), ExitCode::Usage);
}

int ProvisionCommand::serverFailure(const Failure &failure, const QString &text)
{
    const bool timedOut = failure.number() == FailureNumber::Timeout;
    m_report.error = failure.descriptionFirst();
    m_output.error(text);
    return finish(timedOut ? QStringLiteral("timeout") : QStringLiteral("server-failure"),
        timedOut ? ExitCode::Timeout : ExitCode::ServerFailure);
}

int ProvisionCommand::execute()
{
    m_startMs = nowMs();
    if (!m_options.logFile.isEmpty()) {
        QString error;
        if (!m_output.openLog(m_options.logFile, &error))
            return usageError(error);
    }
    if (m_options.writeSettings && m_options.settingsExplicit
        && !Platform::current().ordinaryFileExists(m_options.settingsFile))
        return usageError(programText(
            QStringLiteral("The settings file %1 does not exist (--settings names a file to update, "
                           "it does not create one)."))
                              .arg(m_options.settingsFile));
    m_output.note(QStringLiteral("brevane-provision: server %1, user %2, folder %3")
                      .arg(m_options.server, m_options.user, m_options.folder));

    const PasswordReader::Result password = PasswordReader::read(m_options);
    if (!password.password)
        return usageError(password.error);
    if (!password.warning.isEmpty())
        m_output.error(password.warning);

    m_output.step(
        programText(QStringLiteral("Logging on to %1 as %2")).arg(m_options.server, m_options.user));
    Failure logonFailure;
    if (!m_run.logOn(m_options.server, m_options.user, *password.password, &logonFailure)) {
        const QString text = programText(1045) + QStringLiteral("\n") + logonFailure.descriptionFirst();
        m_output.error(text);
        m_report.error = logonFailure.descriptionFirst();
        if (logonFailureKind(logonFailure) == LogonFailureKind::Unreachable)
            return finish(QStringLiteral("server-unreachable"), ExitCode::ServerUnreachable);
        return finish(QStringLiteral("logon-failed"), ExitCode::LogonFailed);
    }
    m_output.step(programText(QStringLiteral("Logged on (%1)")).arg(m_run.connection()->driverName()));

    if (m_options.admin.ensure) {
        if (const int settled = settleExisting(*password.password); settled >= 0)
            return settled;
    }
    if (const int refused = runChecks(*password.password); refused >= 0)
        return refused;
    if (m_options.admin.verify) {
        if (const int refused = verifyBackup(); refused >= 0)
            return refused;
    }
    if (!m_options.admin.scriptFile.isEmpty())
        return writeScript();

    if (m_options.dryRun) {
        m_report.message = programText(QStringLiteral("Every check passed; nothing was changed."));
        m_output.step(programText(QStringLiteral("Every check passed. A restore would send:")));
        for (const QString &statement : ProvisioningRun::restoreStatements(m_request))
            m_output.step(statement);
        return finish(QStringLiteral("checked"), ExitCode::Created);
    }
    if (const int refused = beginReceipt(*password.password); refused >= 0)
        return refused;
    return restoreAndRecord(*password.password);
}

int ProvisionCommand::runChecks(const QString &password)
{
    PreflightRequest request;
    request.backupFile = m_options.backupFile;
    request.databaseName = m_options.database;
    request.folder = m_options.dataFolder.isEmpty() ? m_options.folder : m_options.dataFolder;
    request.logFolder = m_options.logFolder.isEmpty() ? m_options.folder : m_options.logFolder;
    request.moves = m_options.moves;
    request.settingsFile = m_options.settingsFile;
    request.checkSettings = m_options.writeSettings;
    request.settings = { m_options.server, m_options.user, password, {} };
    request.serverIsLocal = m_options.serverIsLocal;
    request.backupGiven = m_options.backupGiven;

    Preflight preflight(m_run);
    preflight.setStepObserver([this](const PreflightStep &step) {
        {
            const std::lock_guard lock(m_reportMutex);
            m_report.checks.append({ preflightCheckKey(step.check), step.passed, step.text, step.made });
        }
        if (!step.made)
            m_output.step(programText(QStringLiteral("not made: ")) + step.text);
        else if (step.passed)
            m_output.step(programText(QStringLiteral("ok: ")) + step.text);
        else
            m_output.error(programText(QStringLiteral("refused: ")) + step.text);
    });
    PreflightResult result;
    try {
        result = preflight.run(request);
    } catch (const Failure &failure) {
        m_report.state = programText(QStringLiteral("Nothing was changed."));
        return serverFailure(failure,
            programText(QStringLiteral("The server failed during the checks: %1. Nothing was changed."))
                .arg(failure.descriptionFirst()));
    }
    if (m_options.writeSettings && result.settingsFileMissing)
        m_report.settingsReason = QStringLiteral("missing");
    m_request = result.request;
    m_request.progressPercent = m_options.progress ? progressStepPercent : 0;
    m_report.database = m_request.databaseName;
    m_report.serverIsLocal = result.serverIsLocal;
    m_report.dataFile = m_request.physicalData;
    m_report.logFile = m_request.physicalLog;
    m_report.newFiles = m_request.newFiles();
    if (result.refusal) {
        m_report.error = result.refusal->text;
        const int code = exitCodeFor(result.refusal->check);
        return finish(
            code == ExitCode::Usage ? QStringLiteral("usage-error") : QStringLiteral("refused"), code);
    }
    m_report.restoreStatements = ProvisioningRun::restoreStatements(m_request);
    return -1;
}

int ProvisionCommand::restoreAndRecord(const QString &password)
{
    m_output.step(programText(QStringLiteral("Restoring %1 into %2"))
                      .arg(m_request.databaseName, dataFolderOf(m_request)));
    m_phase = Phase::Restoring;
    ProvisioningRun::RestoreOutcome outcome;
    try {
        outcome = m_run.restore(m_request);
    } catch (const Failure &failure) {
        const bool cancelled = failure.number() == FailureNumber::Cancelled;
        m_report.state = leftBehind(failure);
        recordRestoreEnd(cancelled ? QStringLiteral("cancelled") : QStringLiteral("failed"));
        const QString text
            = (cancelled
                      ? programText(QStringLiteral("The restore was cancelled; the server has stopped it."))
                      : programText(QStringLiteral("The restore failed: ")) + failure.descriptionFirst())
            + QStringLiteral("\n") + m_report.state;
        if (!cancelled)
            return serverFailure(failure, text);
        m_report.error = failure.descriptionFirst();
        m_output.error(text);
        return finish(QStringLiteral("cancelled"), ExitCode::Cancelled);
    }
    m_phase = Phase::Finishing;
    recordRestoreEnd(QStringLiteral("restored"));

    switch (outcome) {
    case ProvisioningRun::RestoreOutcome::Restored:
        break;
    case ProvisioningRun::RestoreOutcome::BackupMissing:
        m_report.error = programText(1046) + QStringLiteral("\n") + m_request.backupFile;
        m_output.error(m_report.error);
        return finish(QStringLiteral("refused"), exitCodeFor(PreflightCheck::BackupPresent));
    case ProvisioningRun::RestoreOutcome::DatabaseExists:
        m_report.error = programText(1054) + QStringLiteral("\n") + m_request.databaseName;
        m_output.error(m_report.error);
        return finish(QStringLiteral("refused"), exitCodeFor(PreflightCheck::NameFree));
    case ProvisioningRun::RestoreOutcome::ReservedDevice:
        m_report.error = programText(2008);
        m_output.error(m_report.error);
        return finish(QStringLiteral("refused"), exitCodeFor(PreflightCheck::DeviceAllowed));
    }
    m_output.step(programText(QStringLiteral("Database %1 restored")).arg(m_request.databaseName));

    if (m_options.writeSettings) {
        try {
            const ConnectionSettings settings { m_options.server, m_options.user, password,
                m_request.databaseName };
            m_report.settingsWritten = ProvisioningRun::writeSettings(m_options.settingsFile, settings);
            if (!m_report.settingsWritten)
                m_report.settingsReason = QStringLiteral("missing");
            recordSettingsWritten();
            m_output.step(m_report.settingsWritten
                    ? programText(QStringLiteral("Settings recorded in ")) + m_options.settingsFile
                    : programText(QStringLiteral("No settings file at %1: nothing recorded"))
                          .arg(m_options.settingsFile));
        } catch (const Failure &failure) {
            m_report.error = failure.numberFirst();
            m_report.state
                = programText(QStringLiteral("The database %1 exists on the server, but %2 was not updated."))
                      .arg(m_request.databaseName, m_options.settingsFile);
            m_output.error(programText(QStringLiteral("The settings were not written: "))
                + failure.numberFirst() + QStringLiteral("\n") + m_report.state);
            return finish(QStringLiteral("settings-not-written"), ExitCode::SettingsNotWritten);
        }
    }
    m_run.release();
    m_report.message = programText(10042);
    m_output.step(m_report.message);
    return finish(QStringLiteral("created"), ExitCode::Created);
}

QString ProvisionCommand::leftBehind(const Failure &failure)
{
    // After a cancel the server has acknowledged it and answers again; after
    // any other failure it may not.
    const bool serverCanBeAsked = failure.number() == FailureNumber::Cancelled;
    const int sent = m_restoreStatementsSent;
    const QString device = dumpDeviceName(m_request.backupFile);
    QStringList state;
    if (sent <= 1) {
        state << programText(QStringLiteral("Nothing was changed on the server."));
    } else if (sent == 2 && failure.number() == FailureNumber::ServerStatementError) {
        state << programText(
            QStringLiteral("The server refused to drop the dump device %1; nothing was changed."))
                     .arg(device);
    } else if (sent == 2) {
        state << programText(QStringLiteral("The dump device %1 may have been dropped.")).arg(device);
    } else {
        state << programText(QStringLiteral("The dump device %1 is registered on the server.")).arg(device);
    }
    if (sent >= 4) {
        std::optional<bool> exists;
        if (serverCanBeAsked) {
            try {
                exists = m_run.databaseExists(m_request.databaseName);
            } catch (const Failure &) { }
        }
        if (!exists) {
            state << programText(
                QStringLiteral("The database %1 may exist on the server in a restoring state; drop it "
                               "before trying again."))
                         .arg(m_request.databaseName);
        } else if (*exists) {
            state << programText(
                QStringLiteral("The database %1 exists on the server and may be in a restoring state; "
                               "drop it before trying again."))
                         .arg(m_request.databaseName);
        } else {
            state
                << programText(QStringLiteral("The server has no database %1.")).arg(m_request.databaseName);
        }
        QStringList files;
        for (const QString &file : m_request.newFiles()) {
            if (!m_request.backupOnServerOnly && QFileInfo::exists(file))
                files << file;
        }
        state << (files.isEmpty()
                ? programText(QStringLiteral("No database file was created in %1."))
                      .arg(dataFolderOf(m_request))
                : programText(QStringLiteral("These files exist and belong to the unfinished restore: %1"))
                      .arg(files.join(QStringLiteral(", "))));
    }
    state << programText(QStringLiteral("The settings file was not changed."));
    return state.join(QLatin1Char(' '));
}

void ProvisionCommand::interrupt(int count)
{
    if (count >= 2) {
        m_output.error(programText(
            QStringLiteral("Stopped at once. The server may still be restoring %1; its files and the "
                           "database may be left behind."))
                           .arg(m_request.databaseName.isEmpty() ? QStringLiteral("the database")
                                                                 : m_request.databaseName));
        PasswordReader::restoreTerminal();
        endAtOnce(programText(QStringLiteral("Stopped at once by a second interrupt.")));
    }
    switch (m_phase.load()) {
    case Phase::Checking:
        PasswordReader::restoreTerminal();
        m_output.error(programText(QStringLiteral("Cancelled before anything was changed.")));
        endAtOnce(programText(QStringLiteral("Nothing was changed.")));
    case Phase::Restoring:
        m_output.error(
            programText(QStringLiteral("Cancelling the restore; waiting for the server to stop (Ctrl-C again "
                                       "ends at once) ...")));
        m_run.cancel();
        break;
    case Phase::Finishing:
        m_output.error(
            programText(QStringLiteral("Finishing the settings file (Ctrl-C again ends at once) ...")));
        break;
    }
}

void ProvisionCommand::endAtOnce(const QString &state)
{
    {
        // The main thread may be adding to the report; the object printed is a copy.
        const std::lock_guard lock(m_reportMutex);
        m_report.error = QStringLiteral("interrupted");
        m_report.state = state;
    }
    finish(QStringLiteral("cancelled"), ExitCode::Cancelled);
    ::_exit(ExitCode::Cancelled);
}

} // namespace brevane::provision
