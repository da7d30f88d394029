#pragma once

#include <QString>

#include <mutex>

namespace standin {

// Appends every batch received to a file, one JSON string per line, so texts with line breaks or
// quotes stay unambiguous. Safe to use from several connections.
class StatementLog
{
public:
    explicit StatementLog(QString path);

    bool append(const QString &batch);
    QString path() const { return m_path; }

    // The line written for one batch (without the line break).
    static QByteArray encode(const QString &batch);

private:
    QString m_path;
    std::mutex m_mutex;
};

} // namespace standin
