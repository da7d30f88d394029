#pragma once

#include "Faults.h"
#include "ServerVersion.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace standin {

class Engine;
class Socket;
class StatementLog;
class TlsContext;

struct LoginAccount
{
    QString name;
    QString password;
};

// What every connection of one server shares.
struct SessionSettings
{
    QList<LoginAccount> logins;
    QString serverName;
    ServerVersion version;
    int codePage = 1252;
    HostProfile host;
    FaultOptions faults;
    std::shared_ptr<TlsContext> tls; // null: encryption not supported
    bool forceEncryption = false;
};

// One client connection: PRELOGIN, LOGIN7, then batches until the client leaves.
class Session
{
public:
    Session(std::shared_ptr<Socket> socket, Engine &engine, const SessionSettings &settings,
        StatementLog *log, quint16 spid);

    void run();
    // Called once the client has logged on.
    void onLoggedOn(std::function<void()> handler) { m_loggedOn = std::move(handler); }

private:
    // Tells a test that an attention arrived: on standard error and in the statement log, once
    // between one batch and the next however many attentions a client sends.
    void noteAttention(const QString &when);

    std::shared_ptr<Socket> m_socket;
    Engine &m_engine;
    const SessionSettings &m_settings;
    StatementLog *m_log;
    quint16 m_spid;
    std::function<void()> m_loggedOn;
    bool m_attentionNoted = false;
};

} // namespace standin
