#pragma once

#include <QString>
#include <QStringList>

namespace standin {

// A message as SQL Server puts it on the wire (ERROR token for level 11 and above, INFO below).
struct ServerMessage
{
    int number = 0;
    int state = 1;
    int level = 16;
    QString text;
    QString procedure; // empty for statements of the batch itself
    int line = 1;

    bool isError() const { return level > 10; }
};

// Message numbers the stand-in sends; their levels, default states and texts live in one table.
namespace Msg {
constexpr int IdentifierTooLong = 103;
constexpr int IncorrectSyntax = 102;
constexpr int UnclosedQuotation = 105;
constexpr int MissingEndComment = 113;
constexpr int UnrecognisedOption = 155;
constexpr int IncorrectSyntaxNearKeyword = 156;
constexpr int MustDeclareVariable = 137;
constexpr int FunctionArgumentCount = 174;
constexpr int NestedTooDeeply = 191;
constexpr int NotRecognised = 195; // '%1' is not a recognized %2 (SET option, built-in function name).
constexpr int MissingParameter = 201;
constexpr int InvalidColumn = 207;
constexpr int InvalidObject = 208;
constexpr int ParameterOfWrongType = 214;
constexpr int ConversionFailed = 245;
constexpr int NoPermission = 297;
constexpr int EmptyIdentifier = 1038;
constexpr int FilegroupFull = 1105;
constexpr int FileInUse = 1834;
constexpr int InvalidDateFormat = 2741;
constexpr int StoredProcedureNotFound = 2812;
constexpr int TerminatingAbnormally = 3013;
constexpr int RestoreSucceeded = 3014;
constexpr int ExclusiveAccessDenied = 3101;
constexpr int RestorePlanningProblems = 3119;
constexpr int PageErrorInBackup = 3183;
constexpr int NoChecksumsInBackup = 3187;
constexpr int BackupSetDamaged = 3189;
constexpr int CannotRestoreOverExisting = 3142;
constexpr int BackupOfOtherDatabase = 3154;
constexpr int CannotRestoreFileTo = 3156;
constexpr int BackupFromNewerServer = 3169;
constexpr int FileClaimedTwice = 3176;
constexpr int CannotOpenBackupDevice = 3201;
constexpr int ReadFailed = 3203;
constexpr int BackupDeviceMissing = 3206;
constexpr int PercentProcessed = 3211;
constexpr int LogicalFileNotInBackup = 3234;
constexpr int MediaFamilyIncorrect = 3241;
constexpr int BackupSetValid = 3262;
constexpr int CannotDropDatabase = 3701;
constexpr int CannotDropSystemDatabase = 3708;
constexpr int InsufficientDiskSpace = 3257;
constexpr int OperatingSystemError = 3634;
constexpr int PagesProcessed = 4035;
constexpr int CannotOpenDatabase = 4060;
constexpr int CannotAlterDatabase = 5011;
constexpr int DatabaseRestoring = 5052;
constexpr int OptionNotForDatabase = 5058;
constexpr int AlterDatabaseFailed = 5069;
constexpr int CreateFileFailed = 5123;
constexpr int DirectoryLookupFailed = 5133;
constexpr int DatabaseContextChanged = 5701;
constexpr int LanguageChanged = 5703;
constexpr int TooManyArguments = 8144;
constexpr int NotAParameter = 8145;
constexpr int DeviceNotFound = 15012;
constexpr int DeviceExists = 15026;
constexpr int UnknownDeviceType = 15044;
constexpr int LogicalNameNull = 15045;
constexpr int PhysicalNameNull = 15046;
constexpr int PhysicalDeviceExists = 15061;
constexpr int InvalidDelfileOption = 15216;
constexpr int SpecialWordAsDeviceName = 15285;
constexpr int DeviceDropped = 15463;
constexpr int UntrustedDomain = 18452;
constexpr int LoginFailed = 18456;
constexpr int UserDefined = 50000;
} // namespace Msg

// Builds a message from the table, filling %1, %2, ... in one pass (an argument that itself holds
// "%2" stays as it is). A negative state takes the table's default.
ServerMessage serverMessage(int number, const QStringList &args = {}, int state = -1);

// Operating-system error texts as SQL Server quotes them, e.g. "2(The system cannot find the file
// specified.)".
namespace OsError {
QString fileNotFound();
QString pathNotFound();
QString accessDenied();
QString invalidData();
QString diskFull();
// The text for an errno value, e.g. ENOSPC as 112 (not enough space on the disk).
QString fromErrno(int code);
} // namespace OsError

} // namespace standin
