#pragma once

#include "BackupFile.h"
#include "ConnectionLimits.h"
#include "Session.h"

#include <QString>
#include <QStringList>

#include <variant>

namespace standin {

struct ServeOptions
{
    quint16 port = 0;
    QString dataDir;
    QString statementLog;
    QString certificateFile; // PEM; empty: a self-signed certificate made at start
    QString keyFile;
    SessionSettings settings;
    ConnectionLimits limits;
};

struct MakeBackupOptions
{
    QString file;
    BackupContents contents;
};

struct ShowHelp
{
};

struct CommandLineError
{
    QString message;
};

using Command = std::variant<ServeOptions, MakeBackupOptions, ShowHelp, CommandLineError>;

// Reads the arguments after the program name.
Command parseCommandLine(const QStringList &arguments);
QString helpText();

} // namespace standin
