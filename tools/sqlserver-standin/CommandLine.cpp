#include "CommandLine.h"

#include "CodePage.h"

#include <QFile>
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

// NAME:PASSWORD, split at the first colon.
std::optional<LoginAccount> parseLogin(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    return LoginAccount { text.left(colon), text.mid(colon + 1) };
}

// One NAME:PASSWORD a line (UTF-8); blank lines are skipped, a line's CR LF or LF is not part of it.
std::optional<CommandLineError> readLoginFile(const QString &path, QList<LoginAccount> *logins)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return CommandLineError {
            QStringLiteral("--login-file: cannot read %1: %2").arg(path, file.errorString())
        };
    const QList<QByteArray> lines = file.readAll().split('\n');
    int number = 0;
    bool any = false;
    for (QByteArray line : lines) {
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const std::optional<LoginAccount> login = parseLogin(QString::fromUtf8(line));
        if (!login) // the line is not quoted: it may hold a password
            return CommandLineError {
                QStringLiteral("--login-file: line %1 of %2 is not NAME:PASSWORD").arg(number).arg(path)
            };
        *logins << *login;
        any = true;
    }
    if (!any)
        return CommandLineError { QStringLiteral("--login-file: %1 holds no NAME:PASSWORD line").arg(path) };
    return std::nullopt;
}

std::optional<ServerVersion> parseVersion(const QString &text)
{
    return ServerVersion::parse(text);
}

