#pragma once

#include <QString>

namespace brevane::run {

// The checks made before anything on the server or on disk changes, in the order they run.
enum class PreflightCheck {
    BackupPresent,
    BackupReadable, // the server reads it as a backup with a data file and a log file
    NameValid,
    NameFree,
    DeviceAllowed, // the dump device name is not one of the server's own files
    FolderExists,
    TargetFilesFree,
    SpaceAvailable,
    BackupVersion, // the backup is not newer than the server
    SettingsWritable,
    MovesKnown, // every file placed by hand is one of the backup's files
    NotRestoring, // the name is not held by a database a restore left unfinished
    DeviceFree, // no other dump device is registered for the backup file
    FolderWritable, // the account the server runs as may create files in the folder
    ServerPathsGiven, // a server on another machine is given paths it can see
};

// A short English name of the check, for output meant for scripts ("backup-present").
QString preflightCheckKey(PreflightCheck check);

} // namespace brevane::run
