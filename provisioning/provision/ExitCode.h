#pragma once

#include "PreflightCheck.h"

namespace brevane::provision {

// How brevane-provision ends; scripts test these.
namespace ExitCode {
constexpr int Created = 0; // also a dry run whose checks all passed
constexpr int Unexpected = 1;
constexpr int Usage = 2;
constexpr int LogonFailed = 3; // the server refused the log-on
constexpr int ServerFailure = 4; // the server or the link failed while checking or restoring
constexpr int SettingsNotWritten = 5; // the database exists, the settings file was not updated
constexpr int Cancelled = 6;
constexpr int ServerUnreachable = 7; // no answer to the log-on within the log-on time-out
constexpr int Timeout = 8; // a statement ran out of time
// A refused check: 10 plus the check's number (a file placed by hand that
// the backup does not hold is a usage error).
constexpr int FirstRefusal = 10;
constexpr int BackupDamaged = 30; // the server's verification refused the backup
constexpr int UndoRefused = 31; // not everything is as the receipt says

} // namespace ExitCode

int exitCodeFor(run::PreflightCheck refused);

} // namespace brevane::provision
