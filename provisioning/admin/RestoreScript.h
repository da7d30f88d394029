#pragma once

#include "BackupVerification.h"

#include <QString>
#include <QStringList>

namespace brevane::admin {

// What the script's header tells the operator.
struct ScriptHeader
{
    QString server;
    QString user; // the login the settings are to name
    QString backupFile;
    BackupHeaderFacts backup;
    QStringList newFiles;
    QString settingsFile; // where the six entries belong
};

// A sqlcmd script of a restore for an operator to review and run with
// `sqlcmd -b -i FILE`: a header comment, ":on error exit", the guard that
// stops it when the database exists, then the run's changing statements,
// each a batch ended by GO. It never holds the password.
class RestoreScript
{
public:
    // `restoreStatements` as the run sends them; the first, the run's own
    // existence query, gives way to the guard.
    static QString compose(
        const ScriptHeader &header, const QString &databaseName, const QStringList &restoreStatements);
};

} // namespace brevane::admin
