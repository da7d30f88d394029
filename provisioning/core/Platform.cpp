#include "Platform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QNetworkInterface>

namespace brevane {

namespace {

std::shared_ptr<Platform> &installed()
{
    static std::shared_ptr<Platform> platform = std::make_shared<SystemPlatform>();
    return platform;
}

} // namespace

Platform &Platform::current()
{
    return *installed();
}

void Platform::setCurrent(std::shared_ptr<Platform> platform)
{
    installed() = platform ? std::move(platform) : std::make_shared<SystemPlatform>();
}

QString SystemPlatform::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

QString SystemPlatform::windowsDirectory() const
{
    // This platform has no Windows directory; the system's own programs live under /usr.
    return QStringLiteral("/usr");
}

std::optional<QString> SystemPlatform::localIPv4Address() const
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const auto entries = interface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            const QHostAddress address = entry.ip();
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
                return address.toString();
        }
    }
    return std::nullopt;
}

bool SystemPlatform::ordinaryFileExists(const QString &path) const
{
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}

bool SystemPlatform::pathListed(const QString &path) const
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

} // namespace brevane
