#include "PreflightCheck.h"

namespace brevane::run {

QString preflightCheckKey(PreflightCheck check)
{
    switch (check) {
    case PreflightCheck::BackupPresent:
        return QStringLiteral("backup-present");
    case PreflightCheck::BackupReadable:
        return QStringLiteral("backup-readable");
    case PreflightCheck::NameValid:
        return QStringLiteral("name-valid");
    case PreflightCheck::NameFree:
        return QStringLiteral("name-free");
    case PreflightCheck::DeviceAllowed:
        return QStringLiteral("device-allowed");
    case PreflightCheck::FolderExists:
        return QStringLiteral("folder-exists");
    case PreflightCheck::TargetFilesFree:
        return QStringLiteral("target-files-free");
    case PreflightCheck::SpaceAvailable:
        return QStringLiteral("space-available");
    case PreflightCheck::BackupVersion:
        return QStringLiteral("backup-version");
    case PreflightCheck::SettingsWritable:
        return QStringLiteral("settings-writable");
    case PreflightCheck::MovesKnown:
        return QStringLiteral("moves-known");
    case PreflightCheck::NotRestoring:
        return QStringLiteral("not-restoring");
    case PreflightCheck::DeviceFree:
        return QStringLiteral("device-free");
    case PreflightCheck::FolderWritable:
        return QStringLiteral("folder-writable");
    case PreflightCheck::ServerPathsGiven:
        return QStringLiteral("server-paths-given");
    }
    return {};
}

} // namespace brevane::run
