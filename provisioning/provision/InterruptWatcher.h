#pragma once

#include <functional>

namespace brevane::provision {

// Takes Ctrl-C (SIGINT) and SIGTERM away from the program's threads and
// hands them, one after the other, to a handler on a thread of its own,
// where it may do what a signal handler may not (cancel a statement
// through the driver, print). Install it first in main, before any other
// thread starts, so that every thread inherits the blocked signals.
class InterruptWatcher
{
public:
    // `handler` receives the count of signals so far (1 for the first).
    static void install(std::function<void(int count)> handler);
};

} // namespace brevane::provision
