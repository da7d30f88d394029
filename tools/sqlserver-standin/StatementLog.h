#pragma once

#include <QJsonObject>
#include <QString>

#include <mutex>

namespace standin {

// Appends every batch received to a file, one JSON string per line, so texts with line breaks or
// quotes stay unambiguous. An attention (cancel) from a client is the line {"attention":true}. Log-on
// data never reaches it. Safe to use from several connections.
class StatementLog
{
public:
    explicit StatementLog(QString path);

    bool append(const QString &batch);
    bool appendAttention();
    // A remote procedure call, as one JSON object a line (its statement, its parameters' names and
    // types; never their values).
    bool appendCall(const QJsonObject &call);
    QString path() const { return m_path; }

    // The line written for one batch (without the line break).
    static QByteArray encode(const QString &batch);

private:
    bool appendLine(const QByteArray &line);

    QString m_path;
    std::mutex m_mutex;
};

} // namespace standin
