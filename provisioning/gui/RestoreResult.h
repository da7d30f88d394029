#pragma once

#include "ProvisioningRun.h"

#include <QtGlobal>

namespace brevane {

// The results RestoreDatabase gives its caller.
enum RestoreResult : qint16 {
    Restored = 0,
    BackupMissing = 1,
    ReservedDevice = 2,
    DatabaseExists = 3,
    AlreadyReported = -1, // a failure the routine has shown already
};

// The result for the run's outcome of a restore.
qint16 restoreResultFor(run::ProvisioningRun::RestoreOutcome outcome);

} // namespace brevane
