#include "ProvisionOptions.h"

#include "AdminOptions.h"
#include "ProgramTexts.h"
#include "ProvisioningRun.h"
#include "ServerLocation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

namespace brevane::provision {

using namespace brevane::run;

namespace {

// An option that would carry the password on the command line, where other
// users of the machine can read it.
bool carriesPassword(const QString &argument)
{
    const QString name = argument.section(QLatin1Char('='), 0, 0);
    if (name == u"--password-stdin" || name == u"--password-file")
        return false;
    return name == u"-P" || name == u"-p" || name.startsWith(u"--password") || name == u"--pwd"
        || argument.startsWith(u"-P");
}

// A path the server is sent as the user meant it: relative to the working
// folder of this program. A path in a Windows server's form is left as written.
QString absolute(const QString &path)
{
    static const QRegularExpression windowsForm(QStringLiteral("^([A-Za-z]:|\\\\)"));
    if (path.isEmpty() || QDir::isAbsolutePath(path) || windowsForm.match(path).hasMatch())
        return path;
    return QDir::current().absoluteFilePath(path);
}

bool parseSeconds(const QString &text, int *seconds)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0)
        return false;
    *seconds = value;
    return true;
}

} // namespace

QString helpText()
{
    return QStringLiteral(
        "Usage: brevane-provision --folder DIR [options]\n"
        "       brevane-provision --undo RECEIPT [--yes] [password option]\n"
        "Creates the product's database by restoring the template backup under a new\n"
        "name, after checking that the restore can succeed, and records the\n"
        "connection in the settings file.\n"
        "\n"
        "  --server S          SQL Server to log on to (default \".\", this machine)\n"
        "  --user U            SQL Server login (default \"sa\")\n"
        "  --password-stdin    read the password from the first line of standard input\n"
        "  --password-file F   read the password from the first line of file F\n"
        "                      (without either, the password is asked for on the\n"
        "                      terminal without echo; it is never taken as an argument)\n"
        "  --database NAME     name of the new database (default: the name the backup\n"
        "                      proposes, its logical data file name without \"_Data\")\n"
        "  --folder DIR        existing folder for the database's files: required for\n"
        "                      a server on this machine (unless --data-folder and\n"
        "                      --log-folder are both given); for a server on another\n"
        "                      machine a folder there, by default the server's default\n"
        "                      data and log folders\n"
        "  --data-folder DIR   folder for the data files (default: --folder)\n"
        "  --log-folder DIR    folder for the log files (default: --folder)\n"
        "  --move LOGICAL=PATH put the backup's file LOGICAL at PATH (repeatable; a name\n"
        "                      the backup does not hold is a usage error)\n"
        "  --backup FILE       backup to restore (default DB/rivazadUZ.Bak beside the\n"
        "                      program's folder); for a server on another machine\n"
        "                      required, a path the server reads\n"
        "  --server-is-local, --server-is-remote\n"
        "                      whether the server runs on this machine (default: so when\n"
        "                      --server is \".\", \"(local)\", \"localhost\" or a loopback\n"
        "                      address, or the server's machine name is this host's);\n"
        "                      paths are checked here for a local server, through the\n"
        "                      server otherwise\n"
        "  --settings FILE     settings file to update, which must exist (default\n"
        "                      Connect.sys in the parent folder of the program's folder,\n"
        "                      skipped with a note when missing); no file is created\n"
        "  --no-settings       do not check or write the settings file\n"
        "  --dry-run           run the checks, print the statements a restore would\n"
        "                      send, change nothing\n"
        "  --progress          ask the server for progress every 10 percent and print it\n"
        "  --json              print one JSON object on standard output however the run\n"
        "                      ends (the step lines then go to standard error)\n"
        "  --log FILE          append the statements and the server's messages, with\n"
        "                      times, to FILE\n"
        "  --login-timeout S   seconds to wait for the log-on (default 15)\n"
        "  --query-timeout S   seconds to wait for each statement (default 180;\n"
        "                      0 waits for ever)\n"
        "  --restore-timeout S seconds to wait for the restore (default: the query\n"
        "                      time-out)\n"
        "%1"
        "  --help, --version\n"
        "\n"
        "Ctrl-C or SIGTERM during the restore cancels it on the server and reports what\n"
        "is left; a second Ctrl-C ends at once. A check that cannot be made (the server\n"
        "cannot tell) is reported as not made, never as passed.\n"
        "\n"
        "Exit codes:\n"
        "   0  database created (with --dry-run: every check passed)\n"
        "   1  unexpected failure\n"
        "   2  usage error (options, password, log file, a --settings file that does\n"
        "      not exist, a --move name the backup lacks, paths a remote server lacks)\n"
        "   3  log-on refused by the server\n"
        "   4  server or connection failure while checking or restoring\n"
        "   5  database created, but the settings file was not written\n"
        "   6  cancelled\n"
        "   7  server not reached: no answer to the log-on within --login-timeout\n"
        "   8  a statement ran out of time (--query-timeout, --restore-timeout)\n"
        "  10  backup file missing\n"
        "  11  file is not a backup with a data file and a log file\n"
        "  12  database name breaks the naming rule, or it or a new file's path is too\n"
        "      long for the server (128 and 260 characters)\n"
        "  13  database name already taken\n"
        "  14  dump device name reserved by the server\n"
        "  15  folder does not exist\n"
        "  16  the database's files already exist in the folder\n"
        "  17  not enough free space in the folder\n"
        "  18  backup made by a newer server version\n"
        "  19  settings file present but not writable (use --no-settings to go on)\n"
        "  21  a database of that name was left restoring by an unfinished restore\n"
        "  22  another dump device is registered for the backup file\n"
        "  23  the account the server runs as may not create files in the folder\n"
        "  30  the server finds the backup damaged (--verify)\n"
        "  31  --undo refused: not everything is as the receipt says\n"
        "\n"
        "The backup's files are told apart by their type: the first data file becomes\n"
        "NAME.mdf, further ones NAME_2.ndf ..., the first log NAME_Log.ldf, further\n"
        "ones NAME_Log2.ldf ..., FILESTREAM and full-text files folders NAME_<logical>.\n")
        .arg(AdminOptionSet::helpText());
}

