// Start-up benchmark: the time from process start to the main window shown,
// beside a bare Qt window of the same size, as a ratio.
//   startup-bench [RUNS]
// Each run starts this program again as a child ("--child brevane" or
// "--child bare"); the child prints "shown" once its window is exposed, and
// the parent takes the time from starting the child to reading that line.
#include "frmDBConnect.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace {

int runChild(int argc, char *argv[], bool brevaneWindow)
{
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (brevaneWindow)
        window = std::make_unique<brevane::frmDBConnect>();
    else
        window = std::make_unique<QWidget>();
    window->resize(369, 270);
    window->show();
    // Shown means exposed: the platform has put the window on screen.
    QElapsedTimer limit;
    limit.start();
    while (!window->windowHandle()->isExposed() && limit.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QTextStream(stdout) << "shown" << Qt::endl;
    return 0;
}

double medianMilliseconds(const QString &mode, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--child"), mode });
        while (child.waitForReadyRead(10000)) {
            if (child.readAll().contains("shown"))
                break;
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
        child.waitForFinished();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv, QByteArray(argv[2]) == "brevane");

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;
    const double bare = medianMilliseconds(QStringLiteral("bare"), runs);
    const double brevane = medianMilliseconds(QStringLiteral("brevane"), runs);
    QTextStream(stdout) << "platform " << qgetenv("QT_QPA_PLATFORM") << ", median of " << runs << " runs\n"
                        << "bare window:   " << bare << " ms\n"
                        << "Brevane window: " << brevane << " ms\n"
                        << "ratio:          " << brevane / bare << '\n';
    return 0;
}
