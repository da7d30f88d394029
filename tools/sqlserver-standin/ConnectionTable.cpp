#include "ConnectionTable.h"

#include "PacketIO.h"

#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace standin {

namespace {

void report(const char *format, unsigned a, unsigned b)
{
    std::fprintf(stderr, format, a, b);
    std::fflush(stderr);
}

} // namespace

ConnectionTable::ConnectionTable(ConnectionLimits limits)
    : m_limits(limits)
{ }

ConnectionTable::~ConnectionTable()
{
    closeAll();
}

bool ConnectionTable::admit(int fd, quint16 spid, const SessionRun &run)
{
    sweep();
    if (m_entries.size() >= size_t(m_limits.maxConnections)) {
        ::close(fd);
        if (!m_fullReported) {
            report("sqlserver-standin: %u connections are open, the most --max-connections allows; new "
                   "connections are closed at once until one ends (connection %u refused)\n",
                unsigned(m_limits.maxConnections), unsigned(spid));
            m_fullReported = true;
        }
        return false;
    }
    m_fullReported = false;
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    Entry &entry = m_entries.emplace_back();
    entry.socket = std::make_shared<Socket>(fd);
    // A client that stops reading makes a send wait; past this time the send fails and the session
    // ends, so it holds no one but itself.
    entry.socket->setSendTimeout(m_limits.sendTimeoutMs);
    entry.state = std::make_shared<State>();
    entry.logonDeadline = QDeadlineTimer(m_limits.logonTimeoutMs);
    entry.spid = spid;
    try {
        entry.thread = std::thread(
            [socket = entry.socket, state = entry.state, run, spid, timeoutMs = m_limits.sendTimeoutMs] {
                run(socket, [state] { state->loggedOn.store(true); });
                if (socket->sendTimedOut())
                    report("sqlserver-standin: connection %u closed: its client took no part of an answer "
                           "for %u ms\n",
                        unsigned(spid), unsigned(timeoutMs));
                socket->shutdown();
                state->finished.store(true);
            });
    } catch (const std::system_error &error) {
        // No thread to be had: the connection is closed, the server goes on.
        std::fprintf(stderr, "sqlserver-standin: connection %u closed: %s\n", unsigned(spid), error.what());
        m_entries.pop_back();
        return false;
    }
    return true;
}

void ConnectionTable::sweep()
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->state->finished.load()) {
            it->thread.join();
            it = m_entries.erase(it);
            continue;
        }
        if (!it->timedOut && !it->state->loggedOn.load() && it->logonDeadline.hasExpired()) {
            report("sqlserver-standin: connection %u closed: no log-on within %u ms\n", unsigned(it->spid),
                unsigned(m_limits.logonTimeoutMs));
            it->socket->shutdown();
            it->timedOut = true;
        }
        ++it;
    }
}

int ConnectionTable::sweepIntervalMs() const
{
    return qBound(10, m_limits.logonTimeoutMs / 4, 1000);
}

void ConnectionTable::closeAll()
{
    for (Entry &entry : m_entries) {
        entry.socket->shutdown();
        entry.thread.join();
    }
    m_entries.clear();
}

} // namespace standin
