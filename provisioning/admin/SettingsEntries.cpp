#include "SettingsEntries.h"

#include "AtomicFileWriter.h"
#include "Failure.h"
#include "ProfileDocument.h"

namespace brevane::admin {

bool SettingsEntryChange::isPassword() const
{
    return key.compare(QLatin1String("PassWord"), Qt::CaseInsensitive) == 0;
}

QList<SettingsEntryChange> compareSettings(const QString &settingsFile, const ConnectionSettings &settings)
{
    profile::AtomicFileWriter reader(settingsFile);
    const auto bytes = reader.read();
    const profile::ProfileDocument document(bytes.value_or(QByteArray()), profile::AnsiCodePage::system());
    QList<SettingsEntryChange> entries;
    for (const profile::ProfileEntry &entry : connectionSettingsEntries(settings))
        entries.append({ entry.section, entry.key, document.value(entry.section, entry.key), entry.value,
            document.hasSection(entry.section) });
    return entries;
}

void restoreSettings(const QString &settingsFile, const QList<SettingsEntryChange> &entries)
{
    profile::AtomicFileWriter writer(settingsFile);
    const auto bytes = writer.read();
    if (!bytes)
        throw Failure(SettingsFailure::PathFileAccess,
            QStringLiteral("Path/File access error: ") + writer.errorString(), QStringLiteral("Connect.sys"));
    profile::ProfileDocument document(*bytes, profile::AnsiCodePage::system());
    for (const SettingsEntryChange &entry : entries) {
        if (entry.before)
            document.setValue(entry.section, entry.key, *entry.before);
        else
            document.removeKey(entry.section, entry.key);
    }
    for (const SettingsEntryChange &entry : entries) {
        if (!entry.sectionBefore)
            document.removeSection(entry.section);
    }
    if (document.isModified() && !writer.write(document.toBytes()))
        throw Failure(SettingsFailure::PermissionDenied,
            QStringLiteral("Permission denied: ") + writer.errorString(), QStringLiteral("Connect.sys"));
}

QString maskedPassword()
{
    return QStringLiteral("********");
}

} // namespace brevane::admin
