// The steps brevane-provision adds for administrators: the repeatable run,
// the verification of the backup, the script, and the receipt.
#include "BackupVerification.h"
#include "Blanks.h"
#include "EnsureCheck.h"
#include "ExitCode.h"
#include "FilePlacement.h"
#include "NameRules.h"
#include "Platform.h"
#include "ProgramTexts.h"
#include "ProvisionCommand.h"
#include "RestoreScript.h"

#include <QFile>
#include <QJsonArray>

#include <cstdio>

namespace brevane::provision {

using namespace brevane::run;

using namespace brevane::admin;

namespace {

QString firstDataFile(const BackupFileList &list)
{
    for (const BackupFile &file : list.files()) {
        if (file.type == u"D")
            return file.logicalName;
    }
    return {};
}

QJsonArray settingsChangesJson(const QList<SettingsEntryChange> &changes)
{
    QJsonArray array;
    for (const SettingsEntryChange &entry : changes) {
        const auto shown
            = [&](const QString &value) { return entry.isPassword() ? maskedPassword() : value; };
        array.append(
            QJsonObject { { QStringLiteral("section"), entry.section }, { QStringLiteral("key"), entry.key },
                { QStringLiteral("before"), entry.before ? QJsonValue(shown(*entry.before)) : QJsonValue() },
                { QStringLiteral("after"), shown(entry.after) } });
    }
    return array;
}

} // namespace

int ProvisionCommand::settleExisting(const QString &password)
{
    BackupFileList list;
    try {
        list = m_run.readBackupFileList(m_options.backupFile);
    } catch (const Failure &) {
        return -1; // the checks that follow say what is wrong with the backup
    }
    QString name = trimBlanks(m_options.database);
    if (name.isEmpty())
        name = proposedDatabaseName(firstDataFile(list)).value_or(QString());
    if (name.isEmpty() || !FilePlacement::refusal(list).isEmpty())
        return -1;
    const QString dataFolder = m_options.dataFolder.isEmpty() ? m_options.folder : m_options.dataFolder;
    const FolderChoice folders { dataFolder,
        m_options.logFolder.isEmpty() ? m_options.folder : m_options.logFolder, m_options.moves };
    QList<PlannedFile> planned;
    for (const FileMove &move : FilePlacement::place(list, name, folders))
        planned.append({ move.logicalName, move.physicalName });

    const bool settingsCounted
        = m_options.writeSettings && Platform::current().ordinaryFileExists(m_options.settingsFile);
    const ConnectionSettings settings { m_options.server, m_options.user, password, name };
    ServerCatalogue catalogue([this](const QString &statement) { return m_run.send(statement); });
    EnsureFinding finding;
    try {
        finding = EnsureCheck(catalogue).check(
            name, planned, settingsCounted ? m_options.settingsFile : QString(), settings);
    } catch (const Failure &failure) {
        return serverFailure(failure,
            programText(
                QStringLiteral("The server failed while looking for the database: %1. Nothing was changed."))
                .arg(failure.descriptionFirst()));
    }
    m_report.database = name;
    m_report.administration.insert(QStringLiteral("ensure"), finding.text);
    if (finding.state == EnsureFinding::State::Absent) {
        if (settingsCounted)
            m_report.administration.insert(QStringLiteral("settingsChanges"),
                settingsChangesJson(compareSettings(m_options.settingsFile, settings)));
        if (m_options.dryRun)
            m_wouldChange = true;
        m_output.step(finding.text);
        return -1;
    }
    m_report.administration.insert(
        QStringLiteral("settingsChanges"), settingsChangesJson(finding.settingsChanges));
    m_output.step(finding.text);
    // A database that differs is refused by the checks, with the code and
    // the text a run without --ensure gets (name taken, or left restoring).
    if (finding.state == EnsureFinding::State::Different)
        return -1;
    m_report.message = finding.text;
    // A receipt asked for is written even when nothing changes: it then
    // records no change, and an undo of it has nothing to do.
    if (const int refused = beginReceipt(password); refused >= 0)
        return refused;
    if (finding.state == EnsureFinding::State::InPlace || m_options.dryRun) {
        m_wouldChange = finding.state == EnsureFinding::State::SettingsDiffer;
        return finish(QStringLiteral("unchanged"), ExitCode::Created);
    }
    try {
        m_report.settingsWritten = ProvisioningRun::writeSettings(m_options.settingsFile, settings);
    } catch (const Failure &failure) {
        m_report.error = failure.numberFirst();
        m_output.error(
            programText(QStringLiteral("The settings were not written: ")) + failure.numberFirst());
        return finish(QStringLiteral("refused"), exitCodeFor(PreflightCheck::SettingsWritable));
    }
    recordSettingsWritten();
    m_report.message = programText(QStringLiteral("The database %1 was in place; settings recorded in %2"))
                           .arg(name, m_options.settingsFile);
    m_output.step(m_report.message);
    return finish(QStringLiteral("settings-written"), ExitCode::Created);
}

int ProvisionCommand::verifyBackup()
{
    VerificationResult result;
    try {
        result = BackupVerification([this](const QString &statement) {
            return m_run.send(statement);
        }).verify(m_options.backupFile);
    } catch (const Failure &failure) {
        return serverFailure(failure,
            programText(
                QStringLiteral("The server failed while verifying the backup: %1. Nothing was changed."))
                .arg(failure.descriptionFirst()));
    }
    const bool passed = result.verdict != VerificationResult::Verdict::Refused;
    m_report.administration.insert(QStringLiteral("verification"),
        QJsonObject { { QStringLiteral("passed"), passed },
            { QStringLiteral("checksums"), result.verdict == VerificationResult::Verdict::Verified },
            { QStringLiteral("text"), result.text } });
    if (passed) {
        m_output.step(programText(QStringLiteral("ok: ")) + result.text);
        return -1;
    }
    m_report.error = result.text;
    m_output.error(programText(QStringLiteral("refused: ")) + result.text + QStringLiteral("\n")
        + programText(QStringLiteral("Nothing was changed.")));
    return finish(QStringLiteral("backup-damaged"), ExitCode::BackupDamaged);
}

int ProvisionCommand::writeScript()
{
    ScriptHeader header { m_options.server, m_options.user, m_options.backupFile, {}, m_request.newFiles(),
        m_options.settingsFile };
    try {
        header.backup = BackupVerification([this](const QString &statement) {
            return m_run.send(statement);
        }).readHeader(m_options.backupFile);
    } catch (const Failure &failure) {
        return serverFailure(failure,
            programText(QStringLiteral("The server failed while reading the backup's header: %1"))
                .arg(failure.descriptionFirst()));
    }
    const QString script = RestoreScript::compose(
        header, m_request.databaseName, ProvisioningRun::restoreStatements(m_request));
    const QByteArray bytes = script.toUtf8();
    QFile file(m_options.admin.scriptFile);
    const bool opened = m_options.admin.scriptFile == u"-"
        ? file.open(stdout, QIODevice::WriteOnly)
        : file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!opened || file.write(bytes) != bytes.size() || !file.flush()) {
        m_report.error = programText(QStringLiteral("Cannot write the script %1: %2"))
                             .arg(m_options.admin.scriptFile, file.errorString());
        m_output.error(m_report.error);
        return finish(QStringLiteral("failed"), ExitCode::Usage);
    }
    m_report.administration.insert(QStringLiteral("script"), m_options.admin.scriptFile);
    m_report.message
        = programText(QStringLiteral("Every check passed. The script is in %1; nothing was changed."))
              .arg(m_options.admin.scriptFile == u"-" ? programText(QStringLiteral("standard output"))
                                                      : m_options.admin.scriptFile);
    m_output.step(m_report.message);
    return finish(QStringLiteral("scripted"), ExitCode::Created);
}

