#include "AcceptBackoff.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace standin {

namespace {
constexpr int FirstDelayMs = 50;
constexpr int LongestDelayMs = 1000;
} // namespace

int AcceptBackoff::failed(int error)
{
    if (error != EMFILE && error != ENFILE && error != ENOBUFS && error != ENOMEM)
        return 0;
    if (m_delayMs == 0) {
        std::fprintf(stderr,
            "sqlserver-standin: cannot accept connections: %s; pausing before each retry, up to a second\n",
            std::strerror(error));
        std::fflush(stderr);
    }
    m_delayMs = m_delayMs == 0 ? FirstDelayMs : std::min(m_delayMs * 2, LongestDelayMs);
    return m_delayMs;
}

void AcceptBackoff::succeeded()
{
    m_delayMs = 0;
}

} // namespace standin
