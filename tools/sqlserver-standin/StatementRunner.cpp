#include "StatementRunner.h"

#include "ServerPaths.h"
#include "SessionOptions.h"

namespace standin {

void StatementRunner::finish(quint16 status, quint16 command, quint64 count, DoneKind kind)
{
    if (!m_batch.last)
        status |= DoneStatus::More;
    if (m_batch.options && m_batch.options->noCount) {
        status &= ~DoneStatus::Count;
        count = 0;
    }
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
    return ServerPaths(m_batch.server.host, m_catalogue.dataDir()).toLocal(path);
}

ServerMessage StatementRunner::masterFilegroupFull()
{
    return serverMessage(Msg::FilegroupFull,
        { QStringLiteral("sys.sysobjvalues"), QString(), QStringLiteral("master"),
            QStringLiteral("PRIMARY") });
}

bool StatementRunner::qualifiersReachSystemObject(const ObjectName &object) const
{
    const QStringList &parts = object.parts;
    if (parts.size() > 3)
        return false;
    if (parts.size() >= 2) {
        const QString schema = parts.at(parts.size() - 2);
        if (!schema.isEmpty() && schema.compare(u"dbo", Qt::CaseInsensitive) != 0
            && schema.compare(u"sys", Qt::CaseInsensitive) != 0)
            return false;
    }
    return parts.size() != 3 || m_catalogue.findDatabase(parts.first()).has_value();
}

} // namespace standin
