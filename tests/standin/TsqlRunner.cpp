#include "TsqlRunner.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace hall::test {

TsqlRun runTsql(quint16 port, const QString &user, const QString &password, const QStringList &batches)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FREETDSCONF"), QStringLiteral("/dev/null"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("tsql"),
        { QStringLiteral("-H"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(port),
            QStringLiteral("-U"), user, QStringLiteral("-P"), password });
    TsqlRun run;
    if (!process.waitForStarted(10000))
        return run;
    for (const QString &batch : batches)
        process.write((batch + QStringLiteral("\ngo\n")).toUtf8());
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAll());
    return run;
}

QStringList messageHeaders(const QString &output)
{
    static const QRegularExpression header(QStringLiteral("Msg (\\d+) \\(severity (\\d+), state (\\d+)\\)"));
    QStringList headers;
    auto it = header.globalMatch(output);
    while (it.hasNext()) {
        const auto match = it.next();
        headers << QStringLiteral("%1/%2/%3").arg(match.captured(1), match.captured(2), match.captured(3));
    }
    return headers;
}

} // namespace hall::test
