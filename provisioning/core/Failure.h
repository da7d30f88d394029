#pragma once

#include <QString>
#include <QStringList>

#include <exception>
#include <string>

namespace brevane {

// Failure numbers the program knows by value. Everything else carries the
// number its source gave it.
namespace FailureNumber {
constexpr qint32 Overflow = 6;
constexpr qint32 TypeMismatch = 13;
constexpr qint32 MessageNotFound = 326;
constexpr qint32 NoCurrentRecord = 3021;
constexpr qint32 ServerStatementError = -2147217900; // 0x80040E14: the server rejected a statement
constexpr qint32 Timeout = -2147217871; // 0x80040E31: log-on or statement timed out
constexpr qint32 ConnectionFailed = -2147467259; // 0x80004005: log-on refused, link lost
constexpr qint32 Cancelled = -2147217842; // 0x80040E4E: the statement was cancelled
} // namespace FailureNumber

// A failure as every layer hands it on: a 32-bit number, a description and
// the component it came from. It is thrown across layers and caught by the
// handler that reports it, in one of the two orders the message boxes use.
class Failure : public std::exception
{
public:
    Failure() = default;
    Failure(qint32 number, QString description, QString source = {})
        : m_number(number)
        , m_description(std::move(description))
        , m_source(std::move(source))
    {
        m_what = numberFirst().toStdString();
    }

    qint32 number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const QString &source() const noexcept { return m_source; }

    // "number:description", no blanks.
    QString numberFirst() const { return QString::number(m_number) + QLatin1Char(':') + m_description; }
    // "description : number".
    QString descriptionFirst() const
    {
        return m_description + QStringLiteral(" : ") + QString::number(m_number);
    }

    const char *what() const noexcept override { return m_what.c_str(); }

    // Every error message the server sent for the statement, in order (the
    // description holds the first); empty for failures of other kinds.
    const QStringList &serverMessages() const noexcept { return m_serverMessages; }
    void setServerMessages(QStringList messages) { m_serverMessages = std::move(messages); }

private:
    qint32 m_number = 0;
    QString m_description;
    QString m_source;
    std::string m_what;
    QStringList m_serverMessages;
};

} // namespace brevane
