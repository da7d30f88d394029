#include "Preflight.h"

#include "Blanks.h"
#include "Failure.h"
#include "FilePlacement.h"
#include "NameRules.h"
#include "Platform.h"
#include "ProductVersion.h"
#include "ProgramTexts.h"
#include "ProvisioningRun.h"
#include "RestoreNameRule.h"
#include "ServerAccount.h"

#include <QLocale>

namespace brevane::run {

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

// All of the answers together: refused when one refuses, not made when one cannot tell.
std::optional<bool> allOf(const QList<std::optional<bool>> &answers)
{
    bool known = true;
    for (const auto &answer : answers) {
        if (answer && !*answer)
            return false;
        known = known && answer.has_value();
    }
    return known ? std::optional<bool>(true) : std::nullopt;
}

} // namespace

qint64 Preflight::spaceNeeded(qint64 reportedBytes)
{
    return reportedBytes + qMax(reportedBytes / 10, minimumSpareBytes);
}

Preflight::Preflight(ProvisioningRun &run)
    : m_run(run)
    , m_facts(run)
{ }

void Preflight::setStepObserver(std::function<void(const PreflightStep &)> observer)
{
    m_observer = std::move(observer);
}

bool Preflight::step(
    PreflightCheck check, std::optional<bool> passed, const QString &text, PreflightResult &result)
{
    const PreflightStep done { check, passed.value_or(false), text, passed.has_value() };
    if (passed == false)
        result.refusal = done;
    if (m_observer)
        m_observer(done);
    return passed != false;
}

PreflightResult Preflight::run(const PreflightRequest &request)
{
    PreflightResult result;
    const CheckTarget target = CheckTarget::settle(
        m_facts, request.settings.server, request.serverIsLocal, request.folder, request.logFolder);
    result.serverIsLocal = target.local;
    QString pathsRefusal = target.refusal;
    if (!target.local && !request.backupGiven)
        pathsRefusal = programText(
            QStringLiteral("A server on another machine cannot read the backup beside this program: "
                           "give --backup FILE, a path the server reads"));
    if (!pathsRefusal.isEmpty()) {
        step(PreflightCheck::ServerPathsGiven, false, pathsRefusal, result);
        return result;
    }

    if (!checkBackup(request, *target.files, result) || !checkName(request, target, result))
        return result;
    const QString name = result.request.databaseName;
    const bool taken = m_run.databaseExists(name);
    if (taken && m_facts.databaseState(name) == u"RESTORING") {
        step(PreflightCheck::NotRestoring, false,
            programText(QStringLiteral(
                            "The database %1 is in the RESTORING state: a restore did not finish. It holds "
                            "the name and its files; drop it (DROP DATABASE [%1]) before trying again."))
                .arg(name),
            result);
        return result;
    }
    if (!step(PreflightCheck::NameFree, !taken,
            taken ? programText(1054) + kLineBreak + name
                  : programText(QStringLiteral("No database is named ")) + name,
            result))
        return result;
    if (!checkDevice(request.backupFile, target.windows, result) || !checkFolders(target, result)
        || !checkVersions(request.backupFile, result))
        return result;
    if (request.checkSettings)
        checkSettingsFile(request, result);
    return result;
}

