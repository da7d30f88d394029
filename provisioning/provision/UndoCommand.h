#pragma once

#include "ProvisionOptions.h"
#include "ProvisioningRun.h"
#include "RunOutput.h"

#include <QJsonObject>

namespace brevane::provision {

// brevane-provision --undo FILE: logs on to the receipt's server, compares
// what the receipt records with what is there now, and only when all of it
// is as recorded (and the user confirms) puts it back.
class UndoCommand
{
public:
    UndoCommand(ProvisionOptions options, RunOutput &output);

    int execute();

private:
    int finish(const QString &outcome, int exitCode, const QString &message);
    bool confirmed();

    ProvisionOptions m_options;
    RunOutput &m_output;
    run::ProvisioningRun m_run;
    QJsonObject m_report;
    bool m_changed = false;
};

} // namespace brevane::provision
