#pragma once

#include "ServerCatalogue.h"

#include <QDateTime>
#include <QString>

namespace brevane::admin {

// What RESTORE HEADERONLY says about a backup beyond its versions.
struct BackupHeaderFacts
{
    QString backupName;
    QString databaseName;
    QString finishDate; // as the server gives it
    bool hasChecksums = false;
};

// The server's verdict on a backup, asked before anything changes.
struct VerificationResult
{
    enum class Verdict { Verified, VerifiedWithoutChecksums, Refused };
    Verdict verdict = Verdict::Refused;
    QString text; // what to tell the user; with a refusal, the server's messages
};

// Verifies a backup on the server: RESTORE VERIFYONLY, WITH CHECKSUM when
// the backup's header says it carries checksums. A backup without them can
// only be verified for its structure, and says so. A refusal of the server
// is the verdict; a failure of the link is thrown.
class BackupVerification
{
public:
    explicit BackupVerification(StatementSender send);

    BackupHeaderFacts readHeader(const QString &backupPath);
    VerificationResult verify(const QString &backupPath);

private:
    StatementSender m_send;
};

} // namespace brevane::admin
