#include "RunOutput.h"

#include <QDateTime>
#include <QJsonDocument>

#include <cstdio>

namespace brevane::provision {

RunOutput::RunOutput(bool json)
    : m_json(json)
{ }

bool RunOutput::openLog(const QString &path, QString *error)
{
    m_log.setFileName(path);
    if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        *error = QStringLiteral("Cannot open the log file %1: %2").arg(path, m_log.errorString());
        return false;
    }
    return true;
}

void RunOutput::write(FILE *stream, const QString &line)
{
    const std::lock_guard lock(m_mutex);
    std::fputs(line.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void RunOutput::log(const char *kind, const QString &text)
{
    const std::lock_guard lock(m_mutex);
    if (!m_log.isOpen())
        return;
    const QString time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    m_log.write(
        (time + QLatin1Char(' ') + QLatin1String(kind) + QStringLiteral(": ") + text + QLatin1Char('\n'))
            .toUtf8());
    m_log.flush();
}

void RunOutput::step(const QString &line)
{
    write(m_json ? stderr : stdout, line);
    log("step", line);
}

void RunOutput::error(const QString &line)
{
    write(stderr, line);
    log("error", line);
}

void RunOutput::statement(const QString &text)
{
    log("statement", text);
}

void RunOutput::serverMessage(const QString &text)
{
    write(m_json ? stderr : stdout, text);
    log("server", text);
}

void RunOutput::note(const QString &text)
{
    log("note", text);
}

void RunOutput::printJson(const QJsonObject &object)
{
    const std::lock_guard lock(m_mutex);
    std::fputs(QJsonDocument(object).toJson(QJsonDocument::Indented).constData(), stdout);
    std::fflush(stdout);
}

} // namespace brevane::provision
