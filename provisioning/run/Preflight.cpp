#include "Preflight.h"

#include "Failure.h"
#include "FilePlacement.h"
#include "NameRules.h"
#include "Platform.h"
#include "ProductVersion.h"
#include "ProvisioningRun.h"
#include "RestoreNameRule.h"

#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>

namespace brevane {

namespace {

const QString kLineBreak = QStringLiteral("\n");

QString megabytes(qint64 bytes)
{
    return QLocale::c().toString(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

QStringList logicalNames(const BackupFileList &list)
{
    QStringList names;
    for (const BackupFile &file : list.files())
        names.append(file.logicalName);
    return names;
}

QString firstDataFile(const BackupFileList &list)
{
    for (const BackupFile &file : list.files()) {
        if (file.type == u"D")
            return file.logicalName;
    }
    return {};
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

bool Preflight::checkSettingsFile(const PreflightRequest &request, PreflightResult &result)
{
    if (!Platform::current().ordinaryFileExists(request.settingsFile)) {
        result.settingsFileMissing = true;
        return step(PreflightCheck::SettingsWritable, true,
            QStringLiteral("No settings file at %1: nothing will be recorded").arg(request.settingsFile),
            result);
    }
    // The writer itself answers, by the rules it writes by.
    ConnectionSettings settings = request.settings;
    settings.database = result.request.databaseName;
    const auto refusal = connectionSettingsRefusal(request.settingsFile, settings);
    return step(PreflightCheck::SettingsWritable, !refusal,
        refusal ? QStringLiteral("The settings file cannot be written: %1").arg(refusal->numberFirst())
                : QStringLiteral("Settings file: ") + request.settingsFile,
        result);
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
    const QString listRefusal = FilePlacement::refusal(result.files);
    if (!step(PreflightCheck::BackupReadable, listRefusal.isEmpty(),
            listRefusal.isEmpty() ? QStringLiteral("Backup holds %1 file(s): %2 (%3)")
                                        .arg(result.files.files().size())
                                        .arg(logicalNames(result.files).join(QStringLiteral(", ")),
                                            megabytes(result.files.totalSize()))
                                  : listRefusal + QStringLiteral(": ") + backup,
            result))
        return result;

    const QStringList known = logicalNames(result.files);
    QStringList unknown;
    for (const QString &logical : request.moves.keys()) {
        if (!known.contains(logical))
            unknown.append(logical);
    }
    if (!step(PreflightCheck::MovesKnown, unknown.isEmpty(),
            unknown.isEmpty()
                ? QStringLiteral("Files placed by hand: %1").arg(request.moves.size())
                : QStringLiteral("--move names no file of the backup: %1 (its files: %2)")
                      .arg(unknown.join(QStringLiteral(", ")), known.join(QStringLiteral(", "))),
            result))
        return result;

    QString name = trimBlanks(request.databaseName);
    if (name.isEmpty())
        name = proposedDatabaseName(firstDataFile(result.files)).value_or(QString());
    const FolderChoice folders { request.folder,
        request.logFolder.isEmpty() ? request.folder : request.logFolder, request.moves };
    result.request
        = RestoreRequest::fromMoves(backup, name, FilePlacement::place(result.files, name, folders));
    const QString nameRefusal = RestoreNameRule::refusal(name, result.request.newFiles());
    if (!step(PreflightCheck::NameValid, nameRefusal.isEmpty(),
            nameRefusal.isEmpty() ? QStringLiteral("Database name: ") + name
                : name.isEmpty()  ? QStringLiteral("No database name given, and the backup proposes none")
                                  : nameRefusal,
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

    for (const QString &folderPath : { folders.dataFolder, folders.logFolder }) {
        const QFileInfo folder(folderPath);
        if (!step(PreflightCheck::FolderExists, folder.isDir(),
                folder.isDir() ? QStringLiteral("Folder: ") + folderPath
                               : localisedText(1052, QStringLiteral("The folder does not exist")) + kLineBreak
                        + folderPath,
                result))
            return result;
        if (folders.logFolder == folders.dataFolder)
            break;
    }

    QStringList present;
    for (const QString &file : result.request.newFiles()) {
        if (QFileInfo::exists(file) || QFileInfo(file).isSymLink())
            present.append(file);
    }
    if (!step(PreflightCheck::TargetFilesFree, present.isEmpty(),
            present.isEmpty()
                ? QStringLiteral("New files: %1").arg(result.request.newFiles().join(QStringLiteral(", ")))
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

    if (request.checkSettings && !checkSettingsFile(request, result))
        return result;
    return result;
}

} // namespace brevane
