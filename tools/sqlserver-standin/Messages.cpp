#include "Messages.h"

#include <array>
#include <cerrno>

namespace standin {

namespace {

struct MessageDefinition
{
    int number;
    int level;
    int state;
    const char *text;
};

// Levels are as clients see them; informational messages travel with level 0 as SQL Server sends them.
constexpr std::array messageTable {
    MessageDefinition { Msg::IncorrectSyntax, 15, 1, "Incorrect syntax near '%1'." },
    MessageDefinition { Msg::IdentifierTooLong, 15, 4,
        "The identifier that starts with '%1' is too long. Maximum length is %2." },
    MessageDefinition {
        Msg::UnclosedQuotation, 15, 1, "Unclosed quotation mark after the character string '%1'." },
    MessageDefinition { Msg::MissingEndComment, 15, 1, "Missing end comment mark '*/'." },
    MessageDefinition { Msg::UnrecognisedOption, 15, 1, "'%1' is not a recognized %2 option." },
    MessageDefinition { Msg::IncorrectSyntaxNearKeyword, 15, 1, "Incorrect syntax near the keyword '%1'." },
    MessageDefinition { Msg::MustDeclareVariable, 15, 2, "Must declare the scalar variable \"%1\"." },
    MessageDefinition { Msg::FunctionArgumentCount, 15, 1, "The %1 function requires %2 argument(s)." },
    MessageDefinition { Msg::NestedTooDeeply, 15, 1,
        "Some part of your SQL statement is nested too deeply. Rewrite the query or break it up into smaller "
        "queries." },
    MessageDefinition { Msg::NotRecognised, 15, 1, "'%1' is not a recognized %2." },
    MessageDefinition { Msg::MissingParameter, 16, 4,
        "Procedure or function '%1' expects parameter '%2', which was not supplied." },
    MessageDefinition { Msg::InvalidColumn, 16, 1, "Invalid column name '%1'." },
    MessageDefinition { Msg::InvalidObject, 16, 1, "Invalid object name '%1'." },
    MessageDefinition { Msg::ParameterOfWrongType, 16, 2, "Procedure expects parameter '%1' of type '%2'." },
    MessageDefinition { Msg::ConversionFailed, 16, 1,
        "Conversion failed when converting the %1 value '%2' to data type %3." },
    MessageDefinition {
        Msg::NoPermission, 16, 1, "The user does not have permission to perform this action." },
    MessageDefinition { Msg::EmptyIdentifier, 15, 4,
        "An object or column name is missing or empty. For SELECT INTO statements, verify each column has "
        "a name. For other statements, look for empty alias names. Aliases defined as \"\" or [] are not "
        "allowed. Change the alias to a valid name." },
    MessageDefinition { Msg::FilegroupFull, 17, 2,
        "Could not allocate space for object '%1'%2 in database '%3' because the '%4' filegroup is full. "
        "Create disk space by deleting unneeded files, dropping objects in the filegroup, adding additional "
        "files to the filegroup, or setting autogrowth on for existing files in the filegroup." },
    MessageDefinition {
        Msg::FileInUse, 16, 1, "The file '%1' cannot be overwritten.  It is being used by database '%2'." },
    MessageDefinition { Msg::InvalidDateFormat, 16, 1, "SET DATEFORMAT date order '%1' is invalid." },
    MessageDefinition { Msg::StoredProcedureNotFound, 16, 62, "Could not find stored procedure '%1'." },
    MessageDefinition { Msg::TerminatingAbnormally, 16, 1, "%1 is terminating abnormally." },
    MessageDefinition {
        Msg::RestoreSucceeded, 0, 1, "%1 successfully processed %2 pages in %3 seconds (%4 MB/sec)." },
    MessageDefinition { Msg::ExclusiveAccessDenied, 16, 1,
        "Exclusive access could not be obtained because the database is in use." },
    MessageDefinition { Msg::RestorePlanningProblems, 16, 1,
        "Problems were identified while planning for the RESTORE statement. Previous messages provide "
        "details." },
    MessageDefinition { Msg::PageErrorInBackup, 16, 1,
        "RESTORE detected an error on page (%1:%2) in database \"%3\" as read from the backup set." },
    MessageDefinition { Msg::NoChecksumsInBackup, 16, 1,
        "RESTORE WITH CHECKSUM cannot be specified because the backup set does not contain checksum "
        "information." },
    MessageDefinition { Msg::BackupSetDamaged, 16, 1, "Damage to the backup set was detected." },
    MessageDefinition { Msg::CannotRestoreOverExisting, 16, 1,
        "File \"%1\" cannot be restored over the existing \"%2\". Reissue the RESTORE statement using "
        "WITH REPLACE to overwrite pre-existing files, or WITH MOVE to identify an alternate location." },
    MessageDefinition { Msg::BackupOfOtherDatabase, 16, 4,
        "The backup set holds a backup of a database other than the existing '%1' database." },
    MessageDefinition { Msg::CannotRestoreFileTo, 16, 4,
        "File '%1' cannot be restored to '%2'. Use WITH MOVE to identify a valid location for the file." },
    MessageDefinition { Msg::BackupFromNewerServer, 16, 1,
        "The database was backed up on a server running version %1. That version is incompatible with "
        "this server, which is running version %2. Either restore the database on a server that supports "
        "the backup, or use a backup that is compatible with this server." },
    MessageDefinition { Msg::FileClaimedTwice, 16, 1,
        "File '%1' is claimed by '%2'(%3) and '%4'(%5). The WITH MOVE clause can be used to relocate "
        "one or more files." },
    MessageDefinition {
        Msg::CannotOpenBackupDevice, 16, 2, "Cannot open backup device '%1'. Operating system error %2." },
    MessageDefinition { Msg::ReadFailed, 16, 1, "Read on \"%1\" failed: %2" },
    MessageDefinition { Msg::BackupDeviceMissing, 16, 1,
        "Backup device '%1' does not exist. To view existing backup devices, use the sys.backup_devices "
        "catalog view. To create a new backup device use either sp_addumpdevice or SQL Server "
        "Management Studio." },
    MessageDefinition { Msg::PercentProcessed, 0, 1, "%1 percent processed." },
    MessageDefinition { Msg::LogicalFileNotInBackup, 16, 2,
        "Logical file '%1' is not part of database '%2'. Use RESTORE FILELISTONLY to list the logical "
        "file names." },
    MessageDefinition { Msg::MediaFamilyIncorrect, 16, 0,
        "The media family on device '%1' is incorrectly formed. SQL Server cannot process this media "
        "family." },
    MessageDefinition { Msg::BackupSetValid, 0, 1, "The backup set on file %1 is valid." },
    MessageDefinition { Msg::CannotDropDatabase, 11, 1,
        "Cannot drop the database '%1', because it does not exist or you do not have permission." },
    MessageDefinition { Msg::CannotDropSystemDatabase, 16, 1,
        "Cannot drop the database '%1' because it is a system database." },
    MessageDefinition { Msg::InsufficientDiskSpace, 16, 1,
        "There is insufficient free space on disk volume '%1' to create the database. The database "
        "requires %2 additional free bytes, while only %3 bytes are available." },
    MessageDefinition { Msg::OperatingSystemError, 16, 1,
        "The operating system returned the error '%1' while attempting '%2' on '%3'." },
    MessageDefinition {
        Msg::PagesProcessed, 0, 1, "Processed %1 pages for database '%2', file '%3' on file 1." },
    MessageDefinition { Msg::CannotOpenDatabase, 11, 1,
        "Cannot open database \"%1\" requested by the login. The login failed." },
    MessageDefinition { Msg::CannotAlterDatabase, 14, 5,
        "User does not have permission to alter database '%1', the database does not exist, or the database "
        "is not in a state that allows access checks." },
    MessageDefinition { Msg::DatabaseRestoring, 16, 1,
        "ALTER DATABASE is not permitted while a database is in the Restoring state." },
    MessageDefinition { Msg::OptionNotForDatabase, 16, 1, "Option '%1' cannot be set in database '%2'." },
    MessageDefinition { Msg::AlterDatabaseFailed, 16, 1, "ALTER DATABASE statement failed." },
    MessageDefinition { Msg::CreateFileFailed, 16, 1,
        "CREATE FILE encountered operating system error %1 while attempting to open or create the "
        "physical file '%2'." },
    MessageDefinition { Msg::DirectoryLookupFailed, 16, 1,
        "Directory lookup for the file \"%1\" failed with the operating system error %2." },
    MessageDefinition { Msg::DatabaseContextChanged, 0, 2, "Changed database context to '%1'." },
    MessageDefinition { Msg::LanguageChanged, 0, 1, "Changed language setting to us_english." },
    MessageDefinition {
        Msg::TooManyArguments, 16, 2, "Procedure or function %1 has too many arguments specified." },
    MessageDefinition { Msg::NotAParameter, 16, 2, "%1 is not a parameter for procedure %2." },
    MessageDefinition { Msg::DeviceNotFound, 16, 1,
        "The device '%1' does not exist. Use sys.backup_devices to show available devices." },
    MessageDefinition { Msg::DeviceExists, 16, 1, "Logical device '%1' already exists." },
    MessageDefinition { Msg::UnknownDeviceType, 16, 1,
        "The type \"%1\" is an unknown backup device type. Use the type \"disk\" or \"tape\"." },
    MessageDefinition { Msg::LogicalNameNull, 16, 1, "The logical name cannot be NULL." },
    MessageDefinition { Msg::PhysicalNameNull, 16, 1, "The physical name cannot be NULL." },
    MessageDefinition { Msg::PhysicalDeviceExists, 16, 1,
        "The add device request was denied. A physical device named \"%1\" already exists. Only one "
        "backup device may refer to any physical device name." },
    MessageDefinition {
        Msg::InvalidDelfileOption, 16, 1, "'%1' is not a valid option for the @delfile parameter." },
    MessageDefinition { Msg::SpecialWordAsDeviceName, 16, 1,
        "The special word '%1' cannot be used for a logical device name." },
    MessageDefinition { Msg::DeviceDropped, 10, 1, "Device dropped." },
    MessageDefinition { Msg::UntrustedDomain, 14, 1,
        "Login failed. The login is from an untrusted domain and cannot be used with Integrated "
        "authentication." },
    MessageDefinition { Msg::LoginFailed, 14, 1, "Login failed for user '%1'." },
    MessageDefinition { Msg::UserDefined, 16, 1, "%1" },
};

const MessageDefinition *findDefinition(int number)
{
    for (const MessageDefinition &definition : messageTable) {
        if (definition.number == number)
            return &definition;
    }
    return nullptr;
}

QString substitute(const QString &pattern, const QStringList &args)
{
    QString result;
    result.reserve(pattern.size() + 64);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('%') && i + 1 < pattern.size() && pattern.at(i + 1).isDigit()) {
            const int index = pattern.at(i + 1).digitValue() - 1;
            if (index >= 0 && index < args.size())
                result += args.at(index);
            ++i;
            continue;
        }
        result += c;
    }
    return result;
}

} // namespace

