#include "Preflight.h"

#include "Failure.h"
#include "NameRules.h"
#include "Platform.h"
#include "ProductVersion.h"
#include "ProvisioningRun.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace brevane {

namespace {

const QString kLineBreak = QStringLiteral("\n");

QString nameRuleText(const NameCheck &check)
{
    if (check.kind == NameCheck::FirstNotLetter)
        return localisedText(
            10047, QStringLiteral("The first character of a database name must be a letter"));
    return localisedText(10046, QStringLiteral("The database name holds an illegal character"))
        + QStringLiteral("  '") + check.character + QLatin1Char('\'');
}

QString megabytes(qint64 bytes)
{
    return QLocale::c().toString(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

// Why the calling process may not write `path`, or nullopt when it may. The
// kernel's own test also catches what permission bits do not show to root:
// an immutable file and a read-only file system.
std::optional<QString> writeRefusal(const QString &path, int mode)
{
    if (::access(QFile::encodeName(path).constData(), mode) == 0)
        return std::nullopt;
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

qint64 Preflight::spaceNeeded(qint64 reportedBytes)
{
    return reportedBytes + qMax(reportedBytes / 10, minimumSpareBytes);
}

Preflight::Preflight(ProvisioningRun &run)
    : m_run(run)
{ }

void Preflight::setStepObserver(std::function<void(const PreflightStep &)> observer)
{
    m_observer = std::move(observer);
}

bool Preflight::step(PreflightCheck check, bool passed, const QString &text, PreflightResult &result)
{
    const PreflightStep done { check, passed, text };
    if (!passed)
        result.refusal = done;
    if (m_observer)
        m_observer(done);
    return passed;
}

std::optional<QString> Preflight::settingsProblem(const QString &settingsFile) const
{
    if (const auto refusal = writeRefusal(settingsFile, W_OK))
        return refusal;
    // The settings are replaced through a new file beside the old one (beside
    // the file a symbolic link leads to).
    const QString target = QFileInfo(settingsFile).canonicalFilePath();
    return writeRefusal(QFileInfo(target.isEmpty() ? settingsFile : target).absolutePath(), W_OK | X_OK);
}

PreflightResult Preflight::run(const PreflightRequest &request)
{
    PreflightResult result;
    const QString &backup = request.backupFile;

    if (!step(PreflightCheck::BackupPresent, Platform::current().ordinaryFileExists(backup),
            Platform::current().ordinaryFileExists(backup)
                ? QStringLiteral("Backup file: ") + backup
                : localisedText(1046, QStringLiteral("Cannot find the backup file")) + kLineBreak + backup,
            result))
        return result;

    try {
        result.files = m_run.readBackupFileList(backup);
    } catch (const Failure &failure) {
        if (failure.number() != FailureNumber::ServerStatementError)
            throw;
        step(PreflightCheck::BackupReadable, false,
            localisedText(1047, QStringLiteral("This file is not a valid backup")) + kLineBreak + backup
                + kLineBreak + failure.description(),
            result);
        return result;
    }
    if (!step(PreflightCheck::BackupReadable, result.files.hasDataAndLog(),
            result.files.hasDataAndLog()
                ? QStringLiteral("Backup holds data file %1 and log file %2 (%3)")
                      .arg(result.files.data().logicalName, result.files.log().logicalName,
                          megabytes(result.files.totalSize()))
                : QStringLiteral("The backup does not hold a data file and a log file: ") + backup,
            result))
        return result;

    QString name = trimBlanks(request.databaseName);
    if (name.isEmpty())
        name = proposedDatabaseName(result.files.data().logicalName).value_or(QString());
    if (name.isEmpty()) {
        step(PreflightCheck::NameValid, false,
            QStringLiteral("No database name given, and the backup proposes none"), result);
        return result;
    }
    const NameCheck nameCheck = ProvisioningRun::checkName(name);
    if (!step(PreflightCheck::NameValid, nameCheck.kind == NameCheck::Passed,
            nameCheck.kind == NameCheck::Passed ? QStringLiteral("Database name: ") + name
                                                : nameRuleText(nameCheck) + kLineBreak + name,
            result))
        return result;

    const bool taken = m_run.databaseExists(name);
    if (!step(PreflightCheck::NameFree, !taken,
            taken ? localisedText(1054, QStringLiteral("Database name exists")) + kLineBreak + name
                  : QStringLiteral("No database is named ") + name,
            result))
        return result;

    const QString device = dumpDeviceName(backup);
    const bool reserved = isReservedDeviceName(device);
    if (!step(PreflightCheck::DeviceAllowed, !reserved,
            reserved ? localisedText(2008, QStringLiteral("Cannot use a system file as backup device"))
                     : QStringLiteral("Dump device: ") + device,
            result))
        return result;

    const QFileInfo folder(request.folder);
    if (!step(PreflightCheck::FolderExists, folder.isDir(),
            folder.isDir() ? QStringLiteral("Folder: ") + request.folder
                           : localisedText(1052, QStringLiteral("The folder does not exist")) + kLineBreak
                    + request.folder,
            result))
        return result;

    result.request = RestoreRequest::intoFolder(backup, result.files, name, request.folder);
    QStringList present;
    for (const QString &file : { result.request.physicalData, result.request.physicalLog }) {
        if (QFileInfo::exists(file) || QFileInfo(file).isSymLink())
            present.append(file);
    }
    if (!step(PreflightCheck::TargetFilesFree, present.isEmpty(),
            present.isEmpty()
                ? QStringLiteral("New files: %1, %2")
                      .arg(result.request.physicalData, result.request.physicalLog)
                : QStringLiteral("The database's files already exist: ") + present.join(QStringLiteral(", ")),
            result))
        return result;

    const QStorageInfo storage(request.folder);
    const qint64 needed = spaceNeeded(result.files.totalSize());
    const qint64 available = storage.isValid() ? storage.bytesAvailable() : -1;
    if (!step(PreflightCheck::SpaceAvailable, available >= needed,
            QStringLiteral("%1 free in %2, %3 needed")
                .arg(megabytes(qMax<qint64>(0, available)), request.folder, megabytes(needed)),
            result))
        return result;

    QString backupVersionText;
    QString serverVersionText;
    try {
        backupVersionText = m_run.backupSoftwareVersion(backup);
        serverVersionText = m_run.serverProductVersion();
    } catch (const Failure &failure) {
        if (failure.number() != FailureNumber::ServerStatementError)
            throw;
        step(PreflightCheck::BackupVersion, false,
            QStringLiteral("Cannot read the versions to compare: ") + failure.description(), result);
        return result;
    }
    const auto backupVersion = ProductVersion::parse(backupVersionText);
    const auto serverVersion = ProductVersion::parse(serverVersionText);
    if (!backupVersion || !serverVersion) {
        step(PreflightCheck::BackupVersion, false,
            QStringLiteral("Cannot compare versions: backup \"%1\", server \"%2\"")
                .arg(backupVersionText, serverVersionText),
            result);
        return result;
    }
    const bool newer = backupVersion->compare(*serverVersion, 3) > 0;
    if (!step(PreflightCheck::BackupVersion, !newer,
            newer ? QStringLiteral("The backup was made by server version %1, newer than this server's %2")
                        .arg(backupVersionText, serverVersionText)
                  : QStringLiteral("Backup version %1, server version %2")
                        .arg(backupVersionText, serverVersionText),
            result))
        return result;

    if (request.checkSettings) {
        if (!Platform::current().ordinaryFileExists(request.settingsFile)) {
            step(PreflightCheck::SettingsWritable, true,
                QStringLiteral("No settings file at %1: nothing will be recorded").arg(request.settingsFile),
                result);
        } else {
            const auto problem = settingsProblem(request.settingsFile);
            if (!step(PreflightCheck::SettingsWritable, !problem,
                    problem ? QStringLiteral("The settings file cannot be written: %1 (%2)")
                                  .arg(request.settingsFile, *problem)
                            : QStringLiteral("Settings file: ") + request.settingsFile,
                    result))
                return result;
        }
    }
    return result;
}

} // namespace brevane
