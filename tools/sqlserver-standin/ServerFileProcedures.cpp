#include "ServerFileProcedures.h"

#include "ServerPaths.h"
#include "SessionOptions.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace standin {

namespace {

ResultColumn intColumn(const char *name)
{
    return ResultColumn { QString::fromLatin1(name), SqlType::IntN, 0, 0, true };
}

class ServerFileProcedure : public StatementRunner
{
public:
    using StatementRunner::StatementRunner;

    void run(const ExecStatement &exec, int line)
    {
        const QString name = exec.procedure.name().toLower();
        const ServerPaths paths(m_batch.server.host, m_catalogue.dataDir());
        Table table;
        if (name == u"xp_fileexist") {
            if (exec.arguments.isEmpty() || exec.arguments.first().value.kind == SqlValue::Kind::Default) {
                fail({ serverMessage(
                         Msg::MissingParameter, { exec.procedure.name(), QStringLiteral("@filename") }) },
                    line, CurrentCommand::Execute);
                return;
            }
            table = fileExists(paths, exec.arguments.first().value.text);
        } else {
            table = fixedDrives(paths);
        }
        m_sink.columns(table.columns);
        for (const ResultRow &row : std::as_const(table.rows))
            m_sink.row(row);
        // Under SET NOCOUNT ON a procedure sends no DONEINPROC for its statements.
        if (!m_batch.options || !m_batch.options->noCount)
            m_sink.done(DoneKind::DoneInProc, DoneStatus::Count | DoneStatus::More, CurrentCommand::Select,
                quint64(table.rows.size()));
        m_sink.returnStatus(0);
        finish(DoneStatus::Final, CurrentCommand::Execute, 0, DoneKind::DoneProc);
    }

private:
    // An existing folder answers 0, 1, 1: "File Exists" is for files only.
    Table fileExists(const ServerPaths &paths, const QString &serverPath) const
    {
        Table table;
        table.columns << intColumn("File Exists") << intColumn("File is a Directory")
                      << intColumn("Parent Directory Exists");
        const QString mapped = paths.toLocal(serverPath.trimmed());
        const QString local = mapped.isEmpty() ? mapped : QDir::cleanPath(mapped);
        const QFileInfo info(local);
        const bool found = !local.isEmpty() && info.exists();
        const bool parent = !local.isEmpty() && QFileInfo(info.absolutePath()).isDir();
        table.rows << ResultRow { qint64(found && !info.isDir() ? 1 : 0),
            qint64(found && info.isDir() ? 1 : 0), qint64(parent ? 1 : 0) };
        return table;
    }

    Table fixedDrives(const ServerPaths &paths) const
    {
        Table table;
        table.columns << ResultColumn { QStringLiteral("drive"), SqlType::Char, 1, 0, true }
                      << intColumn("MB free");
        if (!m_batch.server.host.isWindows())
            return table;
        for (const QString &letter : paths.drives()) {
            const QStorageInfo volume(ServerPaths::existingAncestor(paths.driveFolder(letter.at(0))));
            table.rows << ResultRow { letter, qint64(qMax<qint64>(0, volume.bytesAvailable()) / 1048576) };
        }
        return table;
    }
};

} // namespace

bool isServerFileProcedure(const QString &name)
{
    return name.compare(u"xp_fileexist", Qt::CaseInsensitive) == 0
        || name.compare(u"xp_fixeddrives", Qt::CaseInsensitive) == 0;
}

void runServerFileProcedure(BatchState &batch, const ExecStatement &exec, int line)
{
    ServerFileProcedure(batch).run(exec, line);
}

} // namespace standin
