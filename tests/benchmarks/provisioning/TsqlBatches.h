#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace brevane::bench {

// Milliseconds that tsql takes to log on to the stand-in on port and send
// each statement as a batch of its own. Ends the program when expectedFile
// does not exist afterwards, so a failed restore is never timed as a run.
double tsqlBatchesMilliseconds(
    int port, const QString &password, const QStringList &statements, const QString &expectedFile);

// The median of a set of timings, 0 for none.
double median(std::vector<double> values);

} // namespace brevane::bench