bool Preflight::checkBackup(const PreflightRequest &request, FileSystemView &files, PreflightResult &result)
{
    const QString &backup = request.backupFile;
    const std::optional<bool> present = files.isFile(backup);
    if (!step(PreflightCheck::BackupPresent, present,
            present == false ? programText(1046) + kLineBreak + backup
                : present
                ? programText(QStringLiteral("Backup file: ")) + backup
                : programText(QStringLiteral("The server cannot tell whether it sees the backup file: "))
                    + backup,
            result))
        return false;

    try {
        result.files = m_run.readBackupFileList(backup);
    } catch (const Failure &failure) {
        if (failure.number() != FailureNumber::ServerStatementError)
            throw;
        return step(PreflightCheck::BackupReadable, false,
            programText(1047) + kLineBreak + backup + kLineBreak + failure.description(), result);
    }
    const QString listRefusal = FilePlacement::refusal(result.files);
    if (!step(PreflightCheck::BackupReadable, listRefusal.isEmpty(),
            listRefusal.isEmpty() ? programText(QStringLiteral("Backup holds %1 file(s): %2 (%3)"))
                                        .arg(result.files.files().size())
                                        .arg(logicalNames(result.files).join(QStringLiteral(", ")),
                                            megabytes(result.files.totalSize()))
                                  : listRefusal + QStringLiteral(": ") + backup,
            result))
        return false;

    const QStringList known = logicalNames(result.files);
    QStringList unknown;
    for (const QString &logical : request.moves.keys()) {
        if (!known.contains(logical))
            unknown.append(logical);
    }
    return step(PreflightCheck::MovesKnown, unknown.isEmpty(),
        unknown.isEmpty()
            ? programText(QStringLiteral("Files placed by hand: %1")).arg(request.moves.size())
            : programText(QStringLiteral("--move names no file of the backup: %1 (its files: %2)"))
                  .arg(unknown.join(QStringLiteral(", ")), known.join(QStringLiteral(", "))),
        result);
}

bool Preflight::checkName(const PreflightRequest &request, const CheckTarget &target, PreflightResult &result)
{
    QString name = trimBlanks(request.databaseName);
    if (name.isEmpty())
        name = proposedDatabaseName(firstDataFile(result.files)).value_or(QString());
    const FolderChoice folders { target.dataFolder, target.logFolder, request.moves };
    result.request = RestoreRequest::fromMoves(
        request.backupFile, name, FilePlacement::place(result.files, name, folders));
    result.request.backupOnServerOnly = !target.local;
    const QString refusal = RestoreNameRule::refusal(name, result.request.newFiles());
    return step(PreflightCheck::NameValid, refusal.isEmpty(),
        refusal.isEmpty() ? programText(QStringLiteral("Database name: ")) + name
            : name.isEmpty()
            ? programText(QStringLiteral("No database name given, and the backup proposes none"))
            : refusal,
        result);
}

bool Preflight::checkDevice(const QString &backup, bool windows, PreflightResult &result)
{
    const QString device = dumpDeviceName(backup);
    const bool reserved = isReservedDeviceName(device);
    if (!step(PreflightCheck::DeviceAllowed, !reserved,
            reserved ? programText(2008) : programText(QStringLiteral("Dump device: ")) + device, result))
        return false;

    // The restore replaces a device of its own name; one of another name on
    // the same file would stop it half-way.
    const auto devices = m_facts.backupDevices();
    QString other;
    for (const ServerFacts::Device &registered : devices.value_or(QList<ServerFacts::Device>())) {
        if (registered.name.compare(device, Qt::CaseInsensitive) != 0
            && registered.physicalName.compare(backup, windows ? Qt::CaseInsensitive : Qt::CaseSensitive)
                == 0)
            other = registered.name;
    }
    return step(PreflightCheck::DeviceFree, devices ? std::optional<bool>(other.isEmpty()) : std::nullopt,
        !devices ? programText(QStringLiteral("The server does not list its dump devices"))
            : other.isEmpty()
            ? programText(QStringLiteral("No other dump device uses the backup file"))
            : programText(QStringLiteral(
                              "The backup file is registered as the dump device %1 already; drop that device "
                              "(EXEC sp_dropdevice '%1') or restore from a copy of the file"))
                  .arg(other),
        result);
}

