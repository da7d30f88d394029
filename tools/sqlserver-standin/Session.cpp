#include "Session.h"

#include "Engine.h"
#include "Login.h"
#include "PacketIO.h"
#include "ProcedureCall.h"
#include "StatementLog.h"
#include "TlsChannel.h"
#include "TokenWriter.h"

#include <QDeadlineTimer>
#include <QtEndian>

#include <cstdio>

namespace standin {

namespace {

// Turns the engine's answer into tokens on the wire, watching for attentions while a restore runs.
class WireSink : public ResponseSink
{
public:
    // `delayMs`: the slow-down the pauses of a restore WITH STATS share among themselves.
    WireSink(MessageWriter &writer, MessageReader &reader, const SessionSettings &settings, int delayMs)
        : m_writer(writer)
        , m_reader(reader)
        , m_settings(settings)
        , m_delayMs(delayMs)
    { }

    void message(const ServerMessage &message) override
    {
        m_tokens.message(message, m_settings.serverName);
        push();
    }

    void columns(const QList<ResultColumn> &columns) override
    {
        m_columns = columns;
        m_tokens.columns(columns);
        push();
    }

    void row(const ResultRow &row) override
    {
        m_tokens.row(m_columns, row);
        push();
    }

    void returnStatus(qint32 status) override
    {
        m_tokens.returnStatus(status);
        push();
    }

    void environmentChange(quint8 type, const QString &newValue, const QString &oldValue) override
    {
        m_tokens.envChange(TokenWriter::EnvChangeType(type), newValue, oldValue);
        push();
    }

    void done(DoneKind kind, quint16 status, quint16 command, quint64 count) override
    {
        m_tokens.done(kind, status, command, count);
        push();
    }

    Progress restoreProgress() override
    {
        if (!m_writer.flush())
            return Progress::Dropped;
        if (m_settings.faults.dropMidRestore)
            return Progress::Dropped;
        return pollForAttention(0);
    }

    Progress pause(double share) override
    {
        if (!m_writer.flush())
            return Progress::Dropped;
        const QDeadlineTimer deadline(qint64(m_delayMs * share));
        do {
            const Progress progress = pollForAttention(int(qMax<qint64>(0, deadline.remainingTime())));
            if (progress != Progress::Continue)
                return progress;
        } while (!deadline.hasExpired());
        return Progress::Continue;
    }

private:
    // Waits up to timeoutMs for the client to cancel the batch or close the connection.
    Progress pollForAttention(int timeoutMs)
    {
        switch (m_reader.pollForAttention(timeoutMs)) {
        case MessageReader::Poll::Attention:
            return Progress::Cancelled;
        case MessageReader::Poll::Closed:
            return Progress::Dropped;
        case MessageReader::Poll::Nothing:
            break;
        }
        return Progress::Continue;
    }

    void push() { m_writer.append(m_tokens.take()); }

