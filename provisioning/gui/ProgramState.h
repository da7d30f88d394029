#pragma once

#include <QString>

namespace brevane {

// Texts shared by all of the program's windows and routines.
// The statement being sent to the server; each routine builds its statement here and runs it from here.
inline QString strSqlText;
// Full path of the template backup file.
inline QString strBackupFile;

} // namespace brevane
