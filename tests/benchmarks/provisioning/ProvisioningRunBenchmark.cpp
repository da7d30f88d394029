// Benchmark of one whole provisioning run through the window (Next, folder,
// Create database) against the SQL Server stand-in, beside the time FreeTDS's
// own command-line client takes to send the same four creation statements.
//   provisioning-run-bench [RUNS]
// Prints the median of each and their ratio. Needs `tsql` (freetds-bin).
#include "ProgramState.h"
#include "ProvisioningFixture.h"
#include "Statements.h"
#include "TsqlBatches.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace brevane;
using namespace brevane::run;
using namespace brevane::test;
using brevane::bench::median;

namespace {

// Through the window: log-on, backup inspection, folder, restore, settings.
double windowRunMilliseconds()
{
    ProvisioningFixture f;
    if (!f.ready())
        qFatal("stand-in: %s", qPrintable(f.error()));
    QFile settings(f.settingsFile());
    settings.open(QIODevice::WriteOnly);
    settings.write("[DataSource]\r\nDataBase=\r\n");
    settings.close();
    QElapsedTimer timer;
    timer.start();
    f.fillServerPage();
    f.pressNext();
    f.chooseFolder(f.dataFolder());
    f.pressRestore();
    const double elapsed = timer.nsecsElapsed() / 1e6;
    if (f.prompts().messages().size() != 1 || f.run().connection())
        qFatal("the run did not succeed: %s", qPrintable(f.prompts().messageTexts().join(QLatin1Char('|'))));
    return elapsed;
}

// The same four statements sent by tsql, each in its own batch.
double tsqlRunMilliseconds()
{
    ProvisioningFixture f;
    if (!f.ready())
        qFatal("stand-in: %s", qPrintable(f.error()));
    const QString backup = f.defaultBackup();
    const QString device = QStringLiteral("rivazadUZ");
    const QStringList statements { Statements::databaseExists(QStringLiteral("Hall")),
        Statements::dropDevice(device, backup), Statements::addDevice(device, backup),
        Statements::restoreDatabase(QStringLiteral("Hall"), device, QStringLiteral("rivazadUZ_Data"),
            f.dataFolder() + QStringLiteral("/Hall.mdf"), QStringLiteral("rivazadUZ_Log"),
            f.dataFolder() + QStringLiteral("/Hall_Log.ldf")) };
    return bench::tsqlBatchesMilliseconds(f.server().port(),
        QString::fromLatin1(ProvisioningFixture::kPassword), statements,
        f.dataFolder() + QStringLiteral("/Hall.mdf"));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 11;
    std::vector<double> window;
    std::vector<double> tsql;
    for (int i = 0; i < runs; ++i) {
        window.push_back(windowRunMilliseconds());
        tsql.push_back(tsqlRunMilliseconds());
    }
    QTextStream(stdout) << "median of " << runs << " runs\n"
                        << "Brevane run (Next, folder, Create): " << median(window) << " ms\n"
                        << "tsql, the four creation statements: " << median(tsql) << " ms\n"
                        << "ratio: " << median(window) / median(tsql) << '\n';
    return 0;
}
