#include "Activation.h"
#include "HostWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStandardPaths>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quilvet-host"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Hosts clsQuilvet through its component registration."));
    parser.addHelpOption();
    const QCommandLineOption registerOption(QStringLiteral("register"),
        QStringLiteral("Register the component library <library> and quit."), QStringLiteral("library"));
    const QCommandLineOption unregisterOption(QStringLiteral("unregister"),
        QStringLiteral("Unregister the component library <library> and quit."), QStringLiteral("library"));
    const QCommandLineOption storeOption(QStringLiteral("store"),
        QStringLiteral("Keep the control's properties in <file>."), QStringLiteral("file"));
    parser.addOption(registerOption);
    parser.addOption(unregisterOption);
    parser.addOption(storeOption);
    parser.process(app);

    for (const auto &[option, unregister] :
        { std::pair { &registerOption, false }, std::pair { &unregisterOption, true } }) {
        if (parser.isSet(*option)) {
            QString error;
            const HRESULT hr = complatform::registerServer(parser.value(*option), unregister, &error);
            std::fprintf(stderr, "%s %s: 0x%08x %s\n", unregister ? "unregister" : "register",
                qPrintable(parser.value(*option)), static_cast<unsigned>(hr), qPrintable(error));
            return SUCCEEDED(hr) ? 0 : 1;
        }
    }

    HostWindow::Options options;
    options.storePath = parser.isSet(storeOption)
        ? parser.value(storeOption)
        : QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
            + QStringLiteral("/control.json");
    options.defaultLibrary = QStringLiteral(QUILVET_DEFAULT_LIBRARY);

    HostWindow window(options);
    QString error;
    window.show();
    if (!window.start(&error)) {
        std::fprintf(stderr, "quilvet-host: %s\n", qPrintable(error));
    }
    return QApplication::exec();
}
