#pragma once

namespace standin {

// How long to leave the listening socket alone after accept() failed. Running out of descriptors or
// memory leaves the pending connection queued, so retrying at once would spin; the wait doubles up
// to a second while the failures last, and the first failure of a run is reported on standard error.
class AcceptBackoff
{
public:
    // The wait in milliseconds after a failure with this errno; 0 for failures a retry may cure at
    // once (a client that gave up before it was accepted, an interrupted call).
    int failed(int error);
    void succeeded();

private:
    int m_delayMs = 0;
};

} // namespace standin
