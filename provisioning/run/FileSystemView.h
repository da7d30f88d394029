#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace brevane::run {

class ServerFacts;

// The file system the server's files live on, as the checks see it: this
// machine's own for a server on this machine, else the server's, asked
// through the server. nullopt answers "cannot tell".
class FileSystemView
{
public:
    virtual ~FileSystemView() = default;

    virtual std::optional<bool> isFolder(const QString &path) = 0;
    virtual std::optional<bool> isFile(const QString &path) = 0;
    // Whether anything (a file, a folder, a link) has that name.
    virtual std::optional<bool> exists(const QString &path) = 0;
    virtual std::optional<qint64> freeBytes(const QString &folder) = 0;

    static std::unique_ptr<FileSystemView> local();
    // windows: the server names its paths in Windows' form.
    static std::unique_ptr<FileSystemView> onServer(ServerFacts &facts, bool windows);
};

} // namespace brevane::run
