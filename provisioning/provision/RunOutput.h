#pragma once

#include <QFile>
#include <QJsonObject>
#include <QString>

#include <mutex>

namespace brevane::provision {

// Where a run's lines go: steps to standard output (to standard error with
// --json, which keeps standard output for the JSON object), errors to
// standard error, and statements and server messages with their times to
// the --log file. Safe to use from the signal thread as well.
class RunOutput
{
public:
    explicit RunOutput(bool json);

    // Opens the log for appending; false with *error when it cannot be opened.
    bool openLog(const QString &path, QString *error);

    void step(const QString &line);
    void error(const QString &line);
    // A statement about to be sent: logged.
    void statement(const QString &text);
    // A message of the server: shown as a step and logged.
    void serverMessage(const QString &text);
    // A line only the log gets.
    void note(const QString &text);
    void printJson(const QJsonObject &object);

private:
    void write(FILE *stream, const QString &line);
    void log(const char *kind, const QString &text);

    bool m_json;
    QFile m_log;
    std::recursive_mutex m_mutex;
};

} // namespace brevane::provision
