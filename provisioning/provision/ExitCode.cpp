#include "ExitCode.h"

namespace brevane::provision {

int exitCodeFor(PreflightCheck refused)
{
    return ExitCode::FirstRefusal + int(refused);
}

} // namespace brevane::provision
