#pragma once

#include "BackupFileList.h"
#include "CheckTarget.h"
#include "ConnectionSettingsFile.h"
#include "PreflightCheck.h"
#include "RestoreRequest.h"
#include "ServerFacts.h"

#include <QMap>
#include <QString>

#include <functional>
#include <optional>

namespace brevane::run {

class ProvisioningRun;

// What the checks look at.
struct PreflightRequest
{
    QString backupFile;
    QString databaseName; // empty: the name the backup proposes
    QString folder; // where the database's files go (its data files, with logFolder set)
    QString settingsFile; // checked only when checkSettings is true and the file exists
    bool checkSettings = true;
    QString logFolder; // empty: the log files go into `folder` as well
    QMap<QString, QString> moves; // logical name -> path of the files placed by hand
    ConnectionSettings settings; // what the settings file is to record (the database name is settled here)
    std::optional<bool> serverIsLocal; // nullopt: from the server's address and machine name
    bool backupGiven = true; // false: the default backup beside the program, which a remote server cannot see
};

// One check that ran: passed, or the refusal with its message.
struct PreflightStep
{
    PreflightCheck check;
    bool passed = false;
    QString text; // what was found (passed) or why it refuses
    bool made = true; // false: the check could not be made (neither passed nor refused)
};

struct PreflightResult
{
    bool settingsFileMissing = false; // the settings file is not there: nothing will be recorded
    bool serverIsLocal = true;
    std::optional<PreflightStep> refusal; // nullopt when every check passed
    RestoreRequest request; // the restore the checks cleared (name settled, files placed)
    BackupFileList files;
};

// Checks, before anything changes, that a restore can succeed: the backup,
// the name, the device, the folder, the target files, the space, the
// versions and the settings file. Stops at the first refusal. Reads the
// server through the run (file list, existence query, header, version);
// failures of the server or the link itself are thrown.
class Preflight
{
public:
    // Room asked for beyond the sizes the backup reports: a tenth more, and
    // at least this much, for the server's own growth while it restores.
    static constexpr qint64 minimumSpareBytes = 64 * 1024 * 1024;
    static qint64 spaceNeeded(qint64 reportedBytes);

    explicit Preflight(ProvisioningRun &run);

    void setStepObserver(std::function<void(const PreflightStep &)> observer);
    PreflightResult run(const PreflightRequest &request);

private:
    // Reports a check; false when it refused. A check not made (nullopt) does not stop the run.
    bool step(PreflightCheck check, std::optional<bool> passed, const QString &text, PreflightResult &result);
    bool checkBackup(const PreflightRequest &request, FileSystemView &files, PreflightResult &result);
    bool checkName(const PreflightRequest &request, const CheckTarget &target, PreflightResult &result);
    bool checkDevice(const QString &backup, bool windows, PreflightResult &result);
    bool checkFolders(const CheckTarget &target, PreflightResult &result);
    bool checkVersions(const QString &backup, PreflightResult &result);
    bool checkSettingsFile(const PreflightRequest &request, PreflightResult &result);

    ProvisioningRun &m_run;
    ServerFacts m_facts;
    std::function<void(const PreflightStep &)> m_observer;
};

} // namespace brevane::run
