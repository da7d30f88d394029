#include "StandinProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <signal.h>
#include <sys/prctl.h>

namespace hall::test {

namespace {
constexpr int StartTimeoutMs = 15000;
constexpr int StopTimeoutMs = 5000;

// The server must not outlive a test process that crashes or is killed.
void dieWithParent()
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
}
} // namespace

StandinProcess::StandinProcess(Options options)
    : m_options(std::move(options))
{ }

StandinProcess::~StandinProcess()
{
    stop();
}

QString StandinProcess::executablePath()
{
    return QStringLiteral(HALL_STANDIN_PATH);
}

bool StandinProcess::start()
{
    stop();
    m_error.clear();
    m_stderr.clear();
    m_port = 0;

    m_workDir = std::make_unique<QTemporaryDir>();
    if (!m_workDir->isValid()) {
        m_error = QStringLiteral("cannot create a temporary folder: %1").arg(m_workDir->errorString());
        return false;
    }
    m_dataDir = m_options.dataDir.isEmpty() ? m_workDir->filePath(QStringLiteral("data")) : m_options.dataDir;
    m_statementLog = m_workDir->filePath(QStringLiteral("statements.log"));
    m_loginFile = m_workDir->filePath(QStringLiteral("logins"));

    QStringList args { QStringLiteral("serve"), QStringLiteral("--port"), QStringLiteral("0"),
        QStringLiteral("--data-dir"), m_dataDir, QStringLiteral("--statement-log"), m_statementLog };
    if (!m_options.logins.isEmpty()) {
        QFile logins(m_loginFile);
        if (!logins.open(QIODevice::WriteOnly | QIODevice::NewOnly)
            || !logins.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
            || logins.write(m_options.logins.join(QLatin1Char('\n')).toUtf8() + '\n') < 0
            || !logins.flush()) {
            m_error = QStringLiteral("cannot write %1: %2").arg(m_loginFile, logins.errorString());
            return false;
        }
        args << QStringLiteral("--login-file") << m_loginFile;
    }
    args << m_options.extraArgs;

    m_process = std::make_unique<QProcess>();
    m_process->setProgram(executablePath());
    m_process->setArguments(args);
    m_process->setChildProcessModifier(dieWithParent);
    m_process->start();
    if (!m_process->waitForStarted(StartTimeoutMs)) {
        m_error = QStringLiteral("cannot start %1: %2").arg(executablePath(), m_process->errorString());
        m_process.reset();
        return false;
    }

    QDeadlineTimer deadline(StartTimeoutMs);
    while (!m_process->canReadLine()) {
        if (m_process->state() != QProcess::Running || deadline.hasExpired()
            || !m_process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            if (m_process->canReadLine())
                break;
            m_stderr += m_process->readAllStandardError();
            m_error
                = QStringLiteral("the stand-in gave no port: %1").arg(QString::fromUtf8(m_stderr).trimmed());
            stop();
            return false;
        }
    }
    const QByteArray line = m_process->readLine().trimmed();
    bool ok = false;
    const uint port = line.toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        m_error = QStringLiteral("unexpected first line from the stand-in: %1").arg(QString::fromUtf8(line));
        stop();
        return false;
    }
    m_port = quint16(port);
    return true;
}

void StandinProcess::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(StopTimeoutMs)) {
            m_process->kill();
            m_process->waitForFinished(StopTimeoutMs);
        }
    }
    m_stderr += m_process->readAllStandardError();
    m_process.reset();
}

bool StandinProcess::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

qint64 StandinProcess::processId() const
{
    return m_process ? m_process->processId() : 0;
}

quint16 StandinProcess::port() const
{
    return m_port;
}

QString StandinProcess::dataDir() const
{
    return m_dataDir;
}

QString StandinProcess::statementLogPath() const
{
    return m_statementLog;
}

QStringList StandinProcess::statements() const
{
    QStringList result;
    QFile file(m_statementLog);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    // One JSON string per line; other lines are events such as {"attention":true}.
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        const QJsonDocument doc = QJsonDocument::fromJson('[' + line + ']');
        if (doc.isArray() && !doc.array().isEmpty() && doc.array().first().isString())
            result << doc.array().first().toString();
    }
    return result;
}

int StandinProcess::attentions() const
{
    QFile file(m_statementLog);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int count = 0;
    while (!file.atEnd()) {
        const QJsonDocument doc = QJsonDocument::fromJson(file.readLine());
        if (doc.isObject() && doc.object().value(QStringLiteral("attention")).toBool())
            ++count;
    }
    return count;
}

QString StandinProcess::errorString() const
{
    return m_error;
}

QString StandinProcess::standardError() const
{
    if (m_process)
        m_stderr += m_process->readAllStandardError();
    return QString::fromUtf8(m_stderr);
}

bool StandinProcess::makeBackup(const QString &file, const QStringList &args, QString *error)
{
    QProcess process;
    process.start(executablePath(), QStringList { QStringLiteral("make-backup"), file } + args);
    const bool finished = process.waitForFinished(StartTimeoutMs);
    const bool ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok && error) {
        *error
            = finished ? QString::fromUtf8(process.readAllStandardError()).trimmed() : process.errorString();
        if (error->isEmpty())
            *error = QStringLiteral("make-backup failed with exit code %1").arg(process.exitCode());
    }
    return ok;
}

QString StandinProcess::makeTemplateBackup(const QString &folder)
{
    const QString file = folder + QStringLiteral("/rivazadUZ.Bak");
    QString error;
    if (!makeBackup(file,
            { QStringLiteral("--data"), QStringLiteral("rivazadUZ_Data=C:\\Data\\rivazadUZ_Data.MDF"),
                QStringLiteral("--log"), QStringLiteral("rivazadUZ_Log=C:\\Data\\rivazadUZ_Log.LDF") },
            &error))
        qWarning("%s", qPrintable(error));
    return file;
}

} // namespace hall::test
