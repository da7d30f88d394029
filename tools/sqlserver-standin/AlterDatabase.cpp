#include "AlterDatabase.h"

namespace standin {

Statement parseAlterDatabase(SqlCursor &cursor)
{
    Statement statement;
    statement.line = cursor.peek().line;
    cursor.expectKeyword(u"ALTER");
    cursor.expectKeyword(u"DATABASE");
    AlterDatabaseStatement alter;
    alter.name = cursor.parseName();
    const bool stateChange = cursor.peek().isKeyword(u"SET")
        && (cursor.peek(1).isKeyword(u"ONLINE") || cursor.peek(1).isKeyword(u"OFFLINE"));
    if (!stateChange) {
        // The stand-in cannot tell where such a statement ends, so it takes the rest of the batch.
        while (cursor.peek().kind != SqlToken::Kind::End)
            cursor.next();
        statement.body = UnsupportedStatement { QStringLiteral("ALTER DATABASE"), QString() };
        return statement;
    }
    cursor.next();
    alter.state = cursor.next().value.toUpper();
    if (cursor.peek().isKeyword(u"WITH")) {
        cursor.next();
        if (cursor.peek().isKeyword(u"ROLLBACK") && cursor.peek(1).isKeyword(u"IMMEDIATE")) {
            cursor.next();
            cursor.next();
        } else {
            cursor.expectKeyword(u"NO_WAIT");
        }
    }
    statement.body = alter;
    return statement;
}

namespace {

class AlterDatabaseRun : public StatementRunner
{
public:
    using StatementRunner::StatementRunner;

    void run(const AlterDatabaseStatement &alter, int line)
    {
        // Messages go out after the catalogue's lock is released.
        const QList<ServerMessage> problems = changeState(alter);
        if (problems.isEmpty())
            finish(DoneStatus::Final);
        else
            fail(problems, line);
    }

private:
    QList<ServerMessage> changeState(const AlterDatabaseStatement &alter)
    {
        Catalogue::Change change(m_catalogue);
        const std::optional<Database> database = m_catalogue.findDatabase(alter.name);
        if (!database)
            return { serverMessage(Msg::CannotAlterDatabase, { alter.name }),
                serverMessage(Msg::AlterDatabaseFailed) };
        if (database->system) {
            return { serverMessage(Msg::OptionNotForDatabase, { alter.state, database->name }),
                serverMessage(Msg::AlterDatabaseFailed) };
        }
        if (database->state == u"RESTORING" || m_catalogue.isBeingRestored(database->name))
            return { serverMessage(Msg::DatabaseRestoring), serverMessage(Msg::AlterDatabaseFailed) };
        m_catalogue.setDatabaseState(database->name, alter.state);
        if (!change.commit(nullptr))
            return { masterFilegroupFull() };
        return {};
    }
};

} // namespace

void runAlterDatabase(BatchState &batch, const AlterDatabaseStatement &alter, int line)
{
    AlterDatabaseRun(batch).run(alter, line);
}

} // namespace standin
