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
            const std::optional<Database> dropped = removeFromCatalogue(name, drop.ifExists, problems);
            if (!dropped)
                continue;
            for (const DatabaseFile &file : dropped->files)
                QFile::remove(resolvePath(file.physicalName));
        }
        // Messages go out after the catalogue's lock is released.
        if (problems.isEmpty())
            finish(DoneStatus::Final);
        else
            fail(problems, line);
    }

private:
    // Removes the database and saves the catalogue as one change; the database dropped, if any.
    std::optional<Database> removeFromCatalogue(
        const QString &name, bool ifExists, QList<ServerMessage> &problems)
    {
        Catalogue::Change change(m_catalogue);
        const std::optional<Database> database = m_catalogue.findDatabase(name);
        if (!database) {
            if (!ifExists)
                problems << serverMessage(Msg::CannotDropDatabase, { name });
            return std::nullopt;
        }
        if (database->system) {
            problems << serverMessage(Msg::CannotDropSystemDatabase, { database->name });
            return std::nullopt;
        }
        m_catalogue.removeDatabase(database->name);
        if (!change.commit(nullptr)) {
            problems << masterFilegroupFull();
            return std::nullopt;
        }
        return database;
    }
};

} // namespace

void runDropDatabase(BatchState &batch, const DropDatabaseStatement &drop, int line)
{
    DropDatabaseRun(batch).run(drop, line);
}

} // namespace standin
