#include "HostWindow.h"
#include "TypeDescription.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>
#include <quilvet/Component.h>

#include <cstdio>
#include <memory>

namespace {

// Prints what the type library that the control's registration names says
// of it; registers the default library first when nothing is registered.
int describeControl(const QString &defaultLibrary)
{
    using namespace quilvet::com;
    const QString progId = QString::fromUtf16(quilvet::ProgId_clsQuilvet);
    CLSID clsid {};
    if (FAILED(classIdFromProgId(progId, &clsid))) {
        registerServer(defaultLibrary);
    }
    TypeDescription description;
    QString error;
    if (!TypeDescription::readRegistered(progId, &description, &error)) {
        std::fprintf(stderr, "quilvet-host: %s\n", qPrintable(error));
        return 1;
    }
    std::fputs(description.text().toUtf8().constData(), stdout);
    return 0;
}

// Whether the command line asks for the window: help, version, registration
// and --describe run without a display.
bool wantsWindow(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument = QByteArray(argv[i]).split('=').first();
        for (const char *windowless : { "-h", "-?", "--help", "--help-all", "-v", "--version", "--describe",
                 "--register", "--unregister" }) {
            if (argument == windowless) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<QCoreApplication> app(
        wantsWindow(argc, argv) ? new QApplication(argc, argv) : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("quilvet-host"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILVET_HOST_VERSION));
    // Qt's own buttons and dialogs in the user's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Hosts clsQuilvet through its component registration."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption registerOption(QStringLiteral("register"),
        QStringLiteral("Register the component library <library> and quit."), QStringLiteral("library"));
    const QCommandLineOption unregisterOption(QStringLiteral("unregister"),
        QStringLiteral("Unregister the component library <library> and quit."), QStringLiteral("library"));
    const QCommandLineOption storeOption(QStringLiteral("store"),
        QStringLiteral("Keep the control's properties in <file>."), QStringLiteral("file"));
    parser.addOption(registerOption);
    parser.addOption(unregisterOption);
    const QCommandLineOption describeOption(QStringLiteral("describe"),
        QStringLiteral(
            "Print the control's properties and events, read from its type information, and quit."));
    const QCommandLineOption streamOption(QStringLiteral("stream"),
        QStringLiteral("Save and load the control through its stream persistence (the control's binary "
                       "stream format) instead of a property bag (JSON)."));
    parser.addOption(storeOption);
    parser.addOption(streamOption);
    parser.addOption(describeOption);
    parser.process(*app);

    for (const auto &[option, unregister] :
        { std::pair { &registerOption, false }, std::pair { &unregisterOption, true } }) {
        if (parser.isSet(*option)) {
            QString error;
            const quilvet::com::HRESULT hr
                = quilvet::com::registerServer(parser.value(*option), unregister, &error);
            std::fprintf(stderr, "%s %s: 0x%08x %s\n", unregister ? "unregister" : "register",
                qPrintable(parser.value(*option)), static_cast<unsigned>(hr), qPrintable(error));
            return quilvet::com::SUCCEEDED(hr) ? 0 : 1;
        }
    }

    HostWindow::Options options;
    options.storeFormat
        = parser.isSet(streamOption) ? ControlFile::Format::Stream : ControlFile::Format::PropertyBag;
    options.storePath = parser.isSet(storeOption)
        ? parser.value(storeOption)
        : QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
            + (parser.isSet(streamOption) ? QStringLiteral("/control.stream")
                                          : QStringLiteral("/control.json"));
    const QString installed
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(QUILVET_INSTALLED_LIBRARY));
    options.defaultLibrary = QFileInfo::exists(installed)
        ? QFileInfo(installed).absoluteFilePath()
        : QDir::cleanPath(
            QCoreApplication::applicationDirPath() + QStringLiteral("/" QUILVET_DEFAULT_LIBRARY));

    if (parser.isSet(describeOption)) {
        return describeControl(options.defaultLibrary);
    }

    HostWindow window(options);
    QString error;
    window.show();
    if (!window.start(&error)) {
        std::fprintf(stderr, "quilvet-host: %s\n", qPrintable(error));
    }
    return QApplication::exec();
}