ParsedCommandLine parseCommandLine(const QStringList &arguments, const QString &programFolder)
{
    for (const QString &argument : arguments) {
        if (carriesPassword(argument))
            return UsageError { programText(QStringLiteral(
                "The password is never taken on the command line, where other users can read it: "
                "use --password-stdin, --password-file FILE, or answer the prompt.")) };
    }

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption server(QStringLiteral("server"), {}, QStringLiteral("S"));
    const QCommandLineOption user(QStringLiteral("user"), {}, QStringLiteral("U"));
    const QCommandLineOption database(QStringLiteral("database"), {}, QStringLiteral("NAME"));
    const QCommandLineOption folder(QStringLiteral("folder"), {}, QStringLiteral("DIR"));
    const QCommandLineOption backup(QStringLiteral("backup"), {}, QStringLiteral("FILE"));
    const QCommandLineOption settings(QStringLiteral("settings"), {}, QStringLiteral("FILE"));
    const QCommandLineOption noSettings(QStringLiteral("no-settings"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption progress(QStringLiteral("progress"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption log(QStringLiteral("log"), {}, QStringLiteral("FILE"));
    const QCommandLineOption passwordStdin(QStringLiteral("password-stdin"));
    const QCommandLineOption passwordFile(QStringLiteral("password-file"), {}, QStringLiteral("F"));
    const QCommandLineOption dataFolder(QStringLiteral("data-folder"), {}, QStringLiteral("DIR"));
    const QCommandLineOption logFolder(QStringLiteral("log-folder"), {}, QStringLiteral("DIR"));
    const QCommandLineOption move(QStringLiteral("move"), {}, QStringLiteral("LOGICAL=PATH"));
    const QCommandLineOption loginTimeout(QStringLiteral("login-timeout"), {}, QStringLiteral("S"));
    const QCommandLineOption queryTimeout(QStringLiteral("query-timeout"), {}, QStringLiteral("S"));
    const QCommandLineOption restoreTimeout(QStringLiteral("restore-timeout"), {}, QStringLiteral("S"));
    const QCommandLineOption serverIsLocal(QStringLiteral("server-is-local"));
    const QCommandLineOption serverIsRemote(QStringLiteral("server-is-remote"));
    const QCommandLineOption help(QStringList { QStringLiteral("help"), QStringLiteral("h") });
    const QCommandLineOption version(QStringLiteral("version"));
    const AdminOptionSet adminOptions;
    parser.addOptions(adminOptions.options());
    parser.addOptions({ server, user, database, folder, backup, settings, noSettings, dryRun, progress, json,
        log, passwordStdin, passwordFile, dataFolder, logFolder, move, loginTimeout, queryTimeout,
        restoreTimeout, serverIsLocal, serverIsRemote, help, version });

    if (!parser.parse(QStringList { QStringLiteral("brevane-provision") } + arguments))
        return UsageError { parser.errorText() };
    if (parser.isSet(help))
        return ShowText { helpText() };
    if (parser.isSet(version))
        return ShowText {
            QStringLiteral("brevane-provision %1\n").arg(QCoreApplication::applicationVersion())
        };
    // A stray word may be a password typed by mistake: it is not repeated.
    if (!parser.positionalArguments().isEmpty())
        return UsageError { programText(
            QStringLiteral("Unexpected argument (%1 word(s) that are no option); see --help."))
                                .arg(parser.positionalArguments().size()) };

    ProvisionOptions options;
    for (const QCommandLineOption *single : { &server, &user, &database, &folder, &backup, &settings, &log,
             &passwordFile, &dataFolder, &logFolder, &loginTimeout, &queryTimeout, &restoreTimeout }) {
        if (parser.values(*single).size() > 1)
            return UsageError {
                programText(QStringLiteral("--%1 is given more than once")).arg(single->names().first())
            };
    }
    if (parser.isSet(server))
        options.server = parser.value(server);
    if (parser.isSet(user))
        options.user = parser.value(user);
    options.database = parser.value(database);
    if (const auto error = adminOptions.read(parser, parser.isSet(json), parser.isSet(dryRun), options.admin))
        return UsageError { *error };
    options.folder = parser.value(folder);
    options.folder = absolute(options.folder);
    options.dataFolder = absolute(parser.value(dataFolder));
    options.logFolder = absolute(parser.value(logFolder));
    if (parser.isSet(serverIsLocal) && parser.isSet(serverIsRemote))
        return UsageError { programText(
            QStringLiteral("--server-is-local and --server-is-remote exclude each other")) };
    if (parser.isSet(serverIsLocal) || parser.isSet(serverIsRemote))
        options.serverIsLocal = parser.isSet(serverIsLocal);
    const bool surelyLocal
        = options.serverIsLocal.value_or(ServerLocation::addressNamesThisMachine(options.server));
    if (options.admin.undoFile.isEmpty() && surelyLocal && options.folder.isEmpty()
        && (options.dataFolder.isEmpty() || options.logFolder.isEmpty()))
        return UsageError { programText(
            QStringLiteral("--folder DIR is required: the folder for the database's files")) };
    for (const QString &pair : parser.values(move)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0 || equals == pair.size() - 1)
            return UsageError {
                programText(QStringLiteral("--move takes LOGICAL=PATH, not \"%1\"")).arg(pair)
            };
        if (options.moves.contains(pair.left(equals)))
            return UsageError {
                programText(QStringLiteral("--move %1 is given more than once")).arg(pair.left(equals))
            };
        options.moves.insert(pair.left(equals), absolute(pair.mid(equals + 1)));
    }
    for (const auto &[option, seconds] : { std::pair { &loginTimeout, &options.loginTimeout },
             std::pair { &queryTimeout, &options.queryTimeout },
             std::pair { &restoreTimeout, &options.restoreTimeout } }) {
        if (parser.isSet(*option) && !parseSeconds(parser.value(*option), seconds))
            return UsageError { programText(QStringLiteral("--%1 takes a whole number of seconds, 0 or more"))
                                    .arg(option->names().first()) };
    }
    if (!parser.isSet(restoreTimeout))
        options.restoreTimeout = options.queryTimeout;
    // A log-on that may wait for ever would hang on a server that never answers.
    if (options.loginTimeout == 0)
        return UsageError { programText(QStringLiteral("--login-timeout takes at least 1 second")) };
    options.backupGiven = parser.isSet(backup);
    options.backupFile = parser.isSet(backup) ? absolute(parser.value(backup))
                                              : ProvisioningRun::defaultBackupFile(programFolder);
    options.settingsExplicit = parser.isSet(settings);
    options.settingsFile = parser.isSet(settings) ? parser.value(settings)
                                                  : ProvisioningRun::defaultSettingsFile(programFolder);
    options.writeSettings = !parser.isSet(noSettings);
    if (!options.writeSettings && parser.isSet(settings))
        return UsageError { programText(QStringLiteral("--settings and --no-settings exclude each other")) };
    options.dryRun = parser.isSet(dryRun);
    options.progress = parser.isSet(progress);
    options.json = parser.isSet(json);
    options.logFile = parser.value(log);
    if (parser.isSet(passwordStdin) && parser.isSet(passwordFile))
        return UsageError { programText(
            QStringLiteral("--password-stdin and --password-file exclude each other")) };
    if (parser.isSet(passwordStdin))
        options.passwordSource = PasswordSource::StandardInput;
    if (parser.isSet(passwordFile)) {
        options.passwordSource = PasswordSource::File;
        options.passwordFile = parser.value(passwordFile);
    }
    return options;
}

} // namespace brevane::provision
