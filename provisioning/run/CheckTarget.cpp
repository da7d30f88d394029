#include "CheckTarget.h"

#include "ProgramTexts.h"
#include "ServerFacts.h"
#include "ServerLocation.h"

namespace brevane::run {

CheckTarget CheckTarget::settle(ServerFacts &facts, const QString &server, std::optional<bool> serverIsLocal,
    const QString &dataFolder, const QString &logFolder)
{
    CheckTarget target;
    target.local = serverIsLocal.value_or(ServerLocation::addressNamesThisMachine(server)
        || ServerLocation::isThisMachine(facts.machineName().value_or(QString())));
    target.dataFolder = dataFolder;
    target.logFolder = logFolder.isEmpty() ? dataFolder : logFolder;
    if (target.local) {
        target.files = FileSystemView::local();
        if (target.dataFolder.isEmpty())
            target.refusal
                = programText(QStringLiteral("--folder DIR is required for a server on this machine"));
        return target;
    }
    target.windows = facts.runsOnWindows().value_or(false);
    target.files = FileSystemView::onServer(facts, target.windows);
    if (target.dataFolder.isEmpty()) {
        target.dataFolder = facts.defaultDataPath().value_or(QString());
        target.logFolder
            = logFolder.isEmpty() ? facts.defaultLogPath().value_or(target.dataFolder) : logFolder;
        if (target.dataFolder.isEmpty())
            target.refusal = programText(QStringLiteral(
                "The server names no default data folder: give --folder DIR, a folder on the server"));
    }
    return target;
}

} // namespace brevane::run
