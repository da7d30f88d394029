#pragma once

#include "AdminOptions.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace brevane::provision {

// Where the password comes from: never the command line.
enum class PasswordSource { Terminal, StandardInput, File };

// The command line of brevane-provision, with the defaults filled in.
struct ProvisionOptions
{
    QString server = QStringLiteral(".");
    QString user = QStringLiteral("sa");
    QString database; // empty: the name the backup proposes
    QString folder;
    QString dataFolder; // empty: folder
    QString logFolder; // empty: folder
    QMap<QString, QString> moves; // --move LOGICAL=PATH
    QString backupFile;
    bool backupGiven = false; // named with --backup
    std::optional<bool> serverIsLocal; // --server-is-local / --server-is-remote
    QString settingsFile;
    bool settingsExplicit = false; // named with --settings: it must exist
    bool writeSettings = true;
    bool dryRun = false;
    bool progress = false;
    bool json = false;
    QString logFile;
    PasswordSource passwordSource = PasswordSource::Terminal;
    QString passwordFile;
    int loginTimeout = 15; // seconds; 0 waits for ever
    int queryTimeout = 180;
    int restoreTimeout = 180;
    AdminOptions admin;
};

struct ShowText
{
    QString text; // --help or --version: printed, exit 0
};
struct UsageError
{
    QString message;
};

using ParsedCommandLine = std::variant<ProvisionOptions, ShowText, UsageError>;

// Parses the arguments (without the program name). programFolder gives the
// defaults of --backup and --settings, beside the program's folder as the
// window has them.
ParsedCommandLine parseCommandLine(const QStringList &arguments, const QString &programFolder);

// The --help text, exit codes included.
QString helpText();

} // namespace brevane::provision
