#pragma once

#include <optional>

namespace brevane::run {

// How long a run waits for the server, in seconds (0: for ever).
struct RunTimeouts
{
    int logon = 180; // the log-on
    std::optional<int> query; // every other statement; nullopt: the connection's own default
    int restore = 180; // the dump device and restore statements
};

} // namespace brevane::run
