#include "RunReport.h"

#include <QJsonArray>

namespace brevane::provision {

using namespace brevane::run;

QJsonObject RunReport::toJson() const
{
    QJsonArray checkArray;
    for (const Check &check : checks)
        checkArray.append(QJsonObject {
            { QStringLiteral("check"), check.key },
            { QStringLiteral("passed"), check.made ? QJsonValue(check.passed) : QJsonValue() },
            { QStringLiteral("text"), check.text },
        });
    QJsonObject object {
        { QStringLiteral("outcome"), outcome },
        { QStringLiteral("exitCode"), exitCode },
        { QStringLiteral("dryRun"), dryRun },
        { QStringLiteral("server"), server },
        { QStringLiteral("user"), user },
        { QStringLiteral("database"), database },
        { QStringLiteral("serverIsLocal"), serverIsLocal },
        { QStringLiteral("backup"), backupFile },
        { QStringLiteral("files"),
            QJsonObject { { QStringLiteral("data"), dataFile }, { QStringLiteral("log"), logFile },
                { QStringLiteral("all"), QJsonArray::fromStringList(newFiles) } } },
        { QStringLiteral("settings"),
            QJsonObject {
                { QStringLiteral("file"), settingsFile }, { QStringLiteral("written"), settingsWritten } } },
        { QStringLiteral("checks"), checkArray },
        { QStringLiteral("statements"), QJsonArray::fromStringList(statements) },
        { QStringLiteral("restoreStatements"), QJsonArray::fromStringList(restoreStatements) },
        { QStringLiteral("serverMessages"), QJsonArray::fromStringList(serverMessages) },
        { QStringLiteral("elapsedSeconds"), elapsedSeconds },
    };
    if (!settingsReason.isEmpty()) {
        QJsonObject settings = object.value(QStringLiteral("settings")).toObject();
        settings.insert(QStringLiteral("reason"), settingsReason);
        object.insert(QStringLiteral("settings"), settings);
    }
    object.insert(QStringLiteral("changed"), changed);
    object.insert(QStringLiteral("message"), message);
    for (auto entry = administration.constBegin(); entry != administration.constEnd(); ++entry)
        object.insert(entry.key(), entry.value());
    if (!error.isEmpty())
        object.insert(QStringLiteral("error"), error);
    if (!state.isEmpty())
        object.insert(QStringLiteral("state"), state);
    return object;
}

} // namespace brevane::provision
