#pragma once

#include "FileSystemView.h"

#include <QString>

#include <memory>
#include <optional>

namespace brevane::run {

class ServerFacts;

// Where the checks look: whether the server runs on this machine, the form
// of its paths, the folders the database's files go to, and the file
// system those folders are on.
struct CheckTarget
{
    bool local = true;
    bool windows = false;
    QString dataFolder;
    QString logFolder;
    std::unique_ptr<FileSystemView> files;
    QString refusal; // why no target could be settled (a usage error)

    // serverIsLocal overrides what the address and the machine name say.
    // Empty folders are, for a server on another machine, the server's
    // default data and log folders.
    static CheckTarget settle(ServerFacts &facts, const QString &server, std::optional<bool> serverIsLocal,
        const QString &dataFolder, const QString &logFolder);
};

} // namespace brevane::run
