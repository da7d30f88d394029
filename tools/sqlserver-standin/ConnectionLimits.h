#pragma once

namespace standin {

// Bounds on what clients can make the server hold.
struct ConnectionLimits
{
    int maxConnections = 256; // past it, a new connection is closed at once
    int logonTimeoutMs = 30000; // a connection that has not logged on by then is closed
    int sendTimeoutMs = 30000; // a client that takes no part of an answer for this long is dropped
};

} // namespace standin
