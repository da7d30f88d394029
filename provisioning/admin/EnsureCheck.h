#pragma once

#include "ServerCatalogue.h"
#include "SettingsEntries.h"

#include <QList>
#include <QString>

namespace brevane::admin {

// Where the run would put one of the backup's files.
struct PlannedFile
{
    QString logicalName;
    QString physicalName;
};

// Whether a run that should leave the database and the settings in place
// has anything left to do.
struct EnsureFinding
{
    enum class State {
        Absent, // no such database: the whole run is to be made
        InPlace, // database and settings as the run would leave them: nothing to do
        SettingsDiffer, // the database is in place, the settings file is not
        Different, // a database of that name exists otherwise: refused
    };
    State state = State::Absent;
    QString text; // what was found; with Different, how it differs
    QList<SettingsEntryChange> settingsChanges; // the entries a write would change
};

class EnsureCheck
{
public:
    explicit EnsureCheck(ServerCatalogue &catalogue);

    // `settingsFile` empty: the settings are not looked at.
    EnsureFinding check(const QString &databaseName, const QList<PlannedFile> &files,
        const QString &settingsFile, const ConnectionSettings &settings);

private:
    QString filesDifference(const QString &databaseName, const QList<PlannedFile> &files);

    ServerCatalogue &m_catalogue;
};

} // namespace brevane::admin
