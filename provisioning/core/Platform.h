#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace brevane {

// What the program asks of the machine it runs on. The windows reach the
// machine only through this seam, so tests can put a machine of their own
// in its place (another program folder, a Windows-style system folder, no
// network address).
class Platform
{
public:
    virtual ~Platform() = default;

    // The folder that holds the program file, without a trailing separator.
    virtual QString programFolder() const = 0;
    // The folder that plays the Windows directory for the system-drive check.
    virtual QString windowsDirectory() const = 0;
    // The machine's own IPv4 address: the first non-loopback IPv4 address of
    // an interface that is up; nullopt when there is none.
    virtual std::optional<QString> localIPv4Address() const = 0;
    // True when an ordinary file (not a folder, not hidden) exists at the path.
    virtual bool ordinaryFileExists(const QString &path) const = 0;
    // True when a listing of the path that includes folders finds an entry:
    // an existing folder or an existing file both pass.
    virtual bool pathListed(const QString &path) const = 0;

    // The platform the program uses; tests may install another.
    static Platform &current();
    static void setCurrent(std::shared_ptr<Platform> platform);
};

// The real machine.
class SystemPlatform : public Platform
{
public:
    QString programFolder() const override;
    QString windowsDirectory() const override;
    std::optional<QString> localIPv4Address() const override;
    bool ordinaryFileExists(const QString &path) const override;
    bool pathListed(const QString &path) const override;
};

} // namespace brevane
