#include "BackupVerification.h"

#include "AdminStatements.h"
#include "Failure.h"
#include "ProgramTexts.h"
#include "Statements.h"

namespace brevane::admin {

using namespace brevane::run;

namespace {

QString field(db::Recordset &header, const char *column)
{
    const int index = header.columnIndex(QString::fromLatin1(column));
    return index < 0 ? QString() : header.Fields(index).trimmed();
}

bool isTrue(const QString &bit)
{
    return bit == QLatin1String("1") || bit.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

} // namespace

BackupVerification::BackupVerification(StatementSender send)
    : m_send(std::move(send))
{ }

BackupHeaderFacts BackupVerification::readHeader(const QString &backupPath)
{
    db::Recordset header = m_send(Statements::backupHeader(backupPath));
    BackupHeaderFacts facts;
    if (header.RecordCount() == 0)
        return facts;
    header.MoveFirst();
    facts.backupName = field(header, "BackupName");
    facts.databaseName = field(header, "DatabaseName");
    facts.finishDate = field(header, "BackupFinishDate");
    facts.hasChecksums = isTrue(field(header, "HasBackupChecksums"));
    return facts;
}

VerificationResult BackupVerification::verify(const QString &backupPath)
{
    VerificationResult result;
    BackupHeaderFacts facts;
    try {
        facts = readHeader(backupPath);
        m_send(AdminStatements::verifyBackup(backupPath, facts.hasChecksums));
    } catch (const Failure &failure) {
        if (failure.number() != FailureNumber::ServerStatementError)
            throw;
        const QStringList messages = failure.serverMessages();
        result.text = programText(QStringLiteral("The server refuses the backup %1:")).arg(backupPath)
            + QLatin1Char('\n')
            + (messages.isEmpty() ? failure.description() : messages.join(QLatin1Char('\n')));
        return result;
    }
    if (facts.hasChecksums) {
        result.verdict = VerificationResult::Verdict::Verified;
        result.text = programText(QStringLiteral("Backup verified with its checksums: ")) + backupPath;
    } else {
        result.verdict = VerificationResult::Verdict::VerifiedWithoutChecksums;
        result.text = programText(QStringLiteral("Backup verified without checksums (it carries none, so "
                                                 "damage to its data cannot be found): "))
            + backupPath;
    }
    return result;
}

} // namespace brevane::admin
