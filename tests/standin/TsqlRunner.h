#pragma once

#include <QString>
#include <QStringList>

namespace hall::test {

struct TsqlRun
{
    int exitCode = -1;
    QString output; // standard output and error together
};

// Runs FreeTDS's tsql against the stand-in on this port, each batch followed by "go".
TsqlRun runTsql(quint16 port, const QString &user, const QString &password, const QStringList &batches);
// The "Msg N (severity S, state T)" headers tsql prints, in order, as "N/S/T".
QStringList messageHeaders(const QString &output);

} // namespace hall::test
