#include "CommandLine.h"

#include <QSysInfo>

namespace standin {

namespace {

bool takeValue(const QStringList &arguments, qsizetype &i, QString *value)
{
    if (i + 1 >= arguments.size())
        return false;
    *value = arguments.at(++i);
    return true;
}

bool parseInt(const QString &text, int minimum, int maximum, int *value)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < minimum || number > maximum)
        return false;
    *value = number;
    return true;
}

Command parseServe(const QStringList &arguments)
{
    ServeOptions options;
    options.settings.serverName = QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0).toUpper();
    if (options.settings.serverName.isEmpty())
        options.settings.serverName = QStringLiteral("STANDIN");
    bool portGiven = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &option = arguments.at(i);
        QString value;
        auto need = [&]() -> bool { return takeValue(arguments, i, &value); };
        if (option == u"--port") {
            int port = 0;
            if (!need() || !parseInt(value, 0, 65535, &port))
                return CommandLineError { QStringLiteral("--port needs a number from 0 to 65535") };
            options.port = quint16(port);
            portGiven = true;
        } else if (option == u"--data-dir") {
            if (!need() || value.isEmpty())
                return CommandLineError { QStringLiteral("--data-dir needs a folder") };
            options.dataDir = value;
        } else if (option == u"--login") {
            if (!need())
                return CommandLineError { QStringLiteral("--login needs NAME:PASSWORD") };
            const qsizetype colon = value.indexOf(QLatin1Char(':'));
            if (colon <= 0)
                return CommandLineError {
                    QStringLiteral("--login needs NAME:PASSWORD, got \"%1\"").arg(value)
                };
            options.settings.logins << LoginAccount { value.left(colon), value.mid(colon + 1) };
        } else if (option == u"--statement-log") {
            if (!need() || value.isEmpty())
                return CommandLineError { QStringLiteral("--statement-log needs a file") };
            options.statementLog = value;
        } else if (option == u"--server-name") {
            if (!need() || value.isEmpty())
                return CommandLineError { QStringLiteral("--server-name needs a name") };
            options.settings.serverName = value;
        } else if (option == u"--fault-silent") {
            options.settings.faults.silent = true;
        } else if (option == u"--fault-drop-after") {
            if (!need() || !parseInt(value, 0, 1000000, &options.settings.faults.dropAfterStatements))
                return CommandLineError { QStringLiteral("--fault-drop-after needs a number of batches") };
        } else if (option == u"--fault-drop-mid-restore") {
            options.settings.faults.dropMidRestore = true;
        } else if (option == u"--fault-delay") {
            if (!need() || !parseInt(value, 0, 3600000, &options.settings.faults.delayMs))
                return CommandLineError { QStringLiteral("--fault-delay needs milliseconds") };
        } else if (option == u"--fault-delay-match") {
            if (!need())
                return CommandLineError { QStringLiteral("--fault-delay-match needs a pattern") };
            options.settings.faults.delayMatch
                = QRegularExpression(value, QRegularExpression::CaseInsensitiveOption);
            if (!options.settings.faults.delayMatch.isValid())
                return CommandLineError { QStringLiteral("--fault-delay-match: %1")
                                              .arg(options.settings.faults.delayMatch.errorString()) };
        } else if (option == u"--help" || option == u"-h") {
            return ShowHelp {};
        } else {
            return CommandLineError { QStringLiteral("unknown option for serve: %1").arg(option) };
        }
    }
    if (!portGiven)
        return CommandLineError { QStringLiteral("serve needs --port (0 picks a free one)") };
    if (options.dataDir.isEmpty())
        return CommandLineError { QStringLiteral("serve needs --data-dir") };
    if (options.settings.logins.isEmpty())
        return CommandLineError { QStringLiteral("serve needs at least one --login NAME:PASSWORD") };
    return options;
}

// LOGICAL=PHYSICAL, optionally followed by :TYPE[:SIZE] for --file.
bool parseFileArgument(const QString &argument, bool withType, BackupFileEntry *entry)
{
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return false;
    entry->logicalName = argument.left(equals);
    QString physical = argument.mid(equals + 1);
    if (withType) {
        // Read from the right: the physical name may hold colons itself (C:\...).
        QStringList pieces = physical.split(QLatin1Char(':'));
        if (pieces.size() < 2)
            return false;
        bool sized = false;
        const qint64 size = pieces.last().toLongLong(&sized);
        if (sized && pieces.size() >= 3 && pieces.at(pieces.size() - 2).size() == 1) {
            if (size < 0)
                return false;
            entry->size = size;
            pieces.removeLast();
        }
        const QString type = pieces.takeLast().toUpper();
        if (type.size() != 1 || !QStringLiteral("DLFS").contains(type))
            return false;
        entry->type = type.at(0);
        if (!sized || entry->size == 0)
            entry->size = BackupFile::defaultSize(entry->type);
        physical = pieces.join(QLatin1Char(':'));
    }
    if (physical.isEmpty())
        return false;
    entry->physicalName = physical;
    return true;
}

