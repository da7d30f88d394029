#include "ReceiptRecorder.h"

#include "Failure.h"

#include <QRandomGenerator>

#include <cstdio>

namespace brevane::provision {

using namespace brevane::admin;

namespace {

QString randomSalt()
{
    return QString::number(QRandomGenerator::system()->generate64(), 16);
}

} // namespace

ReceiptRecorder::ReceiptRecorder(QString path, StatementSender send)
    : m_path(std::move(path))
    , m_send(std::move(send))
{ }

bool ReceiptRecorder::begin(const ConnectionSettings &settings, const QString &settingsFile,
    const QString &deviceName, bool restoreFollows, QString *error)
{
    const std::lock_guard lock(m_mutex);
    m_restorePending = restoreFollows;
    ServerCatalogue catalogue(m_send);
    m_receipt.server = settings.server;
    m_receipt.user = settings.user;
    m_receipt.database = settings.database;
    m_receipt.status = QStringLiteral("started");
    m_receipt.deviceName = deviceName;
    m_receipt.deviceBefore = catalogue.dumpDevice(deviceName);
    m_receipt.deviceAfter = m_receipt.deviceBefore;
    m_receipt.settingsFile = settingsFile;
    m_receipt.salt = randomSalt();
    if (!settingsFile.isEmpty()) {
        for (const SettingsEntryChange &entry : compareSettings(settingsFile, settings)) {
            if (entry.changes())
                m_receipt.settings.append({ entry.section, entry.key, entry.before,
                    m_receipt.digest(entry.after), entry.sectionBefore });
        }
    }
    m_started = m_receipt.write(m_path, error);
    return m_started;
}

void ReceiptRecorder::restoreEnded(const QString &status)
{
    const std::lock_guard lock(m_mutex);
    if (!m_started)
        return;
    m_restorePending = false;
    m_receipt.status = status;
    try {
        ServerCatalogue catalogue(m_send);
        m_receipt.deviceAfter = catalogue.dumpDevice(m_receipt.deviceName);
        m_receipt.databaseLeft = catalogue.databaseState(m_receipt.database).has_value();
        m_receipt.files.clear();
        if (m_receipt.databaseLeft) {
            for (const CatalogueFile &file : catalogue.databaseFiles(m_receipt.database))
                m_receipt.files.append(observeFile(file.logicalName, file.physicalName));
        }
    } catch (const Failure &) {
        // The server can no longer be asked: the receipt keeps what it knew,
        // and says so, so that an undo does not trust it.
        m_receipt.status = QStringLiteral("unknown");
    }
    save();
}

void ReceiptRecorder::settingsWritten()
{
    const std::lock_guard lock(m_mutex);
    if (!m_started)
        return;
    m_receipt.settingsWritten = true;
    save();
}

void ReceiptRecorder::finished(const QString &status)
{
    const std::unique_lock lock(m_mutex, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    if (!m_started || m_restorePending || m_receipt.status == u"unknown")
        return;
    m_receipt.status = status;
    save();
}

void ReceiptRecorder::save()
{
    QString error;
    if (!m_receipt.write(m_path, &error))
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
}

} // namespace brevane::provision
