#pragma once

#include "CommandLine.h"

namespace standin {

// Listens on 127.0.0.1, runs one thread per connection and stops cleanly on SIGTERM or SIGINT.
class Server
{
public:
    explicit Server(ServeOptions options);
    // Serves until a stop signal; returns the process exit code.
    int run();

private:
    ServeOptions m_options;
};

} // namespace standin
