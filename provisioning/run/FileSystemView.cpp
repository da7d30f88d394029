#include "FileSystemView.h"

#include "Platform.h"
#include "ServerFacts.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace brevane::run {

namespace {

class LocalFileSystem : public FileSystemView
{
public:
    std::optional<bool> isFolder(const QString &path) override { return QFileInfo(path).isDir(); }
    std::optional<bool> isFile(const QString &path) override
    {
        return Platform::current().ordinaryFileExists(path);
    }
    std::optional<bool> exists(const QString &path) override
    {
        return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    }
    std::optional<qint64> freeBytes(const QString &folder) override
    {
        const QStorageInfo storage(folder);
        if (!storage.isValid())
            return std::nullopt;
        return storage.bytesAvailable();
    }
};

// xp_fileexist's answer: a missing path whose parent is missing too may as
// well be hidden from the server's account, so it tells nothing.
class ServerFileSystem : public FileSystemView
{
public:
    ServerFileSystem(ServerFacts &facts, bool windows)
        : m_facts(facts)
        , m_windows(windows)
    { }

    std::optional<bool> isFolder(const QString &path) override
    {
        const auto state = known(path);
        return state ? std::optional<bool>(state->isFolder) : std::nullopt;
    }
    std::optional<bool> isFile(const QString &path) override
    {
        const auto state = known(path);
        return state ? std::optional<bool>(state->isFile) : std::nullopt;
    }
    std::optional<bool> exists(const QString &path) override
    {
        const auto state = known(path);
        return state ? std::optional<bool>(state->isFile || state->isFolder) : std::nullopt;
    }
    std::optional<qint64> freeBytes(const QString &folder) override
    {
        return m_facts.freeBytes(folder, m_windows);
    }

private:
    std::optional<ServerFacts::PathState> known(const QString &path)
    {
        const auto state = m_facts.pathState(path);
        if (!state || (!state->isFile && !state->isFolder && !state->parentExists))
            return std::nullopt;
        return state;
    }

    ServerFacts &m_facts;
    bool m_windows;
};

} // namespace

std::unique_ptr<FileSystemView> FileSystemView::local()
{
    return std::make_unique<LocalFileSystem>();
}

std::unique_ptr<FileSystemView> FileSystemView::onServer(ServerFacts &facts, bool windows)
{
    return std::make_unique<ServerFileSystem>(facts, windows);
}

} // namespace brevane::run
