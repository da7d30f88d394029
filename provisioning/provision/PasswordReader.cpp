#include "PasswordReader.h"

#include "ProgramTexts.h"

#include <QFile>

#include <atomic>
#include <cstdio>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace brevane::provision {

using namespace brevane::run;

namespace {

// Longest password line read; a longer line is refused rather than cut.
constexpr qint64 maxLineBytes = 4096;

termios savedTerminal;
std::atomic<bool> terminalChanged = false;

QByteArray readLine(int fd, bool *tooLong)
{
    QByteArray line;
    char c = 0;
    while (::read(fd, &c, 1) == 1) {
        if (c == '\n')
            break;
        line.append(c);
        if (line.size() > maxLineBytes) {
            *tooLong = true;
            break;
        }
    }
    return line;
}

} // namespace

QString firstLine(const QByteArray &bytes)
{
    QByteArray line = bytes.left(bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n'));
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

PasswordReader::Result PasswordReader::read(const ProvisionOptions &options)
{
    // Once it holds a password, no other unprivileged process may read this one's memory.
    ::prctl(PR_SET_DUMPABLE, 0);
    switch (options.passwordSource) {
    case PasswordSource::StandardInput: {
        bool tooLong = false;
        const QByteArray line = readLine(STDIN_FILENO, &tooLong);
        if (tooLong)
            return { std::nullopt,
                programText(QStringLiteral("The password line on standard input is too long.")), {} };
        const QString password = firstLine(line);
        if (password.isEmpty())
            return { std::nullopt,
                programText(
                    QStringLiteral("--password-stdin: standard input holds no password line (it ended or its "
                                   "first line is empty).")),
                {} };
        return { password, {}, {} };
    }
    case PasswordSource::File: {
        QFile file(options.passwordFile);
        if (!file.open(QIODevice::ReadOnly))
            return { std::nullopt,
                programText(QStringLiteral("Cannot read the password file %1: %2"))
                    .arg(options.passwordFile, file.errorString()),
                {} };
        const QByteArray head = file.read(maxLineBytes + 2);
        if (head.indexOf('\n') < 0 && head.size() > maxLineBytes)
            return { std::nullopt, programText(QStringLiteral("The password file's first line is too long.")),
                {} };
        Result result { firstLine(head), {}, {} };
        if (file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther))
            result.warning
                = programText(QStringLiteral("Warning: the password file %1 may be read by other users; "
                                             "make it readable by its owner only (chmod 600)."))
                      .arg(options.passwordFile);
        return result;
    }
    case PasswordSource::Terminal:
        return fromTerminal();
    }
    return {};
}

PasswordReader::Result PasswordReader::fromTerminal()
{
    if (!::isatty(STDIN_FILENO))
        return { std::nullopt,
            programText(QStringLiteral(
                "No password: standard input is no terminal to ask on. Use --password-stdin or "
                "--password-file FILE.")),
            {} };
    // Echo goes off before the prompt shows, so nothing typed after it is echoed.
    termios quiet {};
    const bool canSilence = ::tcgetattr(STDIN_FILENO, &savedTerminal) == 0;
    if (canSilence) {
        quiet = savedTerminal;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        terminalChanged = true;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::fputs("Password: ", stderr);
    std::fflush(stderr);
    bool tooLong = false;
    const QByteArray line = readLine(STDIN_FILENO, &tooLong);
    restoreTerminal();
    if (tooLong)
        return { std::nullopt, programText(QStringLiteral("The password is too long.")), {} };
    return { firstLine(line), {}, {} };
}

void PasswordReader::restoreTerminal()
{
    if (terminalChanged.exchange(false))
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
}

} // namespace brevane::provision
