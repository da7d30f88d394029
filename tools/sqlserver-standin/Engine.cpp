#include "Engine.h"

#include "AlterDatabase.h"
#include "DropDatabase.h"
#include "ProcedureRunner.h"
#include "RaiseError.h"
#include "RestoreRunner.h"
#include "SelectRunner.h"
#include "ServerPaths.h"
#include "SessionOptions.h"
#include "SqlParser.h"
#include "StatementRunner.h"

#include <QDir>
#include <QFile>

namespace standin {

namespace {

class BatchRun : public StatementRunner
{
public:
    explicit BatchRun(BatchState &batch)
        : StatementRunner(batch)
    { }

    Engine::Outcome run(const QString &batch, const BoundParameters *parameters)
    {
        const ParsedBatch parsed
            = parseSqlBatch(batch, m_batch.server.codePage, parameters ? *parameters : BoundParameters());
        if (!parsed.errors.isEmpty()) {
            for (const ServerMessage &error : parsed.errors)
                m_sink.message(error);
            m_sink.done(DoneKind::Done, DoneStatus::Error, CurrentCommand::None, 0);
            return Engine::Outcome::Completed;
        }
        if (parsed.statements.isEmpty()) {
            m_sink.done(DoneKind::Done, DoneStatus::Final, CurrentCommand::None, 0);
            return Engine::Outcome::Completed;
        }
        for (qsizetype i = 0; i < parsed.statements.size(); ++i) {
            m_batch.last = i == parsed.statements.size() - 1;
            const Engine::Outcome outcome = execute(parsed.statements.at(i));
            if (outcome != Engine::Outcome::Completed)
                return outcome;
        }
        return Engine::Outcome::Completed;
    }

private:
    Engine::Outcome execute(const Statement &statement)
    {
        try {
            if (const auto *select = std::get_if<SelectStatement>(&statement.body)) {
                runSelect(m_batch, *select);
            } else if (const auto *ifStatement = std::get_if<IfStatement>(&statement.body)) {
                const bool holds = ifStatement->condition
                    ? evaluateCondition(m_batch, *ifStatement->condition)
                    : !evaluateSelect(m_batch, ifStatement->query).rows.isEmpty() != ifStatement->notExists;
                const std::shared_ptr<Statement> branch
                    = holds ? ifStatement->thenBranch : ifStatement->elseBranch;
                if (branch)
                    return execute(*branch);
                finish(DoneStatus::Final);
            } else if (const auto *exec = std::get_if<ExecStatement>(&statement.body)) {
                runProcedure(m_batch, *exec, statement.line);
            } else if (const auto *restore = std::get_if<RestoreStatement>(&statement.body)) {
                return runRestore(m_batch, *restore, statement.line);
            } else if (const auto *raise = std::get_if<RaiseErrorStatement>(&statement.body)) {
                runRaiseError(m_batch, *raise, statement.line);
            } else if (const auto *drop = std::get_if<DropDatabaseStatement>(&statement.body)) {
                runDropDatabase(m_batch, *drop, statement.line);
            } else if (const auto *alter = std::get_if<AlterDatabaseStatement>(&statement.body)) {
                runAlterDatabase(m_batch, *alter, statement.line);
            } else if (const auto *set = std::get_if<SetStatement>(&statement.body)) {
                runSet(m_batch, *set, statement.line);
            } else if (const auto *unsupported = std::get_if<UnsupportedStatement>(&statement.body)) {
                const QString text = unsupported->near.isEmpty()
                    ? QStringLiteral("The SQL Server stand-in does not run %1 statements.")
                          .arg(unsupported->description)
                    : QStringLiteral("The SQL Server stand-in does not run %1 statements with '%2'.")
                          .arg(unsupported->description, unsupported->near);
                fail({ serverMessage(Msg::UserDefined, { text }) }, statement.line);
            }
        } catch (const StatementError &error) {
            fail(error.messages, statement.line);
        }
        return Engine::Outcome::Completed;
    }
};

} // namespace

Engine::Engine(Catalogue &catalogue, ServerIdentity server)
    : m_catalogue(catalogue)
    , m_server([&server, &catalogue] {
        server.dataDir = catalogue.dataDir();
        return std::move(server);
    }())
{
    // The system databases' files lie in the server's data folder, named as the server names paths.
    const ServerPaths paths(m_server.host, m_catalogue.dataDir());
    m_catalogue.setSystemFileFolder(paths.dataFolder());
    if (m_server.host.isWindows())
        QDir().mkpath(paths.toLocal(paths.dataFolder()));
    // They exist as placeholders, so whoever looks can see who owns the server's files.
    for (const Database &database : m_catalogue.databases()) {
        for (const DatabaseFile &file : database.files) {
            QFile placeholder(paths.toLocal(file.physicalName));
            if (database.system && placeholder.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                placeholder.write("SQLSERVER-STANDIN SYSTEM DATABASE FILE\n");
        }
    }
}

Engine::Outcome Engine::executeBatch(const QString &batch, ResponseSink &sink, const BatchContext &context)
{
    BatchState state { m_catalogue, sink, m_server, context.options };
    return BatchRun(state).run(batch, context.parameters);
}

bool Engine::reportsProgress(const QString &batch)
{
    const ParsedBatch parsed = parseSqlBatch(batch);
    return std::any_of(parsed.statements.cbegin(), parsed.statements.cend(), [](const Statement &statement) {
        const auto *restore = std::get_if<RestoreStatement>(&statement.body);
        return restore && restore->kind == RestoreStatement::Kind::Database && restore->stats;
    });
}

std::optional<QString> Engine::databaseName(const QString &name)
{
    if (const auto database = m_catalogue.findDatabase(name))
        return database->name;
    return std::nullopt;
}

} // namespace standin
