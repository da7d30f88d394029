#pragma once

#include "AnsiCodePage.h"

#include <QList>
#include <QString>

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

// Records settings in the existing settings file settingsFile. The caller
// checks that the file exists; a failure to write reaches the caller as a
// brevane::Failure whose description names the file.
void writeConnectionSettings(const QString &settingsFile, const ConnectionSettings &settings,
    profile::AnsiCodePage codePage = profile::AnsiCodePage::system());

} // namespace brevane
