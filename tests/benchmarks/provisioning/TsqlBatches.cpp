#include "TsqlBatches.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>

namespace brevane::bench {

double tsqlBatchesMilliseconds(
    int port, const QString &password, const QStringList &statements, const QString &expectedFile)
{
    QString script;
    for (const QString &statement : statements)
        script += statement + QStringLiteral("\ngo\n");
    script += QStringLiteral("exit\n");

    QProcess tsql;
    QElapsedTimer timer;
    timer.start();
    tsql.start(QStringLiteral("tsql"),
        { QStringLiteral("-H"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(port),
            QStringLiteral("-U"), QStringLiteral("sa"), QStringLiteral("-P"), password });
    tsql.write(script.toUtf8());
    tsql.closeWriteChannel();
    tsql.waitForFinished(60000);
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    if (!QFile::exists(expectedFile))
        qFatal("tsql did not restore: %s", tsql.readAll().constData());
    return elapsed;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace brevane::bench
