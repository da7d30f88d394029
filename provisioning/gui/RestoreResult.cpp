#include "RestoreResult.h"

namespace brevane {

using namespace brevane::run;

qint16 restoreResultFor(ProvisioningRun::RestoreOutcome outcome)
{
    switch (outcome) {
    case ProvisioningRun::RestoreOutcome::Restored:
        return Restored;
    case ProvisioningRun::RestoreOutcome::BackupMissing:
        return BackupMissing;
    case ProvisioningRun::RestoreOutcome::ReservedDevice:
        return ReservedDevice;
    case ProvisioningRun::RestoreOutcome::DatabaseExists:
        return DatabaseExists;
    }
    return AlreadyReported;
}

} // namespace brevane
