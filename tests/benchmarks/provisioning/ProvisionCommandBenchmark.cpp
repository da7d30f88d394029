// Benchmark of one whole unattended run (brevane-provision: log-on, checks,
// restore, settings) against the SQL Server stand-in, beside the time
// FreeTDS's own command-line client takes to send the same statements.
//   provision-command-bench [RUNS]
// Prints the median of each and their ratio. Needs `tsql` (freetds-bin).
#include "ProvisioningRun.h"
#include "RunFixture.h"
#include "Statements.h"
#include "TsqlBatches.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace brevane;
using namespace brevane::run;
using namespace brevane::test;
using brevane::bench::median;

namespace {

void writeSettings(const RunFixture &f)
{
    QFile settings(f.settingsFile());
    if (!settings.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(f.settingsFile()));
    settings.write("[DataSource]\r\nDataBase=\r\n");
}

double provisionMilliseconds()
{
    RunFixture f;
    if (!f.ready())
        qFatal("stand-in: %s", qPrintable(f.error()));
    writeSettings(f);
    QProcess provision;
    QElapsedTimer timer;
    timer.start();
    provision.start(QStringLiteral(BREVANE_PROVISION_PATH),
        { QStringLiteral("--server"), f.serverText(), QStringLiteral("--password-stdin"),
            QStringLiteral("--folder"), f.dataFolder(), QStringLiteral("--backup"), f.defaultBackup(),
            QStringLiteral("--settings"), f.settingsFile(), QStringLiteral("--database"),
            QStringLiteral("Hall") });
    provision.write(QByteArray(RunFixture::kPassword) + '\n');
    provision.closeWriteChannel();
    provision.waitForFinished(60000);
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    if (provision.exitCode() != 0)
        qFatal("the run did not succeed: %s", provision.readAllStandardError().constData());
    return elapsed;
}

// The statements brevane-provision sends, each in its own batch, sent by tsql.
double tsqlMilliseconds()
{
    RunFixture f;
    if (!f.ready())
        qFatal("stand-in: %s", qPrintable(f.error()));
    const QString backup = f.defaultBackup();
    const BackupFileList files(QList<BackupFile> {
        { QStringLiteral("rivazadUZ_Data"), {}, {}, 0 }, { QStringLiteral("rivazadUZ_Log"), {}, {}, 0 } });
    const RestoreRequest request
        = RestoreRequest::intoFolder(backup, files, QStringLiteral("Hall"), f.dataFolder());
    const QStringList statements
        = QStringList { Statements::fileList(backup), Statements::databaseExists(QStringLiteral("Hall")),
              Statements::backupHeader(backup), Statements::serverVersion() }
        + ProvisioningRun::restoreStatements(request);
    return bench::tsqlBatchesMilliseconds(f.server().port(), QString::fromLatin1(RunFixture::kPassword),
        statements, f.dataFolder() + QStringLiteral("/Hall.mdf"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 11;
    std::vector<double> provision;
    std::vector<double> tsql;
    for (int i = 0; i < runs; ++i) {
        provision.push_back(provisionMilliseconds());
        tsql.push_back(tsqlMilliseconds());
    }
    QTextStream(stdout) << "median of " << runs << " runs\n"
                        << "brevane-provision, whole run: " << median(provision) << " ms\n"
                        << "tsql, the same statements:    " << median(tsql) << " ms\n"
                        << "ratio: " << median(provision) / median(tsql) << '\n';
    return 0;
}
