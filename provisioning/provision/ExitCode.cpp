#include "ExitCode.h"

namespace brevane::provision {

int exitCodeFor(PreflightCheck refused)
{
    if (refused == PreflightCheck::MovesKnown || refused == PreflightCheck::ServerPathsGiven)
        return ExitCode::Usage;
    return ExitCode::FirstRefusal + int(refused);
}

} // namespace brevane::provision
