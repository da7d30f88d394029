#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace hall::test {

// How a StandinProcess starts the server (StandinProcess::Options).
struct StandinOptions
{
    QStringList logins { QStringLiteral("sa:Secret#1") }; // NAME:PASSWORD, split at the first colon
    QStringList extraArgs; // further options of `serve`, e.g. fault options
    QString dataDir; // empty: a fresh temporary folder
};

// Runs the SQL Server stand-in (sqlserver-standin serve) for a test: it listens on a free
// loopback port, keeps its catalogue in a data folder and logs every batch it receives. The logins
// reach it through a file only its user can read (--login-file), never through its arguments.
class StandinProcess
{
public:
    using Options = StandinOptions;

    explicit StandinProcess(Options options = {});
    ~StandinProcess(); // stops the server (terminate, then kill)
    StandinProcess(const StandinProcess &) = delete;
    StandinProcess &operator=(const StandinProcess &) = delete;

    // Starts the server and waits (bounded) for the port line; false with errorString() on failure.
    bool start();
    void stop();
    bool isRunning() const;

    quint16 port() const;
    qint64 processId() const;
    QString dataDir() const;
    QString statementLogPath() const;
    // Every batch text received so far, in order (from the statement log).
    QStringList statements() const;
    // How many attentions (cancels) the server has received so far.
    int attentions() const;
    QString errorString() const;
    // What the server wrote to its standard error so far.
    QString standardError() const;

    // Path of the stand-in program, fixed at build time.
    static QString executablePath();
    // Runs `sqlserver-standin make-backup FILE ARGS...`; false with *error set on failure.
    static bool makeBackup(const QString &file, const QStringList &args, QString *error = nullptr);
    // The product's template backup (rivazadUZ, a data and a log file) as FOLDER/rivazadUZ.Bak; its path.
    static QString makeTemplateBackup(const QString &folder);

private:
    Options m_options;
    std::unique_ptr<QTemporaryDir> m_workDir;
    std::unique_ptr<QProcess> m_process;
    QString m_dataDir;
    QString m_statementLog;
    QString m_loginFile;
    QString m_error;
    mutable QByteArray m_stderr;
    quint16 m_port = 0;
};

} // namespace hall::test