Command parseServe(const QStringList &arguments)
{
    ServeOptions options;
    options.settings.serverName = QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0).toUpper();
    if (options.settings.serverName.isEmpty())
        options.settings.serverName = QStringLiteral("STANDIN");
    const QString hostName = options.settings.serverName;
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
            const std::optional<LoginAccount> login = parseLogin(value);
            if (!login)
                return CommandLineError {
                    QStringLiteral("--login needs NAME:PASSWORD, got \"%1\"").arg(value)
                };
            options.settings.logins << *login;
        } else if (option == u"--login-file") {
            if (!need() || value.isEmpty())
                return CommandLineError { QStringLiteral("--login-file needs a file") };
            if (const auto error = readLoginFile(value, &options.settings.logins))
                return *error;
        } else if (option == u"--server-version") {
            const std::optional<ServerVersion> version = need() ? parseVersion(value) : std::nullopt;
            if (!version)
                return CommandLineError { QStringLiteral(
                    "--server-version needs MAJOR.MINOR.BUILD[.REVISION]") };
            options.settings.version = *version;
        } else if (option == u"--code-page") {
            int codePage = 0;
            if (!need() || !parseInt(value, 1, 65535, &codePage) || !isSupportedCodePage(codePage))
                return CommandLineError { QStringLiteral(
                    "--code-page needs a code page this system can convert to, such as 1252") };
            options.settings.codePage = codePage;
        } else if (option == u"--statement-log") {
            if (!need() || value.isEmpty())
                return CommandLineError { QStringLiteral("--statement-log needs a file") };
            options.statementLog = value;
        } else if (option == u"--server-name") {
            if (!need() || value.isEmpty())
                return CommandLineError { QStringLiteral("--server-name needs a name") };
            options.settings.serverName = value;
        } else if (option == u"--machine-name") {
            if (!need() || value.isEmpty())
                return CommandLineError { QStringLiteral("--machine-name needs a name") };
            options.settings.host.machineName = value;
        } else if (option == u"--platform") {
            if (!need() || (value != u"linux" && value != u"windows"))
                return CommandLineError { QStringLiteral("--platform needs linux or windows") };
            options.settings.host.platform
                = value == u"windows" ? HostProfile::Platform::Windows : HostProfile::Platform::Linux;
        } else if (option == u"--service-account") {
            if (!need())
                return CommandLineError { QStringLiteral(
                    "--service-account needs a name (or '' to refuse)") };
            options.settings.host.serviceAccount = value;
        } else if (option == u"--no-default-paths") {
            options.settings.host.defaultPaths = false;
        } else if (option == u"--fault-leave-restoring") {
            options.settings.host.leaveRestoring = true;
        } else if (option == u"--max-connections") {
            if (!need() || !parseInt(value, 1, 100000, &options.limits.maxConnections))
                return CommandLineError { QStringLiteral(
                    "--max-connections needs a number from 1 to 100000") };
        } else if (option == u"--logon-timeout" || option == u"--send-timeout") {
            int *timeout = option == u"--logon-timeout" ? &options.limits.logonTimeoutMs
                                                        : &options.limits.sendTimeoutMs;
            if (!need() || !parseInt(value, 1, 3600000, timeout))
                return CommandLineError { QStringLiteral("%1 needs milliseconds").arg(option) };
        } else if (option == u"--certificate" || option == u"--key") {
            if (!need() || value.isEmpty())
                return CommandLineError { QStringLiteral("%1 needs a PEM file").arg(option) };
            (option == u"--key" ? options.keyFile : options.certificateFile) = value;
        } else if (option == u"--force-encryption") {
            options.settings.forceEncryption = true;
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
    if (options.settings.host.machineName.isEmpty())
        options.settings.host.machineName = hostName;
    if (!portGiven)
        return CommandLineError { QStringLiteral("serve needs --port (0 picks a free one)") };
    if (options.dataDir.isEmpty())
        return CommandLineError { QStringLiteral("serve needs --data-dir") };
    if (options.certificateFile.isEmpty() != options.keyFile.isEmpty())
        return CommandLineError { QStringLiteral("--certificate and --key go together") };
    if (options.settings.logins.isEmpty())
        return CommandLineError { QStringLiteral(
            "serve needs at least one --login NAME:PASSWORD or --login-file FILE") };
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
    bool databaseVersionGiven = false;
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
        } else if (option == u"--server-version") {
            const std::optional<ServerVersion> version = need() ? parseVersion(value) : std::nullopt;
            if (!version)
                return CommandLineError { QStringLiteral(
                    "--server-version needs MAJOR.MINOR.BUILD[.REVISION]") };
            options.contents.softwareVersion = *version;
            if (!databaseVersionGiven)
                options.contents.databaseVersion = version->databaseVersion();
        } else if (option == u"--no-checksum") {
            options.contents.hasChecksums = false;
        } else if (option == u"--database-version") {
            if (!need() || !parseInt(value, 1, 100000, &options.contents.databaseVersion))
                return CommandLineError { QStringLiteral("--database-version needs a number") };
            databaseVersionGiven = true;
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
        "It speaks SQL Server's wire protocol (TDS 7.4, with TLS) on 127.0.0.1 and answers the statements\n"
        "the provisioning program sends, the session options and sp_executesql calls common clients send,\n"
        "with SQL Server's messages. It stores no data: databases are catalogue entries with placeholder\n"
        "files, backups are file lists. Any other statement gets error 50000 naming what it does not run.\n"
        "\n"
        "Usage:\n"
        "  sqlserver-standin serve --port P --data-dir D (--login-file FILE | --login NAME:PASSWORD)...\n"
        "                          [options]\n"
        "  sqlserver-standin make-backup FILE --data LOGICAL=PHYSICAL --log LOGICAL=PHYSICAL\n"
        "                                [--file LOGICAL=PHYSICAL:TYPE[:SIZE] ...] [--database NAME]\n"
        "                                [--server-version VERSION] [--database-version N] [--no-checksum]\n"
        "  sqlserver-standin --help | --version\n"
        "\n"
        "Options:\n"
        "serve\n"
        "  Listens on 127.0.0.1 only. The first line of standard output is the port number alone; then it\n"
        "  serves until SIGTERM or SIGINT.\n"
        "  --port P                 port to listen on; 0 picks a free one\n"
        "  --data-dir D             folder of the catalogue (catalogue.json: databases, backup devices);\n"
        "                           created when missing, kept across restarts, relative paths in\n"
        "                           statements are taken from here\n"
        "  --login-file FILE        SQL logins, one NAME:PASSWORD a line (UTF-8; blank lines skipped), so\n"
        "                           no password shows in the process list. Repeatable.\n"
        "  --login NAME:PASSWORD    a SQL login on the command line (other users can read it there).\n"
        "                           Split at the first colon, so the password may hold colons. Names\n"
        "                           compare case-insensitively, passwords exactly. Repeatable.\n"
        "  --server-name NAME       server name in messages (default: the host name)\n"
        "  --machine-name NAME      SERVERPROPERTY('MachineName') (default: the host name)\n"
        "  --platform linux|windows the operating system it plays (default linux): @@VERSION, the form of\n"
        "                           the paths it answers. With windows a path X:\\a\\b lies in "
        "D/drives/X/a/b\n"
        "                           (a drive's folder is made when a path names it) and its data folder is\n"
        "                           C:\\SQLData\\; with linux paths are this machine's and its data folder "
        "is D\n"
        "  --service-account NAME   sys.dm_server_services' service_account (default: the user it runs as);\n"
        "                           '' refuses that view with error 297, as to a login without the right\n"
        "  --no-default-paths       SERVERPROPERTY('InstanceDefaultDataPath') and ...LogPath answer NULL\n"
        "                           (default: the data folder, with a trailing separator)\n"
        "  --server-version VERSION the server's version, MAJOR.MINOR.BUILD[.REVISION] (default\n"
        "                           15.0.2000.5): SERVERPROPERTY('ProductVersion'), the log-on answer,\n"
        "                           and the newest backup it restores (3169 for a newer one)\n"
        "  --code-page N            code page of the server's collation (default 1252): a string literal\n"
        "                           without N is converted through it, so characters it lacks become ?\n"
        "  --statement-log FILE     append every batch received, one JSON string per line; an attention\n"
        "                           (cancel) from a client adds the line {\"attention\":true}, and a\n"
        "                           line on standard error (once between two batches, however many come)\n"
        "\n"
        "  Limits (each session runs on its own; none waits for another's client):\n"
        "  --max-connections N      connections open at once (default 256); a further one is closed at\n"
        "                           once, and standard error says so\n"
        "  --logon-timeout MS       close a connection that has not logged on within MS milliseconds\n"
        "                           (default 30000); logged-on sessions may stay idle\n"
        "  --send-timeout MS        close a connection whose client leaves a packet of an answer untaken\n"
        "                           for MS milliseconds (default 30000)\n"
        "  Pre-login and log-on messages over 64 KiB, and batches over 64 MiB, close the connection.\n"
        "  When accepting fails (no file descriptors left), it pauses before each retry, up to a second.\n"
        "                           line on standard error. A remote procedure call is a JSON object:\n"
        "                           its statement, its parameters' names and types, never their values\n"
        "  --certificate FILE       TLS certificate (chain), PEM; with --key. Without them a self-signed\n"
        "  --key FILE               certificate is made at each start and kept in memory only\n"
        "  --force-encryption       encrypt every connection; a client that cannot is refused. Otherwise a\n"
        "                           client asking for encryption gets it throughout, one leaving it off\n"
        "                           gets its log-on packet encrypted (as a server with a certificate does)\n"
        "\n"
        "  Faults, for tests:\n"
        "  --fault-silent           accept connections but never answer, not even the PRELOGIN (they are\n"
        "                           closed at the log-on time-out)\n"
        "  --fault-drop-after N     answer N batches on each connection, then close it on receiving the "
        "next\n"
        "  --fault-drop-mid-restore close the connection during RESTORE DATABASE, right after the first\n"
        "                           \"Processed ... pages\" message; the restore is undone\n"
        "  --fault-leave-restoring  a restore that is cancelled, loses its connection or fails after making\n"
        "                           its files leaves the database RESTORING, files kept, not undone\n"
        "  --fault-delay MS         wait MS milliseconds before answering each batch; an attention (cancel)\n"
        "                           during the wait is acknowledged and the batch is not run. A RESTORE\n"
        "                           DATABASE WITH STATS spreads the wait over its progress messages\n"
        "                           instead, each sent as it comes; an attention then stops the restore\n"
        "                           and undoes it\n"
        "  --fault-delay-match RE   with --fault-delay: delay only batches matching this regular expression\n"
        "                           (case-insensitive)\n"
        "\n"
        "Statements understood (keywords in any case, blanks and comments anywhere):\n"
        "  SELECT columns FROM master.dbo.sysdatabases | master.dbo.sysdevices | sys.databases |\n"
        "         sys.master_files | sys.backup_devices | sys.dm_server_services [AS alias]\n"
        "         [CROSS APPLY sys.dm_os_volume_stats(database_id, file_id) [AS alias]] [WHERE conditions]\n"
        "         (conditions may call DB_ID(N'name') and DB_NAME(id))\n"
        "  SELECT SERVERPROPERTY('ProductVersion'), @@VERSION, ... [AS alias], also in CAST or CONVERT\n"
        "  IF [NOT] EXISTS (SELECT ...) | condition  statement [ELSE statement]\n"
        "  RAISERROR(N'text', severity, state [, argument ...])   DROP DATABASE [IF EXISTS] name\n"
        "  ALTER DATABASE name SET OFFLINE | ONLINE\n"
        "  EXEC master.dbo.xp_fileexist N'PATH'    EXEC master.dbo.xp_fixeddrives (no drives on linux)\n"
        "  EXEC sp_addumpdevice 'disk', 'NAME', 'PATH'      EXEC sp_dropdevice 'NAME' [, 'delfile']\n"
        "  RESTORE FILELISTONLY | HEADERONLY | VERIFYONLY FROM DISK = 'PATH' | device\n"
        "          [WITH CHECKSUM | NO_CHECKSUM]\n"
        "  RESTORE DATABASE name FROM device | DISK = 'PATH' [WITH MOVE 'logical' TO 'path', ...\n"
        "                                                     [, STATS [= n]] [, CHECKSUM]]\n"
        "  Anything else gets the error SQL Server would give for bad syntax, or error 50000 saying that\n"
        "  the stand-in does not run it.\n"
        "  catalogue.json is replaced as a whole. When it cannot be saved (a full disk) the change is\n"
        "  undone and the statement fails: sp_addumpdevice and sp_dropdevice with 1105, RESTORE DATABASE\n"
        "  with 3634 (operating system error 112) and 3013, its new files removed. A restore claims its\n"
        "  name and files as it starts: meanwhile another restore of the name gets 3101, of a file 1834.\n"
        "  SET session options (ANSI_NULLS, QUOTED_IDENTIFIER, TEXTSIZE, DATEFORMAT, LANGUAGE us_english,\n"
        "      TRANSACTION ISOLATION LEVEL, ...); SET NOCOUNT ON takes row counts out of the answers\n"
        "  sp_executesql calls (RPC): their statement runs with their parameters bound; a procedure called\n"
        "      by name runs as EXEC. sp_prepare, sp_execute and OUTPUT parameters are refused (50000)\n"
        "  Bad syntax gets SQL Server's error for it (102, 105, 156, ...); valid SQL it does not run, and\n"
        "  options that would change answers it cannot give (SET NOEXEC ON, ...), get error 50000.\n"
        "\n"
        "make-backup\n"
        "  Writes a stand-in backup file (making its folders as needed): a header line and the list of the\n"
        "  database's files, in the order given. Physical names are recorded as given (Windows paths are\n"
        "  fine). TYPE is D (data), L (log), F or S; SIZE in bytes. The database name defaults to the\n"
        "  first data file's logical name without a \"_Data\" ending. --server-version (default\n"
        "  15.0.2000.5) is the version RESTORE HEADERONLY reports as the one that made the backup;\n"
        "  --database-version overrides the database version that goes with it (904 for 15, 957 for 16).\n"
        "  Any other file is \"not a backup\" to the server.\n"
        "  After the file list come a few pages of made-up data and a checksum line over everything\n"
        "  before it (--no-checksum leaves the checksum out). A changed byte in the data pages or at the\n"
        "  end of the file keeps it a backup: with the checksum, VERIFYONLY reports damage (3189) and\n"
        "  RESTORE DATABASE fails (3183); without it both pass it, as a server does. A file cut short\n"
        "  fails both with 3203.\n"
        "\n"
        "Exit status:\n"
        "  0  served until stopped, help or version shown, backup written\n"
        "  1  the server could not start or the backup could not be written\n"
        "  2  usage error\n");
}

} // namespace standin
