#pragma once

#include <QString>

namespace brevane {

// The texts the window's handlers and the backup chooser share.
struct ProgramState
{
    // The statement last sent to the server: every statement is assembled
    // by the run and passes through here on its way to the server.
    QString strSqlText;
    // Full path of the template backup file (the chooser's outcome lands here).
    QString strBackupFile;
};

} // namespace brevane
