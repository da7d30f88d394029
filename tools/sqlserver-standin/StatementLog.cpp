#include "StatementLog.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace standin {

StatementLog::StatementLog(QString path)
    : m_path(std::move(path))
{ }

QByteArray StatementLog::encode(const QString &batch)
{
    // QJsonDocument writes arrays and objects only: write ["text"] and keep the string.
    const QByteArray array = QJsonDocument(QJsonArray { batch }).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

bool StatementLog::append(const QString &batch)
{
    return appendLine(encode(batch) + '\n');
}

bool StatementLog::appendAttention()
{
    return appendLine(QByteArrayLiteral("{\"attention\":true}\n"));
}

bool StatementLog::appendCall(const QJsonObject &call)
{
    return appendLine(QJsonDocument(call).toJson(QJsonDocument::Compact) + '\n');
}

bool StatementLog::appendLine(const QByteArray &line)
{
    const std::lock_guard lock(m_mutex);
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write(line) == line.size();
}

} // namespace standin
