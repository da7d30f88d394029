#pragma once

#include "PreflightCheck.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace brevane::provision {

// What a run did, for the JSON object --json prints at the end. It never
// holds the password.
struct RunReport
{
    struct Check
    {
        QString key;
        bool passed = false;
        QString text;
        bool made = true; // false: the check could not be made ("passed": null)
    };

    QString outcome = QStringLiteral("failed"); // created, checked, refused, usage-error, logon-failed,
    // server-unreachable, timeout, server-failure, settings-not-written, cancelled, failed
    int exitCode = 0;
    bool dryRun = false;
    QString server;
    QString user;
    QString database;
    bool serverIsLocal = true;
    QString backupFile;
    QString dataFile;
    QString logFile;
    QStringList newFiles; // every new file, data file first
    QString settingsFile;
    bool settingsWritten = false;
    QString settingsReason; // why not written: "missing"; empty otherwise
    QList<Check> checks;
    QStringList statements; // every statement sent, in order
    QStringList restoreStatements; // the statements the restore sends (with --dry-run: would send)
    QStringList serverMessages;
    QString error;
    QString state; // what is left behind after a failure or a cancel
    double elapsedSeconds = 0;
    bool changed = false; // the run changed the server or the settings file (a dry run: would change)
    QString message; // the last word of the run, for a person
    QJsonObject administration; // what --verify, --script, --ensure and --receipt add

    QJsonObject toJson() const;
};

} // namespace brevane::provision