int ProvisionCommand::beginReceipt(const QString &password)
{
    if (m_options.admin.receiptFile.isEmpty())
        return -1;
    m_receipt = std::make_unique<ReceiptRecorder>(
        m_options.admin.receiptFile, [this](const QString &statement) { return m_run.send(statement); });
    const bool settingsCounted
        = m_options.writeSettings && Platform::current().ordinaryFileExists(m_options.settingsFile);
    // Before the checks have settled a restore (the repeatable run's settings
    // alone), the name is the one that run found.
    const QString database = m_request.databaseName.isEmpty() ? m_report.database : m_request.databaseName;
    QString error;
    bool begun = false;
    try {
        begun = m_receipt->begin({ m_options.server, m_options.user, password, database },
            settingsCounted ? m_options.settingsFile : QString(), dumpDeviceName(m_options.backupFile),
            !m_request.databaseName.isEmpty(), &error);
    } catch (const Failure &failure) {
        error = failure.descriptionFirst();
    }
    if (begun)
        return -1;
    m_receipt.reset();
    m_report.error = error;
    m_output.error(error + QStringLiteral("\n") + programText(QStringLiteral("Nothing was changed.")));
    return finish(QStringLiteral("usage-error"), ExitCode::Usage);
}

void ProvisionCommand::recordRestoreEnd(const QString &status)
{
    if (!m_receipt)
        return;
    // The receipt's look-ups are no restore statements: they leave the count alone.
    const int sent = m_restoreStatementsSent;
    m_receipt->restoreEnded(status);
    m_restoreStatementsSent = sent;
}

void ProvisionCommand::recordSettingsWritten()
{
    if (m_receipt && m_report.settingsWritten)
        m_receipt->settingsWritten();
}

} // namespace brevane::provision
