#include "UndoCommand.h"

#include "ExitCode.h"
#include "LogonFailureKind.h"
#include "PasswordReader.h"
#include "ProgramTexts.h"
#include "UndoPlan.h"

#include <QJsonArray>

#include <cstdio>
#include <unistd.h>

namespace brevane::provision {

using namespace brevane::run;

using namespace brevane::admin;

UndoCommand::UndoCommand(ProvisionOptions options, RunOutput &output)
    : m_options(std::move(options))
    , m_output(output)
{
    m_run.setStatementObserver([this](const QString &statement) { m_output.statement(statement); });
    m_run.setMessageObserver([this](const QString &message) { m_output.serverMessage(message); });
}

int UndoCommand::finish(const QString &outcome, int exitCode, const QString &message)
{
    if (exitCode == ExitCode::Created)
        m_output.step(message);
    else
        m_output.error(message);
    m_report.insert(QStringLiteral("outcome"), outcome);
    m_report.insert(QStringLiteral("exitCode"), exitCode);
    m_report.insert(QStringLiteral("changed"), m_changed);
    m_report.insert(QStringLiteral("message"), message);
    m_report.insert(QStringLiteral("receipt"), m_options.admin.undoFile);
    if (m_options.json)
        m_output.printJson(m_report);
    return exitCode;
}

bool UndoCommand::confirmed()
{
    if (m_options.admin.yes)
        return true;
    std::fputs(programText(QStringLiteral("Undo these changes? [y/N] ")).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    char answer[16] = {};
    const ssize_t got = ::read(STDIN_FILENO, answer, sizeof answer - 1);
    return got > 0 && (answer[0] == 'y' || answer[0] == 'Y');
}

int UndoCommand::execute()
{
    if (!m_options.admin.yes && !::isatty(STDIN_FILENO))
        return finish(QStringLiteral("failed"), ExitCode::Usage,
            programText(QStringLiteral(
                "--undo asks for confirmation on a terminal; give --yes to undo without asking.")));
    QString error;
    const std::optional<RunReceipt> receipt = RunReceipt::read(m_options.admin.undoFile, &error);
    if (!receipt)
        return finish(QStringLiteral("failed"), ExitCode::Usage, error);
    m_report.insert(QStringLiteral("server"), receipt->server);
    m_report.insert(QStringLiteral("database"), receipt->database);

    const PasswordReader::Result password = PasswordReader::read(m_options);
    if (!password.password)
        return finish(QStringLiteral("failed"), ExitCode::Usage, password.error);
    Failure logonFailure;
    m_run.setTimeouts({ m_options.loginTimeout, m_options.queryTimeout, m_options.restoreTimeout });
    if (!m_run.logOn(receipt->server, receipt->user, *password.password, &logonFailure)) {
        const bool unreachable = logonFailureKind(logonFailure) == LogonFailureKind::Unreachable;
        return finish(unreachable ? QStringLiteral("server-unreachable") : QStringLiteral("logon-failed"),
            unreachable ? ExitCode::ServerUnreachable : ExitCode::LogonFailed,
            programText(1045) + QStringLiteral("\n") + logonFailure.descriptionFirst());
    }

    UndoPlan plan(*receipt, [this](const QString &statement) { return m_run.send(statement); });
    try {
        const QStringList differences = plan.differences();
        if (!differences.isEmpty()) {
            m_report.insert(QStringLiteral("differences"), QJsonArray::fromStringList(differences));
            return finish(QStringLiteral("undo-refused"), ExitCode::UndoRefused,
                programText(
                    QStringLiteral("Nothing was undone, since not everything is as the receipt says:"))
                    + QLatin1Char('\n') + differences.join(QLatin1Char('\n')));
        }
        const QStringList actions = plan.actions();
        m_report.insert(QStringLiteral("actions"), QJsonArray::fromStringList(actions));
        for (const QString &action : actions)
            m_output.step(action);
        if (actions.isEmpty())
            return finish(QStringLiteral("undone"), ExitCode::Created,
                programText(QStringLiteral("The receipt records no change: nothing to undo.")));
        if (!confirmed())
            return finish(QStringLiteral("cancelled"), ExitCode::Cancelled,
                programText(QStringLiteral("Nothing was undone.")));
        m_changed = true;
        plan.apply();
    } catch (const Failure &failure) {
        return finish(QStringLiteral("server-failure"), ExitCode::ServerFailure,
            programText(QStringLiteral("The undo failed: ")) + failure.descriptionFirst());
    }
    m_run.release();
    return finish(QStringLiteral("undone"), ExitCode::Created,
        programText(QStringLiteral("What the receipt records was put back.")));
}

} // namespace brevane::provision
