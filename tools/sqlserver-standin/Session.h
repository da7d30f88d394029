#pragma once

#include "Faults.h"

#include <QList>
#include <QString>

#include <memory>

namespace standin {

class Engine;
class Socket;
class StatementLog;

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
    FaultOptions faults;
};

// One client connection: PRELOGIN, LOGIN7, then batches until the client leaves.
class Session
{
public:
    Session(std::shared_ptr<Socket> socket, Engine &engine, const SessionSettings &settings,
        StatementLog *log, quint16 spid);

    void run();

private:
    std::shared_ptr<Socket> m_socket;
    Engine &m_engine;
    const SessionSettings &m_settings;
    StatementLog *m_log;
    quint16 m_spid;
};

} // namespace standin
