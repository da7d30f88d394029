#include "ExitCode.h"

namespace brevane::provision {

using namespace brevane::run;

int exitCodeFor(PreflightCheck refused)
{
    if (refused == PreflightCheck::MovesKnown || refused == PreflightCheck::ServerPathsGiven)
        return ExitCode::Usage;
    return ExitCode::FirstRefusal + int(refused);
}

} // namespace brevane::provision