Command parseMakeBackup(const QStringList &arguments)
{
    MakeBackupOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &option = arguments.at(i);
        QString value;
        auto need = [&]() -> bool { return takeValue(arguments, i, &value); };
        if (option == u"--data" || option == u"--log") {
            BackupFileEntry entry;
            if (!need() || !parseFileArgument(value, false, &entry))
                return CommandLineError { QStringLiteral("%1 needs LOGICAL=PHYSICAL").arg(option) };
            entry.type = option == u"--data" ? QLatin1Char('D') : QLatin1Char('L');
            entry.size = BackupFile::defaultSize(entry.type);
            options.contents.files << entry;
        } else if (option == u"--file") {
            BackupFileEntry entry;
            if (!need() || !parseFileArgument(value, true, &entry))
                return CommandLineError { QStringLiteral(
                    "--file needs LOGICAL=PHYSICAL:TYPE[:SIZE], TYPE one of D L F S") };
            options.contents.files << entry;
        } else if (option == u"--database") {
            if (!need() || value.isEmpty())
                return CommandLineError { QStringLiteral("--database needs a name") };
            options.contents.databaseName = value;
        } else if (option == u"--help" || option == u"-h") {
            return ShowHelp {};
        } else if (option.startsWith(QLatin1String("--"))) {
            return CommandLineError { QStringLiteral("unknown option for make-backup: %1").arg(option) };
        } else if (options.file.isEmpty()) {
            options.file = option;
        } else {
            return CommandLineError { QStringLiteral("make-backup takes one FILE, got also %1").arg(option) };
        }
    }
    if (options.file.isEmpty())
        return CommandLineError { QStringLiteral("make-backup needs a FILE") };
    if (options.contents.files.isEmpty())
        return CommandLineError { QStringLiteral("make-backup needs at least one --data, --log or --file") };
    if (options.contents.databaseName.isEmpty()) {
        // The database is named after its first data file, without a "_Data" ending.
        QString name = options.contents.files.first().logicalName;
        for (const BackupFileEntry &entry : std::as_const(options.contents.files)) {
            if (entry.type == QLatin1Char('D')) {
                name = entry.logicalName;
                break;
            }
        }
        if (name.endsWith(QLatin1String("_Data"), Qt::CaseInsensitive) && name.size() > 5)
            name.chop(5);
        options.contents.databaseName = name;
    }
    return options;
}

} // namespace

Command parseCommandLine(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return CommandLineError { QStringLiteral("no command given") };
    const QString &command = arguments.first();
    if (command == u"--help" || command == u"-h" || command == u"help")
        return ShowHelp {};
    if (command == u"serve")
        return parseServe(arguments);
    if (command == u"make-backup")
        return parseMakeBackup(arguments);
    return CommandLineError { QStringLiteral("unknown command: %1").arg(command) };
}

QString helpText()
{
    return QStringLiteral(
        "sqlserver-standin: a stand-in for Microsoft SQL Server, for tests and demonstrations.\n"
        "\n"
        "It speaks SQL Server's wire protocol (TDS 7.4, no encryption) on 127.0.0.1 and answers exactly the\n"
        "statements the provisioning program sends, with SQL Server's messages. It stores no data and runs\n"
        "no other SQL: databases are catalogue entries with placeholder files, backups are file lists.\n"
        "\n"
        "Usage:\n"
        "  sqlserver-standin serve --port P --data-dir D --login NAME:PASSWORD [--login ...] [options]\n"
        "  sqlserver-standin make-backup FILE --data LOGICAL=PHYSICAL --log LOGICAL=PHYSICAL\n"
        "                                [--file LOGICAL=PHYSICAL:TYPE[:SIZE] ...] [--database NAME]\n"
        "  sqlserver-standin --help\n"
        "\n"
        "serve\n"
        "  Listens on 127.0.0.1 only. The first line of standard output is the port number alone; then it\n"
        "  serves until SIGTERM or SIGINT.\n"
        "  --port P                 port to listen on; 0 picks a free one\n"
        "  --data-dir D             folder of the catalogue (catalogue.json: databases, backup devices);\n"
        "                           created when missing, kept across restarts, relative paths in\n"
        "                           statements are taken from here\n"
        "  --login NAME:PASSWORD    a SQL login; split at the first colon, so the password may hold colons.\n"
        "                           Names compare case-insensitively, passwords exactly. Repeatable.\n"
        "  --server-name NAME       server name in messages (default: the host name)\n"
        "  --statement-log FILE     append every batch received, one JSON string per line\n"
        "\n"
        "  Faults, for tests:\n"
        "  --fault-silent           accept connections but never answer, not even the PRELOGIN\n"
        "  --fault-drop-after N     answer N batches on each connection, then close it on receiving the "
        "next\n"
        "  --fault-drop-mid-restore close the connection during RESTORE DATABASE, right after the first\n"
        "                           \"Processed ... pages\" message; the restore is undone\n"
        "  --fault-delay MS         wait MS milliseconds before answering each batch; an attention (cancel)\n"
        "                           during the wait is acknowledged and the batch is not run\n"
        "  --fault-delay-match RE   with --fault-delay: delay only batches matching this regular expression\n"
        "                           (case-insensitive)\n"
        "\n"
        "Statements understood (keywords in any case, blanks and comments anywhere):\n"
        "  SELECT columns FROM master.dbo.sysdatabases | master.dbo.sysdevices [WHERE conditions]\n"
        "  IF [NOT] EXISTS (SELECT ...) statement [ELSE statement]\n"
        "  EXEC sp_addumpdevice 'disk', 'NAME', 'PATH'      EXEC sp_dropdevice 'NAME' [, 'delfile']\n"
        "  RESTORE FILELISTONLY FROM DISK = 'PATH' | device\n"
        "  RESTORE DATABASE name FROM device | DISK = 'PATH' [WITH MOVE 'logical' TO 'path', ...]\n"
        "  Anything else gets the error SQL Server would give for bad syntax, or error 50000 saying that\n"
        "  the stand-in does not run it.\n"
        "\n"
        "make-backup\n"
        "  Writes a stand-in backup file: a header line and the list of the database's files, in the order\n"
        "  given. Physical names are recorded as given (Windows paths are fine). TYPE is D (data), L (log),\n"
        "  F or S; SIZE in bytes. The database name defaults to the first data file's logical name without\n"
        "  a \"_Data\" ending. Any other file is \"not a backup\" to the server.\n");
}

} // namespace standin
