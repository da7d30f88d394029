#pragma once

#include "RunReceipt.h"
#include "ServerCatalogue.h"

#include <QString>

#include <mutex>

namespace brevane::provision {

// Keeps the receipt of a run up to date: written before the first change,
// rewritten when the restore ends (however it ends) and when the settings
// are written, so that even a failed or cancelled run leaves one.
class ReceiptRecorder
{
public:
    ReceiptRecorder(QString path, admin::StatementSender send);

    // Records the server's dump device and the settings as they are now.
    // `restoreFollows`: the receipt stays "started" until restoreEnded(),
    // whatever finished() says, so that a run stopped at once during the
    // restore leaves a receipt that no undo trusts. False, with *error, when
    // the receipt cannot be written: nothing may change then.
    bool begin(const ConnectionSettings &settings, const QString &settingsFile, const QString &deviceName,
        bool restoreFollows, QString *error);
    // Records what the server and the folder hold after the restore.
    void restoreEnded(const QString &status);
    void settingsWritten();
    // Also from the signal thread, when an interrupt ends the run: while the
    // run is writing the receipt itself, that write stands.
    void finished(const QString &status);

private:
    void save();

    QString m_path;
    admin::StatementSender m_send;
    admin::RunReceipt m_receipt;
    bool m_started = false;
    bool m_restorePending = false;
    std::mutex m_mutex;
};

} // namespace brevane::provision
