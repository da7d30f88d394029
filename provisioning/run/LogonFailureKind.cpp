#include "LogonFailureKind.h"

#include <QStringList>

namespace brevane::run {

LogonFailureKind logonFailureKind(const Failure &failure)
{
    if (failure.number() == FailureNumber::Timeout)
        return LogonFailureKind::Unreachable;
    // The driver's own texts when no server answered; the server's refusal
    // carries the server's text instead.
    static const QStringList noAnswer { QStringLiteral("Unable to connect"),
        QStringLiteral("connection failed"), QStringLiteral("unavailable or does not exist"),
        QStringLiteral("Connection refused"), QStringLiteral("Timeout expired") };
    for (const QString &text : noAnswer) {
        if (failure.description().contains(text, Qt::CaseInsensitive))
            return LogonFailureKind::Unreachable;
    }
    return LogonFailureKind::Refused;
}

} // namespace brevane::run
