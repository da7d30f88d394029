#pragma once

#include "Engine.h"
#include "SessionOptions.h"

#include <QJsonObject>

namespace standin {

// What a client's request asks the engine to run.
struct ClientRequest
{
    QString text; // the batch, or the statement a remote procedure call runs
    BoundParameters parameters;
    bool inProcedure = false; // sp_executesql: answered as a procedure (DONEINPROC ..., DONEPROC)
    QList<ServerMessage> refusal; // when not empty: answered with these, nothing runs
    QJsonObject logEntry; // for a call: procedure, statement, parameters' names and types (no values)
};

// A SQL batch's request.
ClientRequest batchRequest(const QString &text);
// A remote procedure call's request: sp_executesql runs its statement with its parameters bound; a
// procedure called by name runs as EXEC with its parameters; the rest is refused.
ClientRequest callRequest(const QByteArray &payload);

// Runs the request (or answers its refusal) with the connection's SET options, shaped as a
// procedure's answer when it is one.
Engine::Outcome runRequest(
    Engine &engine, const ClientRequest &request, ResponseSink &sink, SessionOptions &options);

// Answers a statement run by sp_executesql as a server answers a procedure: each statement's DONE
// becomes a DONEINPROC (none under SET NOCOUNT ON unless it failed); finish() adds the call's
// RETURNSTATUS and DONEPROC.
class ProcedureAnswerSink : public ResponseSink
{
public:
    ProcedureAnswerSink(ResponseSink &sink, const SessionOptions &options)
        : m_sink(sink)
        , m_options(options)
    { }

    void message(const ServerMessage &message) override;
    void columns(const QList<ResultColumn> &columns) override { m_sink.columns(columns); }
    void row(const ResultRow &row) override { m_sink.row(row); }
    void returnStatus(qint32) override { } // a nested procedure's status stays inside the call
    void done(DoneKind kind, quint16 status, quint16 command, quint64 count) override;
    void environmentChange(quint8 type, const QString &newValue, const QString &oldValue) override
    {
        m_sink.environmentChange(type, newValue, oldValue);
    }
    Progress restoreProgress() override { return m_sink.restoreProgress(); }
    Progress pause(double share) override { return m_sink.pause(share); }

    void finish();

private:
    ResponseSink &m_sink;
    const SessionOptions &m_options;
    bool m_failed = false;
};

} // namespace standin
