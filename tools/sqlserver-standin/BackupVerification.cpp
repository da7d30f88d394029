#include "BackupVerification.h"

#include "BackupOpener.h"

namespace standin {

namespace {

class VerifyRun : public StatementRunner
{
public:
    using StatementRunner::StatementRunner;

    void run(const RestoreStatement &restore, int line)
    {
        QList<ServerMessage> problems;
        try {
            const BackupFile::ReadResult read = openBackup(m_batch, restore);
            if (restore.checksum == true && !read.contents.hasChecksums)
                problems << serverMessage(Msg::NoChecksumsInBackup);
            else
                problems = integrityProblems(m_batch, restore, read);
        } catch (const StatementError &error) {
            problems = error.messages;
        }
        if (!problems.isEmpty()) {
            problems << serverMessage(Msg::TerminatingAbnormally, { QStringLiteral("VERIFY DATABASE") });
            fail(problems, line);
            return;
        }
        ServerMessage valid = serverMessage(Msg::BackupSetValid, { QStringLiteral("1") });
        valid.line = line;
        m_sink.message(valid);
        finish(DoneStatus::Final);
    }
};

} // namespace

void runVerifyOnly(BatchState &batch, const RestoreStatement &restore, int line)
{
    VerifyRun(batch).run(restore, line);
}

} // namespace standin
