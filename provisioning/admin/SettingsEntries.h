#pragma once

#include "ConnectionSettingsFile.h"

#include <QList>
#include <QString>

#include <optional>

namespace brevane::admin {

// One of the six settings entries: what the file holds and what a run writes.
struct SettingsEntryChange
{
    QString section;
    QString key;
    std::optional<QString> before; // nullopt: the entry is absent
    QString after;
    bool sectionBefore = true; // the entry's section was there before
    bool isPassword() const;
    bool changes() const { return before != after; }
};

// The six settings entries of a file compared with the values a run would
// write. Reads only; a missing or unreadable file gives every entry absent.
QList<SettingsEntryChange> compareSettings(const QString &settingsFile, const ConnectionSettings &settings);

// Puts entries back: each to its `before` value, an absent one removed, and
// a section that was not there before removed with its keys. The file is
// replaced once; a failure throws as writeConnectionSettings does.
void restoreSettings(const QString &settingsFile, const QList<SettingsEntryChange> &entries);

// The password as output may show it.
QString maskedPassword();

} // namespace brevane::admin
