#include "RunFixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTest>

namespace brevane::test {

RunFixture::RunFixture(QStringList serverOptions)
{
    for (const char *folder : { "Brevane", "DB", "Data" })
        QDir(root()).mkpath(QString::fromLatin1(folder));
    hall::test::StandinProcess::Options options;
    options.logins = { QStringLiteral("sa:") + QString::fromLatin1(kPassword) };
    options.extraArgs = serverOptions;
    m_server = std::make_unique<hall::test::StandinProcess>(options);
    if (!m_server->start()) {
        m_error = m_server->errorString();
        return;
    }
    m_ready = makeBackup(defaultBackup(),
        { QStringLiteral("--data"),
            QStringLiteral("rivazadUZ_Data=C:\\Program Files\\SQL\\Data\\rivazadUZ_Data.MDF"),
            QStringLiteral("--log"),
            QStringLiteral("rivazadUZ_Log=C:\\Program Files\\SQL\\Data\\rivazadUZ_Log.LDF") });
}

bool RunFixture::makeBackup(const QString &file, const QStringList &args)
{
    return hall::test::StandinProcess::makeBackup(file, args, &m_error);
}

QStringList RunFixture::changingStatements() const
{
    QStringList changing;
    for (const QString &statement : m_server->statements()) {
        const QString upper = statement.toUpper();
        if (upper.contains(QLatin1String("SP_DROPDEVICE")) || upper.contains(QLatin1String("SP_ADDUMPDEVICE"))
            || upper.contains(QLatin1String("RESTORE DATABASE")))
            changing << statement;
    }
    return changing;
}

bool RunFixture::waitForStatement(const QString &fragment)
{
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        const QStringList sent = m_server->statements();
        if (!sent.isEmpty() && sent.last().contains(fragment))
            return true;
        QTest::qWait(20);
    }
    return false;
}

} // namespace brevane::test
