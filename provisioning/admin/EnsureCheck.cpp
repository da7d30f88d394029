#include "EnsureCheck.h"

#include "ProgramTexts.h"

namespace brevane::admin {

using namespace brevane::run;

EnsureCheck::EnsureCheck(ServerCatalogue &catalogue)
    : m_catalogue(catalogue)
{ }

QString EnsureCheck::filesDifference(const QString &databaseName, const QList<PlannedFile> &files)
{
    const QList<CatalogueFile> present = m_catalogue.databaseFiles(databaseName);
    QStringList differences;
    for (const PlannedFile &planned : files) {
        const auto found = std::find_if(present.cbegin(), present.cend(), [&](const CatalogueFile &file) {
            return file.logicalName.compare(planned.logicalName, Qt::CaseInsensitive) == 0;
        });
        if (found == present.cend())
            differences << programText(QStringLiteral("it has no file %1")).arg(planned.logicalName);
        else if (!sameServerPath(found->physicalName, planned.physicalName))
            differences << programText(QStringLiteral("its file %1 is %2, not %3"))
                               .arg(planned.logicalName, found->physicalName, planned.physicalName);
    }
    if (present.size() > files.size())
        differences
            << programText(QStringLiteral("it has %1 files, not %2")).arg(present.size()).arg(files.size());
    return differences.join(QStringLiteral("; "));
}

EnsureFinding EnsureCheck::check(const QString &databaseName, const QList<PlannedFile> &files,
    const QString &settingsFile, const ConnectionSettings &settings)
{
    EnsureFinding finding;
    const std::optional<QString> state = m_catalogue.databaseState(databaseName);
    if (!state) {
        finding.text
            = programText(QStringLiteral("No database is named %1: it will be created")).arg(databaseName);
        return finding;
    }
    QString difference;
    if (state->compare(QLatin1String("ONLINE"), Qt::CaseInsensitive) != 0)
        difference = programText(QStringLiteral("it is %1, not ONLINE")).arg(*state);
    else
        difference = filesDifference(databaseName, files);
    if (!difference.isEmpty()) {
        finding.state = EnsureFinding::State::Different;
        finding.text
            = programText(QStringLiteral("The database %1 exists, but %2")).arg(databaseName, difference);
        return finding;
    }
    if (!settingsFile.isEmpty()) {
        for (const SettingsEntryChange &entry : compareSettings(settingsFile, settings)) {
            if (entry.changes())
                finding.settingsChanges.append(entry);
        }
    }
    finding.state = finding.settingsChanges.isEmpty() ? EnsureFinding::State::InPlace
                                                      : EnsureFinding::State::SettingsDiffer;
    finding.text = finding.settingsChanges.isEmpty()
        ? programText(QStringLiteral("The database %1 and the settings are in place: nothing to change"))
              .arg(databaseName)
        : programText(QStringLiteral("The database %1 is in place; %2 settings entries differ"))
              .arg(databaseName)
              .arg(finding.settingsChanges.size());
    return finding;
}

} // namespace brevane::admin