bool Preflight::checkFolders(const CheckTarget &target, PreflightResult &result)
{
    QStringList folders { target.dataFolder };
    if (target.logFolder != target.dataFolder)
        folders.append(target.logFolder);
    for (const QString &folder : std::as_const(folders)) {
        const std::optional<bool> isFolder = target.files->isFolder(folder);
        if (!step(PreflightCheck::FolderExists, isFolder,
                isFolder == false ? programText(1052) + kLineBreak + folder
                    : isFolder
                    ? programText(QStringLiteral("Folder: ")) + folder
                    : programText(QStringLiteral("The server cannot tell whether the folder exists: "))
                        + folder,
                result))
            return false;
    }

    const auto account = target.local ? ServerAccount::of(m_facts) : std::nullopt;
    QStringList closed;
    for (const QString &folder : std::as_const(folders)) {
        if (account && !account->mayCreateIn(folder))
            closed.append(folder);
    }
    if (!step(PreflightCheck::FolderWritable, account ? std::optional<bool>(closed.isEmpty()) : std::nullopt,
            !account ? programText(
                QStringLiteral("Whether the server's account may write the folder is not known"))
                : closed.isEmpty()
                ? programText(QStringLiteral("The server's account %1 may create files in the folder"))
                      .arg(account->name())
                : programText(QStringLiteral("The server runs as %1, which may not create files in %2"))
                      .arg(account->name(), closed.join(QStringLiteral(", "))),
            result))
        return false;

    QList<std::optional<bool>> free;
    QStringList present;
    for (const QString &file : result.request.newFiles()) {
        const std::optional<bool> exists = target.files->exists(file);
        free.append(exists ? std::optional<bool>(!*exists) : std::nullopt);
        if (exists == true)
            present.append(file);
    }
    if (!step(PreflightCheck::TargetFilesFree, allOf(free),
            !present.isEmpty() ? programText(QStringLiteral("The database's files already exist: "))
                    + present.join(QStringLiteral(", "))
                               : programText(QStringLiteral("New files: %1"))
                                     .arg(result.request.newFiles().join(QStringLiteral(", "))),
            result))
        return false;

    const qint64 needed = spaceNeeded(result.files.totalSize());
    const std::optional<qint64> available = target.files->freeBytes(target.dataFolder);
    return step(PreflightCheck::SpaceAvailable,
        available ? std::optional<bool>(*available >= needed) : std::nullopt,
        available ? programText(QStringLiteral("%1 free in %2, %3 needed"))
                        .arg(megabytes(*available), target.dataFolder, megabytes(needed))
                  : programText(QStringLiteral("The server cannot tell the free space in %1; %2 needed"))
                        .arg(target.dataFolder, megabytes(needed)),
        result);
}

bool Preflight::checkVersions(const QString &backup, PreflightResult &result)
{
    QString backupVersionText;
    QString serverVersionText;
    try {
        backupVersionText = m_run.backupSoftwareVersion(backup);
        serverVersionText = m_run.serverProductVersion();
    } catch (const Failure &failure) {
        if (failure.number() != FailureNumber::ServerStatementError)
            throw;
        return step(PreflightCheck::BackupVersion, false,
            programText(QStringLiteral("Cannot read the versions to compare: ")) + failure.description(),
            result);
    }
    const auto backupVersion = ProductVersion::parse(backupVersionText);
    const auto serverVersion = ProductVersion::parse(serverVersionText);
    if (!backupVersion || !serverVersion)
        return step(PreflightCheck::BackupVersion, false,
            programText(QStringLiteral("Cannot compare versions: backup \"%1\", server \"%2\""))
                .arg(backupVersionText, serverVersionText),
            result);
    const bool newer = backupVersion->compare(*serverVersion, 3) > 0;
    return step(PreflightCheck::BackupVersion, !newer,
        newer ? programText(
            QStringLiteral("The backup was made by server version %1, newer than this server's %2"))
                    .arg(backupVersionText, serverVersionText)
              : programText(QStringLiteral("Backup version %1, server version %2"))
                    .arg(backupVersionText, serverVersionText),
        result);
}

bool Preflight::checkSettingsFile(const PreflightRequest &request, PreflightResult &result)
{
    if (!Platform::current().ordinaryFileExists(request.settingsFile)) {
        result.settingsFileMissing = true;
        return step(PreflightCheck::SettingsWritable, true,
            programText(QStringLiteral("No settings file at %1: nothing will be recorded"))
                .arg(request.settingsFile),
            result);
    }
    // The writer itself answers, by the rules it writes by.
    ConnectionSettings settings = request.settings;
    settings.database = result.request.databaseName;
    const auto refusal = connectionSettingsRefusal(request.settingsFile, settings);
    return step(PreflightCheck::SettingsWritable, !refusal,
        refusal ? programText(QStringLiteral("The settings file cannot be written: %1"))
                      .arg(refusal->numberFirst())
                : programText(QStringLiteral("Settings file: ")) + request.settingsFile,
        result);
}

} // namespace brevane::run
