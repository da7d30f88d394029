#include "BackupFile.h"
#include "CommandLine.h"
#include "Server.h"
#include "TlsContext.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

using namespace standin;

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    if (arguments == QStringList { QStringLiteral("--version") }) {
        std::printf("sqlserver-standin %s\n", HALL_VERSION);
        return 0;
    }
    const Command command = parseCommandLine(arguments);
    if (std::holds_alternative<ShowHelp>(command)) {
        std::fputs(helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (const auto *error = std::get_if<CommandLineError>(&command)) {
        std::fprintf(stderr, "sqlserver-standin: %s\nTry 'sqlserver-standin --help'.\n",
            error->message.toLocal8Bit().constData());
        return 2;
    }
    if (const auto *backup = std::get_if<MakeBackupOptions>(&command)) {
        QString error;
        // The backup's folder is made as needed, as for any file a tool writes.
        QDir().mkpath(QFileInfo(backup->file).absolutePath());
        if (!BackupFile::write(backup->file, backup->contents, &error)) {
            std::fprintf(stderr, "sqlserver-standin: cannot write %s: %s\n",
                backup->file.toLocal8Bit().constData(), error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    ServeOptions serve = std::get<ServeOptions>(command);
    QString error;
    serve.settings.tls
        = TlsContext::create(serve.certificateFile, serve.keyFile, serve.settings.serverName, &error);
    if (!serve.settings.tls) {
        std::fprintf(stderr, "sqlserver-standin: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return Server(std::move(serve)).run();
}
