#pragma once

#include "Platform.h"

#include <QFileInfo>

namespace brevane::test {

// A machine whose program folder, system folder and network address a test chooses.
// Files are looked up on the real disk.
class FakePlatform : public Platform
{
public:
    QString programDir;
    QString windowsDir = QStringLiteral("/usr");
    std::optional<QString> ipv4Address;

    QString programFolder() const override { return programDir; }
    QString windowsDirectory() const override { return windowsDir; }
    std::optional<QString> localIPv4Address() const override { return ipv4Address; }
    bool ordinaryFileExists(const QString &path) const override
    {
        return SystemPlatform().ordinaryFileExists(path);
    }
    bool pathListed(const QString &path) const override { return SystemPlatform().pathListed(path); }
};

// Installs a FakePlatform for the lifetime of the guard.
class ScopedPlatform
{
public:
    ScopedPlatform()
        : m_platform(std::make_shared<FakePlatform>())
    {
        Platform::setCurrent(m_platform);
    }
    ~ScopedPlatform() { Platform::setCurrent(nullptr); }
    FakePlatform *operator->() const { return m_platform.get(); }

private:
    std::shared_ptr<FakePlatform> m_platform;
};

} // namespace brevane::test
