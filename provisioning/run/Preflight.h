#pragma once

#include "BackupFileList.h"
#include "PreflightCheck.h"
#include "RestoreRequest.h"

#include <QString>

#include <functional>
#include <optional>

namespace brevane {

class ProvisioningRun;

// What the checks look at.
struct PreflightRequest
{
    QString backupFile;
    QString databaseName; // empty: the name the backup proposes
    QString folder; // where the database's files go
    QString settingsFile; // checked only when checkSettings is true and the file exists
    bool checkSettings = true;
};

// One check that ran: passed, or the refusal with its message.
struct PreflightStep
{
    PreflightCheck check;
    bool passed = false;
    QString text; // what was found (passed) or why it refuses
};

struct PreflightResult
{
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
    bool step(PreflightCheck check, bool passed, const QString &text, PreflightResult &result);
    std::optional<QString> settingsProblem(const QString &settingsFile) const;

    ProvisioningRun &m_run;
    std::function<void(const PreflightStep &)> m_observer;
};

} // namespace brevane