ServerMessage serverMessage(int number, const QStringList &args, int state)
{
    ServerMessage message;
    message.number = number;
    const MessageDefinition *definition = findDefinition(number);
    if (!definition) {
        message.text = args.join(QLatin1Char(' '));
        message.state = state < 0 ? 1 : state;
        return message;
    }
    message.level = definition->level;
    message.state = state < 0 ? definition->state : state;
    message.text = substitute(QString::fromUtf8(definition->text), args);
    return message;
}

namespace OsError {
QString fileNotFound()
{
    return QStringLiteral("2(The system cannot find the file specified.)");
}
QString pathNotFound()
{
    return QStringLiteral("3(The system cannot find the path specified.)");
}
QString accessDenied()
{
    return QStringLiteral("5(Access is denied.)");
}
QString invalidData()
{
    return QStringLiteral("13(The data is invalid.)");
}
QString diskFull()
{
    return QStringLiteral("112(There is not enough space on the disk.)");
}
QString fromErrno(int code)
{
    switch (code) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return diskFull();
    case EACCES:
    case EPERM:
    case EROFS:
        return accessDenied();
    case ENOENT:
        return pathNotFound();
    default:
        return QStringLiteral("1117(The request could not be performed because of an I/O device error.)");
    }
}
} // namespace OsError

} // namespace standin
