#include "InterruptWatcher.h"

#include <csignal>
#include <pthread.h>
#include <thread>

namespace brevane::provision {

void InterruptWatcher::install(std::function<void(int)> handler)
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::thread([signals, handler = std::move(handler)] {
        int count = 0;
        for (;;) {
            int received = 0;
            if (sigwait(&signals, &received) == 0)
                handler(++count);
        }
    }).detach();
}

} // namespace brevane::provision
