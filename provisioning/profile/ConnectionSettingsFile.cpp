#include "ConnectionSettingsFile.h"

#include "AtomicFileWriter.h"
#include "Failure.h"
#include "ProfileDocument.h"

#include <cerrno>

namespace brevane {

namespace {

QString kindText(qint32 number)
{
    switch (number) {
    case SettingsFailure::PermissionDenied:
        return QStringLiteral("Permission denied");
    case SettingsFailure::DiskFull:
        return QStringLiteral("Disk full");
    case SettingsFailure::InvalidArgument:
        return QStringLiteral("Invalid procedure call or argument");
    default:
        return QStringLiteral("Path/File access error");
    }
}

qint32 numberForError(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return SettingsFailure::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return SettingsFailure::DiskFull;
    default:
        return SettingsFailure::PathFileAccess;
    }
}

Failure settingsFailure(qint32 number, const QString &detail)
{
    return Failure(number, kindText(number) + QStringLiteral(": ") + detail, QStringLiteral("Connect.sys"));
}

// The file's name and the cause that errno gives, as the writer put them.
Failure settingsFailure(const profile::AtomicFileWriter &writer)
{
    const qint32 number = numberForError(writer.error());
    QString detail = writer.errorString();
    const QString sameCause = QStringLiteral(": ") + kindText(number);
    if (detail.endsWith(sameCause, Qt::CaseInsensitive))
        detail.chop(sameCause.size());
    return settingsFailure(number, detail);
}

bool holdsLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

// Why one of the values cannot reach the file as it is.
std::optional<Failure> valueRefusal(const QString &settingsFile, const QList<profile::ProfileEntry> &entries,
    const profile::AnsiCodePage &codePage)
{
    for (const profile::ProfileEntry &entry : entries) {
        if (holdsLineBreak(entry.value)) {
            return settingsFailure(SettingsFailure::InvalidArgument,
                QStringLiteral("%1: the value of [%2] %3 holds a line break")
                    .arg(settingsFile, entry.section, entry.key));
        }
        if (codePage.roundTrip(entry.value) != entry.value) {
            return settingsFailure(SettingsFailure::InvalidArgument,
                QStringLiteral("%1: the value of [%2] %3 holds characters that code page %4 cannot hold")
                    .arg(settingsFile, entry.section, entry.key)
                    .arg(static_cast<int>(codePage.number())));
        }
    }
    return std::nullopt;
}

} // namespace

QList<profile::ProfileEntry> connectionSettingsEntries(const ConnectionSettings &settings)
{
    const QString sqlServer = QStringLiteral("SQL Server");
    return {
        { QStringLiteral("DataSource"), QStringLiteral("DataBase"), sqlServer },
        { sqlServer, QStringLiteral("Provider"), QStringLiteral("SQLOLEDB.1") },
        { sqlServer, QStringLiteral("Server"), settings.server },
        { sqlServer, QStringLiteral("User"), settings.user },
        { sqlServer, QStringLiteral("PassWord"), settings.password },
        { sqlServer, QStringLiteral("Initial Catalog"), settings.database },
    };
}

std::optional<Failure> connectionSettingsRefusal(
    const QString &settingsFile, const ConnectionSettings &settings, profile::AnsiCodePage codePage)
{
    if (auto refusal = valueRefusal(settingsFile, connectionSettingsEntries(settings), codePage)) {
        return refusal;
    }
    profile::AtomicFileWriter writer(settingsFile);
    if (!writer.canRewrite()) {
        return settingsFailure(writer);
    }
    return std::nullopt;
}

void writeConnectionSettings(
    const QString &settingsFile, const ConnectionSettings &settings, profile::AnsiCodePage codePage)
{
    const QList<profile::ProfileEntry> entries = connectionSettingsEntries(settings);
    // Every value must reach the file as it is, or none is written.
    if (auto refusal = valueRefusal(settingsFile, entries, codePage)) {
        throw *refusal;
    }

    profile::AtomicFileWriter writer(settingsFile);
    const auto bytes = writer.read();
    if (!bytes) {
        throw settingsFailure(writer);
    }
    // The six entries applied one after the other by the platform's rules, as
    // six writes would apply them, then the file replaced once.
    profile::ProfileDocument document(*bytes, codePage);
    for (const profile::ProfileEntry &entry : entries) {
        document.setValue(entry.section, entry.key, entry.value);
    }
    if (!document.isModified()) {
        return;
    }
    if (!writer.write(document.toBytes())) {
        throw settingsFailure(writer);
    }
}

} // namespace brevane
