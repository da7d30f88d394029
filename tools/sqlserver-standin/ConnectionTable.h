#pragma once

#include "ConnectionLimits.h"

#include <QDeadlineTimer>

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <thread>

namespace standin {

class Socket;

// The server's open connections, each served on a thread of its own: at most the limit at once, and
// each closed when it has not logged on in time. Logged-on connections may stay idle.
class ConnectionTable
{
public:
    // Serves one connection; calls loggedOn once the client has logged on.
    using SessionRun
        = std::function<void(const std::shared_ptr<Socket> &socket, std::function<void()> loggedOn)>;

    explicit ConnectionTable(ConnectionLimits limits);
    ~ConnectionTable();
    ConnectionTable(const ConnectionTable &) = delete;
    ConnectionTable &operator=(const ConnectionTable &) = delete;

    // Takes over a new connection and serves it, or closes it at once when the table is full.
    bool admit(int fd, quint16 spid, const SessionRun &run);
    // Closes the connections whose log-on time is up and forgets those that ended.
    void sweep();
    // How often sweep() has to run for the log-on time-out to hold.
    int sweepIntervalMs() const;
    void closeAll();

private:
    struct State
    {
        std::atomic<bool> loggedOn { false };
        std::atomic<bool> finished { false };
    };
    struct Entry
    {
        std::shared_ptr<Socket> socket;
        std::shared_ptr<State> state;
        std::thread thread;
        QDeadlineTimer logonDeadline;
        quint16 spid = 0;
        bool timedOut = false;
    };

    const ConnectionLimits m_limits;
    std::list<Entry> m_entries;
    bool m_fullReported = false;
};

} // namespace standin
