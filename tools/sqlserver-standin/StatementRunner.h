#pragma once

#include "Catalogue.h"
#include "Engine.h"
#include "ServerVersion.h"
#include "SqlStatement.h"

namespace standin {

struct SessionOptions;

// A failure that ends the current statement with the messages collected so far.
struct StatementError
{
    QList<ServerMessage> messages;
};

struct Table
{
    QList<ResultColumn> columns;
    QList<ResultRow> rows;
};

// What the statements of one batch share.
struct BatchState
{
    Catalogue &catalogue;
    ResponseSink &sink;
    const ServerIdentity &server;
    SessionOptions *options = nullptr; // the connection's SET options; null: the defaults
    bool last = true; // the statement being run is the batch's last
};

// Base of the runners of one kind of statement: the answer's common endings.
class StatementRunner
{
public:
    explicit StatementRunner(BatchState &batch)
        : m_batch(batch)
        , m_catalogue(batch.catalogue)
        , m_sink(batch.sink)
    { }

protected:
    // Ends a statement; every statement but the batch's last says that more follows.
    void finish(quint16 status, quint16 command = CurrentCommand::None, quint64 count = 0,
        DoneKind kind = DoneKind::Done);
    // Sends the messages (with the statement's line) and ends the statement as failed.
    void fail(const QList<ServerMessage> &messages, int line, quint16 command = CurrentCommand::None);
    // Where a path the server is given lies on this machine: relative paths are taken from the data
    // folder, as SQL Server takes them from its default folders; Windows paths lie in drive folders.
    QString resolvePath(const QString &path) const;
    // 1105: what a server says when master cannot take a change, as the stand-in says when its
    // catalogue cannot be saved.
    static ServerMessage masterFilegroupFull();
    // Whether the name's qualifiers can reach a system object: at most three
    // parts, a schema that is empty, dbo or sys, and a database that exists.
    bool qualifiersReachSystemObject(const ObjectName &object) const;

    BatchState &m_batch;
    Catalogue &m_catalogue;
    ResponseSink &m_sink;
};

} // namespace standin
