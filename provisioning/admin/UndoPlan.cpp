#include "UndoPlan.h"

#include "AdminStatements.h"
#include "AtomicFileWriter.h"
#include "ProfileDocument.h"
#include "ProgramTexts.h"
#include "Statements.h"

namespace brevane::admin {

using namespace brevane::run;

namespace {

QString deviceText(const std::optional<QString> &path)
{
    return path ? *path : programText(QStringLiteral("(absent)"));
}

} // namespace

UndoPlan::UndoPlan(const RunReceipt &receipt, StatementSender send)
    : m_receipt(receipt)
    , m_send(send)
    , m_catalogue(std::move(send))
{ }

void UndoPlan::compareDatabase(QStringList &differences)
{
    if (!m_receipt.databaseLeft)
        return;
    const QString &name = m_receipt.database;
    if (!m_catalogue.databaseState(name)) {
        differences << programText(QStringLiteral("The database %1 no longer exists.")).arg(name);
        return;
    }
    const QList<CatalogueFile> present = m_catalogue.databaseFiles(name);
    if (present.size() != m_receipt.files.size())
        differences << programText(QStringLiteral("The database %1 has %2 files, the receipt names %3."))
                           .arg(name)
                           .arg(present.size())
                           .arg(m_receipt.files.size());
    for (const ReceiptFile &file : m_receipt.files) {
        const bool listed = std::any_of(present.cbegin(), present.cend(),
            [&](const CatalogueFile &now) { return sameServerPath(now.physicalName, file.physicalName); });
        if (!listed)
            differences << programText(QStringLiteral("The database %1 no longer uses the file %2."))
                               .arg(name, file.physicalName);
        const ReceiptFile now = observeFile(file.logicalName, file.physicalName);
        if (now.bytes != file.bytes || now.modifiedMs != file.modifiedMs)
            differences << programText(
                QStringLiteral("The file %1 changed since the run (size %2 then, %3 now)."))
                               .arg(file.physicalName)
                               .arg(file.bytes)
                               .arg(now.bytes);
    }
}

void UndoPlan::compareDevice(QStringList &differences)
{
    if (!deviceChanged())
        return;
    const std::optional<QString> now = m_catalogue.dumpDevice(m_receipt.deviceName);
    const bool same = now && m_receipt.deviceAfter ? sameServerPath(*now, *m_receipt.deviceAfter)
                                                   : now.has_value() == m_receipt.deviceAfter.has_value();
    if (!same)
        differences << programText(QStringLiteral("The dump device %1 is now %2, the receipt says %3."))
                           .arg(m_receipt.deviceName, deviceText(now), deviceText(m_receipt.deviceAfter));
}

void UndoPlan::compareSettings(QStringList &differences) const
{
    if (!m_receipt.settingsWritten)
        return;
    profile::AtomicFileWriter reader(m_receipt.settingsFile);
    const auto bytes = reader.read();
    if (!bytes) {
        differences << programText(QStringLiteral("The settings file %1 cannot be read: %2"))
                           .arg(m_receipt.settingsFile, reader.errorString());
        return;
    }
    const profile::ProfileDocument document(*bytes, profile::AnsiCodePage::system());
    for (const ReceiptEntry &entry : m_receipt.settings) {
        const std::optional<QString> now = document.value(entry.section, entry.key);
        if (!now || m_receipt.digest(*now) != entry.afterDigest)
            differences << programText(
                QStringLiteral("The settings entry [%1] %2 in %3 changed since the run."))
                               .arg(entry.section, entry.key, m_receipt.settingsFile);
    }
}

QStringList UndoPlan::differences()
{
    QStringList found;
    if (m_receipt.status == u"started" || m_receipt.status == u"unknown") {
        found << programText(QStringLiteral("The run ended before it could record what it left on the "
                                            "server (%1); its receipt cannot be undone safely."))
                     .arg(m_receipt.status);
        return found;
    }
    compareDatabase(found);
    compareDevice(found);
    compareSettings(found);
    return found;
}

QStringList UndoPlan::actions() const
{
    QStringList planned;
    if (m_receipt.databaseLeft)
        planned << programText(QStringLiteral("Drop the database %1 and its files.")).arg(m_receipt.database);
    if (deviceChanged())
        planned << (m_receipt.deviceBefore
                ? programText(QStringLiteral("Register the dump device %1 for %2 again."))
                      .arg(m_receipt.deviceName, *m_receipt.deviceBefore)
                : programText(QStringLiteral("Remove the dump device %1.")).arg(m_receipt.deviceName));
    if (m_receipt.settingsWritten)
        planned << programText(QStringLiteral("Put back the previous values of %1 settings entries in %2."))
                       .arg(m_receipt.settings.size())
                       .arg(m_receipt.settingsFile);
    return planned;
}

void UndoPlan::apply()
{
    if (m_receipt.databaseLeft)
        m_send(AdminStatements::dropDatabase(m_receipt.database));
    if (deviceChanged()) {
        if (m_receipt.deviceAfter)
            m_send(Statements::dropDevice(m_receipt.deviceName, *m_receipt.deviceAfter));
        if (m_receipt.deviceBefore)
            m_send(Statements::addDevice(m_receipt.deviceName, *m_receipt.deviceBefore));
    }
    if (m_receipt.settingsWritten) {
        QList<SettingsEntryChange> entries;
        for (const ReceiptEntry &entry : m_receipt.settings)
            entries.append({ entry.section, entry.key, entry.before, QString(), entry.sectionBefore });
        restoreSettings(m_receipt.settingsFile, entries);
    }
}

} // namespace brevane::admin
