#include "DropDatabase.h"

#include <QFile>

namespace standin {

DropDatabaseStatement parseDropDatabase(SqlCursor &cursor)
{
    cursor.expectKeyword(u"DROP");
    cursor.expectKeyword(u"DATABASE");
    DropDatabaseStatement drop;
    if (cursor.peek().isKeyword(u"IF") && cursor.peek(1).isKeyword(u"EXISTS")) {
        cursor.next();
        cursor.next();
        drop.ifExists = true;
    }
    drop.names << cursor.parseName();
    while (cursor.peek().isSymbol(u",")) {
        cursor.next();
        drop.names << cursor.parseName();
    }
    return drop;
}

namespace {

class DropDatabaseRun : public StatementRunner
{
public:
    using StatementRunner::StatementRunner;

    void run(const DropDatabaseStatement &drop, int line)
    {
        QList<ServerMessage> problems;
        for (const QString &name : drop.names) {
            const std::optional<Database> database = m_catalogue.findDatabase(name);
            if (!database) {
                if (!drop.ifExists)
                    problems << serverMessage(Msg::CannotDropDatabase, { name });
                continue;
            }
            if (database->system) {
                problems << serverMessage(Msg::CannotDropSystemDatabase, { database->name });
                continue;
            }
            m_catalogue.removeDatabase(database->name);
            QString error;
            if (!m_catalogue.save(&error)) {
                m_catalogue.addDatabase(*database);
                problems << serverMessage(Msg::UserDefined,
                    { QStringLiteral("The SQL Server stand-in could not write its catalogue: %1")
                            .arg(error) });
                continue;
            }
            for (const DatabaseFile &file : database->files)
                QFile::remove(resolvePath(file.physicalName));
        }
        if (problems.isEmpty())
            finish(DoneStatus::Final);
        else
            fail(problems, line);
    }
};

} // namespace

void runDropDatabase(BatchState &batch, const DropDatabaseStatement &drop, int line)
{
    DropDatabaseRun(batch).run(drop, line);
}

} // namespace standin
