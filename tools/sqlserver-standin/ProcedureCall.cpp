#include "ProcedureCall.h"

#include "RpcRequest.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace standin {

namespace {

ServerMessage refusalMessage(const QString &what)
{
    return serverMessage(
        Msg::UserDefined, { QStringLiteral("The SQL Server stand-in does not run %1.").arg(what) });
}

ClientRequest refused(QList<ServerMessage> messages, QJsonObject logEntry)
{
    ClientRequest request;
    request.refusal = std::move(messages);
    request.logEntry = std::move(logEntry);
    return request;
}

// The names an sp_executesql declaration list gives, in order ("@a int, @b nvarchar(10) OUTPUT").
QStringList declaredNames(const QString &declarations)
{
    QStringList names;
    int depth = 0;
    bool atItemStart = true;
    static const QRegularExpression name(QStringLiteral("\\G\\s*(@[\\w@#$]+)"));
    for (qsizetype i = 0; i < declarations.size(); ++i) {
        const QChar c = declarations.at(i);
        if (atItemStart) {
            const QRegularExpressionMatch match = name.match(declarations, i);
            if (match.hasMatch())
                names << match.captured(1).toLower();
            atItemStart = false;
        }
        depth += c == QLatin1Char('(') ? 1 : (c == QLatin1Char(')') ? -1 : 0);
        if (c == QLatin1Char(',') && depth == 0)
            atItemStart = true;
    }
    return names;
}

QJsonArray describe(const QList<RpcParameter> &parameters)
{
    QJsonArray described;
    for (const RpcParameter &parameter : parameters)
        described.append(QJsonObject {
            { QStringLiteral("name"), parameter.name }, { QStringLiteral("type"), parameter.type } });
    return described;
}

ClientRequest executeSqlRequest(const RpcRequest &call)
{
    QList<RpcParameter> values = call.parameters;
    QJsonObject entry { { QStringLiteral("call"), call.procedure } };
    if (values.isEmpty() || values.first().value.kind != SqlValue::Kind::String)
        return refused({ serverMessage(Msg::ParameterOfWrongType,
                           { QStringLiteral("@statement"), QStringLiteral("ntext/nchar/nvarchar") }) },
            entry);
    ClientRequest request;
    request.inProcedure = true;
    request.text = values.takeFirst().value.text;
    entry.insert(QStringLiteral("statement"), request.text);
    QStringList declared;
    if (!values.isEmpty()
        && (values.first().name.isEmpty()
            || values.first().name.compare(u"@params", Qt::CaseInsensitive) == 0)) {
        if (values.first().value.kind != SqlValue::Kind::String)
            return refused({ serverMessage(Msg::ParameterOfWrongType,
                               { QStringLiteral("@params"), QStringLiteral("ntext/nchar/nvarchar") }) },
                entry);
        declared = declaredNames(values.takeFirst().value.text);
    }
    for (qsizetype i = 0; i < values.size(); ++i) {
        RpcParameter &parameter = values[i];
        if (parameter.name.isEmpty() && i < declared.size())
            parameter.name = declared.at(i);
        request.parameters.insert(parameter.name.toLower(), parameter.value);
    }
    entry.insert(QStringLiteral("parameters"), describe(values));
    request.logEntry = entry;
    for (const RpcParameter &parameter : std::as_const(values)) {
        if (parameter.output)
            request.refusal << refusalMessage(QStringLiteral("OUTPUT parameters (%1)").arg(parameter.name));
    }
    return request;
}

// A procedure called by name runs as EXEC name @a = value, ..., the way a batch calls it.
ClientRequest namedProcedureRequest(const RpcRequest &call)
{
    QJsonObject entry { { QStringLiteral("call"), call.procedure },
        { QStringLiteral("parameters"), describe(call.parameters) } };
    static const QRegularExpression plainName(QStringLiteral("^[\\w#$@]+(\\.[\\w#$@]*){0,3}$"));
    if (!plainName.match(call.procedure).hasMatch())
        return refused({ serverMessage(Msg::StoredProcedureNotFound, { call.procedure }) }, entry);
    ClientRequest request;
    request.logEntry = entry;
    QStringList arguments;
    for (qsizetype i = 0; i < call.parameters.size(); ++i) {
        const RpcParameter &parameter = call.parameters.at(i);
        const QString value = QStringLiteral("@__%1").arg(i + 1);
        arguments << (parameter.name.isEmpty() ? value : parameter.name + QStringLiteral(" = ") + value);
        request.parameters.insert(value, parameter.value);
        if (parameter.output)
            request.refusal << refusalMessage(QStringLiteral("OUTPUT parameters (%1)").arg(parameter.name));
    }
    request.text = QStringLiteral("EXEC %1 %2").arg(call.procedure, arguments.join(QStringLiteral(", ")));
    return request;
}

} // namespace

ClientRequest batchRequest(const QString &text)
{
    ClientRequest request;
    request.text = text;
    return request;
}

ClientRequest callRequest(const QByteArray &payload)
{
    QString error;
    const std::optional<RpcRequest> call = parseRpcRequest(payload, &error);
    if (!call)
        return refused({ refusalMessage(error) }, QJsonObject { { QStringLiteral("call"), QString() } });
    const QString procedure = call->procedure.section(QLatin1Char('.'), -1).toLower();
    if (procedure == u"sp_executesql")
        return executeSqlRequest(*call);
    if (procedure.startsWith(u"sp_prep") || procedure == u"sp_execute" || procedure == u"sp_unprepare"
        || procedure.startsWith(u"sp_cursor"))
        return refused({ refusalMessage(QStringLiteral("%1; it runs statements sent with sp_executesql or as "
                                                       "SQL batches")
                                            .arg(procedure)) },
            QJsonObject { { QStringLiteral("call"), call->procedure } });
    return namedProcedureRequest(*call);
}

Engine::Outcome runRequest(
    Engine &engine, const ClientRequest &request, ResponseSink &sink, SessionOptions &options)
{
    ProcedureAnswerSink procedure(sink, options);
    ResponseSink &answer = request.inProcedure ? static_cast<ResponseSink &>(procedure) : sink;
    Engine::Outcome outcome = Engine::Outcome::Completed;
    if (request.refusal.isEmpty()) {
        outcome = engine.executeBatch(request.text, answer, BatchContext { &options, &request.parameters });
    } else {
        for (const ServerMessage &message : request.refusal)
            answer.message(message);
        answer.done(DoneKind::Done, DoneStatus::Error, CurrentCommand::None, 0);
    }
    if (outcome == Engine::Outcome::Completed && request.inProcedure)
        procedure.finish();
    return outcome;
}

void ProcedureAnswerSink::message(const ServerMessage &message)
{
    m_failed = m_failed || message.isError();
    m_sink.message(message);
}

void ProcedureAnswerSink::done(DoneKind, quint16 status, quint16 command, quint64 count)
{
    if (status & DoneStatus::Error)
        m_failed = true;
    else if (m_options.noCount)
        return;
    m_sink.done(DoneKind::DoneInProc, status | DoneStatus::More, command, count);
}

void ProcedureAnswerSink::finish()
{
    m_sink.returnStatus(m_failed ? 1 : 0);
    m_sink.done(
        DoneKind::DoneProc, m_failed ? DoneStatus::Error : DoneStatus::Final, CurrentCommand::None, 0);
}

} // namespace standin