    MessageWriter &m_writer;
    MessageReader &m_reader;
    const SessionSettings &m_settings;
    const int m_delayMs;
    TokenWriter m_tokens;
    QList<ResultColumn> m_columns;
};

QString decodeBatchText(const QByteArray &payload)
{
    // ALL_HEADERS (TDS 7.2+) comes first; its first DWORD counts its own length.
    qsizetype start = 0;
    if (payload.size() >= 4) {
        const quint32 total = qFromLittleEndian<quint32>(payload.constData());
        if (total >= 4 && total <= quint32(payload.size()))
            start = qsizetype(total);
    }
    QString text;
    text.reserve((payload.size() - start) / 2);
    for (qsizetype i = start; i + 1 < payload.size(); i += 2)
        text.append(QChar(char16_t(quint8(payload.at(i)) | (quint8(payload.at(i + 1)) << 8))));
    return text;
}

bool sendMessages(MessageWriter &writer, const QList<ServerMessage> &messages, const QString &serverName,
    quint16 doneStatus)
{
    TokenWriter tokens;
    for (const ServerMessage &message : messages)
        tokens.message(message, serverName);
    tokens.done(DoneKind::Done, doneStatus, CurrentCommand::None, 0);
    writer.append(tokens.take());
    return writer.endMessage();
}

bool sendAttentionAck(MessageWriter &writer)
{
    TokenWriter tokens;
    tokens.done(DoneKind::Done, DoneStatus::Attention, CurrentCommand::None, 0);
    writer.append(tokens.take());
    return writer.endMessage();
}

} // namespace

Session::Session(std::shared_ptr<Socket> socket, Engine &engine, const SessionSettings &settings,
    StatementLog *log, quint16 spid)
    : m_socket(std::move(socket))
    , m_engine(engine)
    , m_settings(settings)
    , m_log(log)
    , m_spid(spid)
{ }

void Session::run()
{
    MessageReader reader(*m_socket);
    MessageWriter writer(*m_socket, m_spid);
    const FaultOptions &faults = m_settings.faults;

    // Before log-on a client gets no more room than a log-on needs.
    reader.setMessageLimit(MaxLogonMessageSize);
    if (faults.silent) {
        while (reader.read()) { }
        return;
    }

    const std::optional<TdsMessage> prelogin = reader.read();
    if (!prelogin || prelogin->type != PacketType::Prelogin)
        return;
    const EncryptionChoice encryption = chooseEncryption(
        preloginEncryption(prelogin->payload), m_settings.tls != nullptr, m_settings.forceEncryption);
    writer.append(preloginReply(prelogin->payload, m_settings.version, encryption.answer));
    if (!writer.endMessage() || encryption.mode == EncryptionChoice::Mode::Refused)
        return;
    std::unique_ptr<TlsChannel> tls;
    if (encryption.mode != EncryptionChoice::Mode::None) {
        QString error;
        tls = TlsChannel::start(
            *m_settings.tls, *m_socket, encryption.mode == EncryptionChoice::Mode::LoginOnly, &error);
        if (!tls) {
            std::fprintf(stderr, "sqlserver-standin: connection %u: %s\n", unsigned(m_spid),
                error.toLocal8Bit().constData());
            return;
        }
    }

    const std::optional<TdsMessage> loginMessage = reader.read();
    if (!loginMessage || loginMessage->type != PacketType::Login7)
        return;
    const std::optional<Login7> login = parseLogin7(loginMessage->payload);
    if (!login)
        return;

    if (login->integratedSecurity) {
        sendMessages(
            writer, { serverMessage(Msg::UntrustedDomain) }, m_settings.serverName, DoneStatus::Error);
        return;
    }
    const bool known = std::any_of(
        m_settings.logins.cbegin(), m_settings.logins.cend(), [&](const LoginAccount &a) {
            return a.name.compare(login->userName, Qt::CaseInsensitive) == 0 && a.password == login->password;
        });
    if (!known) {
        sendMessages(writer, { serverMessage(Msg::LoginFailed, { login->userName }) }, m_settings.serverName,
            DoneStatus::Error);
        return;
    }
    QString database = QStringLiteral("master");
    if (!login->database.isEmpty()) {
        const std::optional<QString> found = m_engine.databaseName(login->database);
        if (!found) {
            sendMessages(writer,
                { serverMessage(Msg::CannotOpenDatabase, { login->database }),
                    serverMessage(Msg::LoginFailed, { login->userName }) },
                m_settings.serverName, DoneStatus::Error);
            return;
        }
        database = *found;
    }

    const int packetSize
        = login->packetSize == 0 ? DefaultPacketSize : int(qBound(512u, login->packetSize, 32767u)) & ~3;
    TokenWriter tokens;
    tokens.envChange(TokenWriter::Database, database, QStringLiteral("master"));
    tokens.message(serverMessage(Msg::DatabaseContextChanged, { database }), m_settings.serverName);
    tokens.collationChange();
    tokens.envChange(TokenWriter::Language, QStringLiteral("us_english"), QString());
    tokens.message(serverMessage(Msg::LanguageChanged), m_settings.serverName);
    tokens.loginAck(negotiatedTdsVersion(login->tdsVersion), m_settings.version);
    tokens.envChange(
        TokenWriter::PacketSize, QString::number(packetSize), QString::number(DefaultPacketSize));
    tokens.done(DoneKind::Done, DoneStatus::Final, CurrentCommand::None, 0);
    writer.append(tokens.take());
    if (!writer.endMessage())
        return;
    writer.setPacketSize(packetSize);
    reader.setMessageLimit(MaxMessageSize);
    if (m_loggedOn)
        m_loggedOn();

    int batches = 0;
    SessionOptions options;
    while (true) {
        const std::optional<TdsMessage> message = reader.read();
        if (!message)
            return;
        if (message->type == PacketType::Attention) {
            // Also acknowledged when the batch it meant has already ended.
            noteAttention(QStringLiteral("after the batch had ended"));
            if (!sendAttentionAck(writer))
                return;
            continue;
        }
        if (message->status & PacketStatus::Ignore) {
            // The client gave up sending this request: drop it, answer with a plain DONE.
            if (!sendMessages(writer, {}, m_settings.serverName, DoneStatus::Final))
                return;
            continue;
        }
        if (message->type == PacketType::TransactionManager) {
            if (!sendMessages(writer,
                    { serverMessage(Msg::UserDefined,
                        { QStringLiteral("The SQL Server stand-in does not accept transaction manager "
                                         "requests; send SQL batches.") }) },
                    m_settings.serverName, DoneStatus::Error))
                return;
            continue;
        }
        if (message->type != PacketType::SqlBatch && message->type != PacketType::Rpc)
            return; // not something a client sends after login: end the connection

        const bool call = message->type == PacketType::Rpc;
        const ClientRequest request
            = call ? callRequest(message->payload) : batchRequest(decodeBatchText(message->payload));
        const QString &batch = request.text;
        if (m_log)
            call ? m_log->appendCall(request.logEntry) : m_log->append(batch);
        m_attentionNoted = false;
        ++batches;
        if (faults.shouldDropAt(batches)) {
            m_socket->shutdown();
            return;
        }
        // A restore WITH STATS spreads its slow-down over its progress messages.
        const bool delayed = faults.shouldDelay(batch);
        const bool paced = delayed && Engine::reportsProgress(batch);
        if (delayed && !paced) {
            QDeadlineTimer deadline(faults.delayMs);
            bool cancelled = false;
            while (!deadline.hasExpired()) {
                const MessageReader::Poll poll
                    = reader.pollForAttention(int(qMax<qint64>(1, deadline.remainingTime())));
                if (poll == MessageReader::Poll::Closed)
                    return;
                if (poll == MessageReader::Poll::Attention) {
                    cancelled = true;
                    break;
                }
            }
            if (cancelled) {
                noteAttention(QStringLiteral("before the batch ran; it was not run"));
                if (!sendAttentionAck(writer))
                    return;
                continue;
            }
        }

        WireSink sink(writer, reader, m_settings, paced ? faults.delayMs : 0);
        switch (runRequest(m_engine, request, sink, options)) {
        case Engine::Outcome::Completed:
            if (!writer.endMessage())
                return;
            break;
        case Engine::Outcome::Cancelled:
            noteAttention(QStringLiteral("while the batch ran; it was stopped and undone"));
            writer.discard();
            if (!sendAttentionAck(writer))
                return;
            break;
        case Engine::Outcome::Dropped:
            m_socket->shutdown();
            return;
        }
    }
}

void Session::noteAttention(const QString &when)
{
    if (m_attentionNoted)
        return;
    m_attentionNoted = true;
    std::fprintf(stderr, "sqlserver-standin: attention on connection %u %s\n", unsigned(m_spid),
        when.toLocal8Bit().constData());
    std::fflush(stderr);
    if (m_log)
        m_log->appendAttention();
}

} // namespace standin
