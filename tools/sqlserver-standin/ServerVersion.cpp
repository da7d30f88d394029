#include "ServerVersion.h"

#include <QStringList>

namespace standin {

std::optional<ServerVersion> ServerVersion::parse(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() < 3 || parts.size() > 4)
        return std::nullopt;
    int numbers[4] = { 0, 0, 0, 0 };
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        numbers[i] = parts.at(i).toInt(&ok);
        if (!ok || numbers[i] < 0 || numbers[i] > 65535 || (i < 2 && numbers[i] > 255))
            return std::nullopt;
    }
    if (numbers[0] < 7)
        return std::nullopt;
    return ServerVersion { numbers[0], numbers[1], numbers[2], numbers[3] };
}

QString ServerVersion::productVersion() const
{
    return QStringLiteral("%1.%2.%3.%4").arg(major).arg(minor).arg(build).arg(revision);
}

QString ServerVersion::messageForm() const
{
    return QStringLiteral("%1.%2.%3")
        .arg(major, 2, 10, QLatin1Char('0'))
        .arg(minor, 2, 10, QLatin1Char('0'))
        .arg(build, 4, 10, QLatin1Char('0'));
}

int ServerVersion::databaseVersion() const
{
    switch (major) {
    case 7:
        return 515;
    case 8:
        return 539;
    case 9:
        return 611;
    case 10:
        return minor >= 50 ? 661 : 655;
    case 11:
        return 706;
    case 12:
        return 782;
    case 13:
        return 852;
    case 14:
        return 869;
    case 15:
        return 904;
    case 16:
        return 957;
    default:
        // Releases after 16 are assumed to raise the format by about as much as 16 did.
        return 957 + 50 * (major - 16);
    }
}

int ServerVersion::releaseYear() const
{
    switch (major) {
    case 7:
        return 1998;
    case 8:
        return 2000;
    case 9:
        return 2005;
    case 10:
        return 2008;
    case 11:
        return 2012;
    case 12:
        return 2014;
    case 13:
        return 2016;
    case 14:
        return 2017;
    case 15:
        return 2019;
    default:
        return 2022 + 3 * (major - 16);
    }
}

} // namespace standin
