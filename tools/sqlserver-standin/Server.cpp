#include "Server.h"

#include "AcceptBackoff.h"
#include "Catalogue.h"
#include "ConnectionTable.h"
#include "Engine.h"
#include "PacketIO.h"
#include "Session.h"
#include "StatementLog.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace standin {

namespace {

int g_stopPipe[2] = { -1, -1 };

void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_stopPipe[1], &byte, 1);
}

bool installStopSignals()
{
    if (::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

void fail(const QString &message)
{
    std::fprintf(stderr, "sqlserver-standin: %s\n", message.toLocal8Bit().constData());
}

} // namespace

Server::Server(ServeOptions options)
    : m_options(std::move(options))
{ }

int Server::run()
{
    Catalogue catalogue(m_options.dataDir);
    QString error;
    if (!catalogue.load(&error)) {
        fail(error);
        return 1;
    }
    Engine engine(catalogue,
        ServerIdentity { m_options.settings.serverName, m_options.settings.version,
            m_options.settings.codePage, m_options.settings.host, m_options.dataDir });
    std::unique_ptr<StatementLog> log;
    if (!m_options.statementLog.isEmpty())
        log = std::make_unique<StatementLog>(m_options.statementLog);

    if (!installStopSignals()) {
        fail(QStringLiteral("cannot set up signal handling"));
        return 1;
    }
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        fail(QStringLiteral("cannot create a socket: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        return 1;
    }
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_options.port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(listener, 64) != 0) {
        fail(QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                 .arg(m_options.port)
                 .arg(QString::fromLocal8Bit(std::strerror(errno))));
        ::close(listener);
        return 1;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    std::printf("%u\n", unsigned(ntohs(address.sin_port)));
    std::fflush(stdout);

    ConnectionTable connections(m_options.limits);
    AcceptBackoff backoff;
    quint16 nextSpid = 51;

    while (true) {
        pollfd descriptors[2] = { { listener, POLLIN, 0 }, { g_stopPipe[0], POLLIN, 0 } };
        const int ready = ::poll(descriptors, 2, connections.sweepIntervalMs());
        if (ready < 0 && errno != EINTR)
            break;
        if (descriptors[1].revents & POLLIN)
            break;
        connections.sweep();
        if (ready <= 0 || !(descriptors[0].revents & POLLIN))
            continue;
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            const int delayMs = backoff.failed(errno);
            pollfd stop { g_stopPipe[0], POLLIN, 0 };
            if (delayMs > 0 && ::poll(&stop, 1, delayMs) > 0)
                break;
            continue;
        }
        backoff.succeeded();
        const quint16 spid = nextSpid;
        nextSpid = nextSpid >= 32000 ? 51 : nextSpid + 1;
        connections.admit(client, spid,
            [&engine, settings = &m_options.settings, logger = log.get(), spid](
                const std::shared_ptr<Socket> &socket, std::function<void()> loggedOn) {
                Session session(socket, engine, *settings, logger, spid);
                session.onLoggedOn(std::move(loggedOn));
                session.run();
            });
    }

    ::close(listener);
    connections.closeAll();
    return 0;
}

} // namespace standin
