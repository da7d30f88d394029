#pragma once

#include "AnsiCodePage.h"
#include "Failure.h"

#include <QList>
#include <QString>

#include <optional>

namespace brevane {

// What the product needs to reach its database: the values the settings file
// records after a database has been created.
struct ConnectionSettings
{
    QString server;
    QString user;
    QString password;
    QString database;
};

namespace profile {

// One key of a private-profile file and the value it is to hold.
struct ProfileEntry
{
    QString section;
    QString key;
    QString value;
};

} // namespace profile

// The six entries of the settings file, in the order they are written.
QList<profile::ProfileEntry> connectionSettingsEntries(const ConnectionSettings &settings);

// The failure numbers writeConnectionSettings throws, of the platform's kinds.
namespace SettingsFailure {
constexpr qint32 InvalidArgument = 5; // a value the code page (or the file) cannot hold
constexpr qint32 DiskFull = 61;
constexpr qint32 PermissionDenied = 70; // read-only, immutable, a link to another owner's file
constexpr qint32 PathFileAccess = 75; // anything else, a missing file included
} // namespace SettingsFailure

// Records settings in the existing settings file settingsFile, all six entries
// or none: the file is read once, the entries applied as six successive writes
// would apply them, and the file replaced once (AtomicFileWriter says how).
// Nothing is written when a value does not survive the code page. The caller
// checks that the file exists; a failure reaches the caller as a
// brevane::Failure with one of the numbers above and a description that names
// the file (and the entry, where one entry is the cause).
void writeConnectionSettings(const QString &settingsFile, const ConnectionSettings &settings,
    profile::AnsiCodePage codePage = profile::AnsiCodePage::system());

// Whether writeConnectionSettings would write these settings to settingsFile:
// nothing when it would, else the failure it would throw (the same rules for
// the values, the symbolic links, the file and its mode). Changes nothing.
std::optional<Failure> connectionSettingsRefusal(const QString &settingsFile,
    const ConnectionSettings &settings, profile::AnsiCodePage codePage = profile::AnsiCodePage::system());

} // namespace brevane
