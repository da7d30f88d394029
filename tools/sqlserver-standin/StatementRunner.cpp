#include "StatementRunner.h"

#include <QDir>

namespace standin {

void StatementRunner::finish(quint16 status, quint16 command, quint64 count, DoneKind kind)
{
    if (!m_batch.last)
        status |= DoneStatus::More;
    m_sink.done(kind, status, command, count);
}

void StatementRunner::fail(const QList<ServerMessage> &messages, int line, quint16 command)
{
    for (ServerMessage message : messages) {
        if (message.procedure.isEmpty())
            message.line = line;
        m_sink.message(message);
    }
    finish(DoneStatus::Error, command);
}

QString StatementRunner::resolvePath(const QString &path) const
{
    if (QDir::isAbsolutePath(path) || path.isEmpty())
        return path;
    return QDir(m_catalogue.dataDir()).filePath(path);
}

} // namespace standin
