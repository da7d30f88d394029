#pragma once

#include <QString>

namespace brevane {

// Texts shared by all of the program's windows and routines.
// The statement last sent to the server.
inline QString strSqlText;
// Full path of the template backup file.
inline QString strBackupFile;

} // namespace brevane
