#include "RestoreRunner.h"

#include "BackupFile.h"
#include "BackupHeader.h"
#include "BackupOpener.h"
#include "BackupVerification.h"
#include "ServerPaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QUuid>

namespace standin {

namespace {

constexpr qint64 PageSize = 8192;

QString trimmedPath(const QString &path)
{
    return path.trimmed();
}

// Directory part of a path, with either separator.
QString directoryOf(const QString &path)
{
    const qsizetype slash = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (slash < 0)
        return QString();
    if (slash == 0)
        return path.left(1);
    return path.left(slash);
}

QUuid fileGuid(const QString &databaseName, const QString &logicalName)
{
    return QUuid::createUuidV5(QUuid(QStringLiteral("{5b1f0c6e-2a55-4a7e-9c2e-1d6a8f7d3b10}")),
        databaseName.toLower() + QLatin1Char('/') + logicalName.toLower());
}

class RestoreRun : public StatementRunner
{
public:
    using StatementRunner::StatementRunner;

    Engine::Outcome run(const RestoreStatement &restore, int line)
    {
        switch (restore.kind) {
        case RestoreStatement::Kind::FileListOnly:
            return restoreFileList(restore, line);
        case RestoreStatement::Kind::HeaderOnly:
            return restoreHeaderOnly(restore, line);
        case RestoreStatement::Kind::VerifyOnly:
            runVerifyOnly(m_batch, restore, line);
            return Engine::Outcome::Completed;
        case RestoreStatement::Kind::Database:
            break;
        }
        return restoreDatabase(restore, line);
    }

private:
    void failRestore(QList<ServerMessage> messages, const QString &verb, int line)
    {
        messages << serverMessage(Msg::TerminatingAbnormally, { verb });
        fail(messages, line);
    }

    Engine::Outcome restoreHeaderOnly(const RestoreStatement &restore, int line)
    {
        BackupContents backup;
        try {
            backup = openBackup(m_batch, restore).contents;
        } catch (const StatementError &error) {
            failRestore(error.messages, QStringLiteral("RESTORE HEADERONLY"), line);
            return Engine::Outcome::Completed;
        }
        m_sink.columns(backupHeaderColumns(m_batch.server.version));
        m_sink.row(backupHeaderRow(backup, m_batch.server.version));
        finish(DoneStatus::Count, CurrentCommand::Select, 1);
        return Engine::Outcome::Completed;
    }

    Engine::Outcome restoreFileList(const RestoreStatement &restore, int line)
    {
        const QString verb = QStringLiteral("RESTORE FILELIST");
        BackupContents backup;
        try {
            backup = openBackup(m_batch, restore).contents;
        } catch (const StatementError &error) {
            failRestore(error.messages, verb, line);
            return Engine::Outcome::Completed;
        }
        const QList<ResultColumn> columns {
            { QStringLiteral("LogicalName"), SqlType::NVarChar, 128, 0, false },
            { QStringLiteral("PhysicalName"), SqlType::NVarChar, 260, 0, false },
            { QStringLiteral("Type"), SqlType::Char, 1, 0, false },
            { QStringLiteral("FileGroupName"), SqlType::NVarChar, 128, 0, true },
            { QStringLiteral("Size"), SqlType::NumericN, 0, 20, false },
            { QStringLiteral("MaxSize"), SqlType::NumericN, 0, 20, false },
            { QStringLiteral("FileId"), SqlType::BigIntN, 0, 0, false },
            { QStringLiteral("CreateLSN"), SqlType::NumericN, 0, 25, false },
            { QStringLiteral("DropLSN"), SqlType::NumericN, 0, 25, true },
            { QStringLiteral("UniqueId"), SqlType::UniqueIdentifier, 0, 0, false },
            { QStringLiteral("ReadOnlyLSN"), SqlType::NumericN, 0, 25, true },
            { QStringLiteral("ReadWriteLSN"), SqlType::NumericN, 0, 25, true },
            { QStringLiteral("BackupSizeInBytes"), SqlType::BigIntN, 0, 0, false },
            { QStringLiteral("SourceBlockSize"), SqlType::IntN, 0, 0, false },
            { QStringLiteral("FileGroupId"), SqlType::IntN, 0, 0, false },
            { QStringLiteral("LogGroupGUID"), SqlType::UniqueIdentifier, 0, 0, true },
            { QStringLiteral("DifferentialBaseLSN"), SqlType::NumericN, 0, 25, true },
            { QStringLiteral("DifferentialBaseGUID"), SqlType::UniqueIdentifier, 0, 0, true },
            { QStringLiteral("IsReadOnly"), SqlType::Bit, 0, 0, false },
            { QStringLiteral("IsPresent"), SqlType::Bit, 0, 0, false },
            { QStringLiteral("TDEThumbprint"), SqlType::VarBinary, 32, 0, true },
            { QStringLiteral("SnapshotUrl"), SqlType::NVarChar, 360, 0, true },
        };
        m_sink.columns(columns);
        qint64 fileId = 0;
        for (const BackupFileEntry &file : std::as_const(backup.files)) {
            ++fileId;
            const bool log = file.type == QLatin1Char('L');
            m_sink.row(ResultRow { file.logicalName, file.physicalName, QString(file.type),
                log ? QVariant() : QVariant(QStringLiteral("PRIMARY")), file.size,
                log ? qint64(2199023255552) : qint64(35184372080640), fileId, qint64(0), qint64(0),
                fileGuid(backup.databaseName, file.logicalName), qint64(0), qint64(0),
                log ? qint64(0) : file.size, qint64(512), log ? qint64(0) : qint64(1), QVariant(), qint64(0),
                QUuid(), false, true, QVariant(), QVariant() });
        }
        finish(DoneStatus::Count, CurrentCommand::Select, quint64(backup.files.size()));
        return Engine::Outcome::Completed;
    }

    struct PlannedFile
    {
        BackupFileEntry source;
        QString target; // as the statement (or the backup) names it
        QString resolvedTarget; // where the stand-in creates it
    };

    // The "N percent processed." messages of STATS = step, each in a result of its own, spread over
    // the batch's slow-down.
    Engine::Outcome reportProgress(int step, int line)
    {
        QList<int> percents;
        for (int percent = step; percent < 100; percent += step)
            percents << percent;
        percents << 100;
        for (int percent : std::as_const(percents)) {
            const ResponseSink::Progress pause = m_sink.pause(1.0 / double(percents.size()));
            if (pause != ResponseSink::Progress::Continue)
                return pause == ResponseSink::Progress::Cancelled ? Engine::Outcome::Cancelled
                                                                  : Engine::Outcome::Dropped;
            ServerMessage progress = serverMessage(Msg::PercentProcessed, { QString::number(percent) });
            progress.line = line;
            m_sink.message(progress);
            m_sink.done(DoneKind::Done, DoneStatus::More, CurrentCommand::None, 0);
        }
        return Engine::Outcome::Completed;
    }

    // The volume as the server names it: its mount point, or in Windows mode the target's drive.
    QString volumeName(const QStorageInfo &volume, const QString &target) const
    {
        if (m_batch.server.host.isWindows())
            return ServerPaths(m_batch.server.host, m_catalogue.dataDir()).volumeMountPoint(target);
        QString root = volume.rootPath();
        if (!root.endsWith(QLatin1Char('/')))
            root += QLatin1Char('/');
        return root;
    }

    // 3257 for each volume that has less room than the files restored to it need.
    QList<ServerMessage> spaceProblems(const QList<PlannedFile> &plan) const
    {
        QList<QStorageInfo> volumes;
        QStringList targets; // the first target on each volume
        QList<qint64> needed;
        for (const PlannedFile &planned : plan) {
            const QStorageInfo volume(QFileInfo(planned.resolvedTarget).absolutePath());
            if (!volume.isValid())
                continue;
            qsizetype index = volumes.indexOf(volume);
            if (index < 0) {
                volumes << volume;
                targets << planned.target;
                needed << 0;
                index = volumes.size() - 1;
            }
            needed[index] += planned.source.size;
        }
        QList<ServerMessage> problems;
        for (qsizetype i = 0; i < volumes.size(); ++i) {
            if (volumes.at(i).bytesAvailable() < needed.at(i)) {
                problems << serverMessage(Msg::InsufficientDiskSpace,
                    { volumeName(volumes.at(i), targets.at(i)), QString::number(needed.at(i)),
                        QString::number(qMax<qint64>(0, volumes.at(i).bytesAvailable())) });
            }
        }
        return problems;
    }

    // Claims the name and files; the messages a server gives when another restore or a database has
    // one of them.
    std::optional<QList<ServerMessage>> claimFor(
        const QString &name, const QList<PlannedFile> &plan, RestoreClaim *claim)
    {
        QStringList files;
        for (const PlannedFile &planned : plan)
            files << planned.resolvedTarget;
        const std::optional<RestoreConflict> conflict = m_catalogue.claimForRestore(name, files, claim);
        if (!conflict)
            return std::nullopt;
        switch (conflict->kind) {
        case RestoreConflict::Kind::DatabaseExists:
            return QList<ServerMessage> { serverMessage(Msg::BackupOfOtherDatabase, { name }) };
        case RestoreConflict::Kind::DatabaseBeingRestored:
            return QList<ServerMessage> { serverMessage(Msg::ExclusiveAccessDenied) };
        case RestoreConflict::Kind::FileInUse:
            break;
        }
        const auto planned = std::find_if(plan.cbegin(), plan.cend(),
            [&](const PlannedFile &p) { return p.resolvedTarget == conflict->file; });
        return QList<ServerMessage> { serverMessage(Msg::FileInUse, { planned->target, conflict->owner }),
            serverMessage(Msg::CannotRestoreFileTo, { planned->source.logicalName, planned->target }, 4),
            serverMessage(Msg::RestorePlanningProblems) };
    }

    // Records the restored database, ONLINE or RESTORING, and saves the catalogue, as one change.
    bool addToCatalogue(
        const QString &name, const QList<PlannedFile> &plan, const QString &state, FileWriteError *error)
    {
        Catalogue::Change change(m_catalogue);
        Database database;
        database.name = name;
        database.state = state;
        database.id = m_catalogue.nextDatabaseId();
        for (const PlannedFile &planned : plan)
            database.files << DatabaseFile { planned.source.logicalName, planned.target, planned.source.type,
                planned.source.size };
        m_catalogue.addDatabase(database);
        return change.commit(error);
    }

    Engine::Outcome restoreDatabase(const RestoreStatement &restore, int line)
    {
        const QString verb = QStringLiteral("RESTORE DATABASE");
        QElapsedTimer timer;
        timer.start();

        BackupFile::ReadResult read;
        try {
            read = openBackup(m_batch, restore);
        } catch (const StatementError &error) {
            failRestore(error.messages, verb, line);
            return Engine::Outcome::Completed;
        }
        const BackupContents &backup = read.contents;
        if (restore.checksum == true && !backup.hasChecksums) {
            failRestore({ serverMessage(Msg::NoChecksumsInBackup) }, verb, line);
            return Engine::Outcome::Completed;
        }
        const ServerVersion &server = m_batch.server.version;
        if (backup.databaseVersion > server.databaseVersion()) {
            failRestore({ serverMessage(Msg::BackupFromNewerServer,
                            { backup.softwareVersion.messageForm(), server.messageForm() }) },
                verb, line);
            return Engine::Outcome::Completed;
        }

        QList<ServerMessage> problems;
        for (const RestoreMove &move : restore.moves) {
            const bool known
                = std::any_of(backup.files.cbegin(), backup.files.cend(), [&](const BackupFileEntry &file) {
                      return Catalogue::sameName(file.logicalName, move.logicalName);
                  });
            if (!known)
                problems << serverMessage(
                    Msg::LogicalFileNotInBackup, { move.logicalName, backup.databaseName });
        }
        if (!problems.isEmpty()) {
            failRestore(problems, verb, line);
            return Engine::Outcome::Completed;
        }
        if (m_catalogue.findDatabase(restore.database)) {
            failRestore({ serverMessage(Msg::BackupOfOtherDatabase, { restore.database }) }, verb, line);
            return Engine::Outcome::Completed;
        }
        if (m_catalogue.isBeingRestored(restore.database)) {
            failRestore({ serverMessage(Msg::ExclusiveAccessDenied) }, verb, line);
            return Engine::Outcome::Completed;
        }

        QList<PlannedFile> plan;
        for (const BackupFileEntry &file : std::as_const(backup.files)) {
            PlannedFile planned { file, file.physicalName, QString() };
            for (const RestoreMove &move : restore.moves) {
                if (Catalogue::sameName(move.logicalName, file.logicalName))
                    planned.target = trimmedPath(move.physicalName);
            }
            planned.resolvedTarget = resolvePath(planned.target);
            plan << planned;
        }
        for (qsizetype i = 0; i < plan.size(); ++i) {
            const PlannedFile &planned = plan.at(i);
            for (qsizetype j = 0; j < i; ++j) {
                if (Catalogue::samePath(plan.at(j).resolvedTarget, planned.resolvedTarget)) {
                    problems << serverMessage(Msg::FileClaimedTwice,
                        { planned.target, plan.at(j).source.logicalName, QString::number(j + 1),
                            planned.source.logicalName, QString::number(i + 1) });
                }
            }
            const QString directory = directoryOf(planned.resolvedTarget);
            if (!directory.isEmpty() && !QFileInfo(directory).isDir()) {
                problems << serverMessage(
                    Msg::DirectoryLookupFailed, { planned.target, OsError::fileNotFound() })
                         << serverMessage(
                                Msg::CannotRestoreFileTo, { planned.source.logicalName, planned.target }, 3);
            } else if (const auto owner = m_catalogue.fileOwner(planned.resolvedTarget)) {
                problems << serverMessage(Msg::FileInUse, { planned.target, *owner })
                         << serverMessage(
                                Msg::CannotRestoreFileTo, { planned.source.logicalName, planned.target }, 4);
            } else if (QFileInfo::exists(planned.resolvedTarget)) {
                problems << serverMessage(
                    Msg::CannotRestoreOverExisting, { planned.source.logicalName, planned.target });
            }
        }
        if (!problems.isEmpty()) {
            problems << serverMessage(Msg::RestorePlanningProblems);
            failRestore(problems, verb, line);
            return Engine::Outcome::Completed;
        }
        // From here on the name and the files are this restore's alone, until it ends.
        RestoreClaim claim;
        if (const auto conflict = claimFor(restore.database, plan, &claim)) {
            failRestore(*conflict, verb, line);
            return Engine::Outcome::Completed;
        }
        problems = spaceProblems(plan);
        if (!problems.isEmpty()) {
            problems << serverMessage(Msg::RestorePlanningProblems, {}, 4);
            failRestore(problems, verb, line);
            return Engine::Outcome::Completed;
        }

        QStringList created;
        auto rollBack = [&created] {
            for (const QString &path : std::as_const(created))
                QFile::remove(path);
        };
        // A restore stopped after its files exist: undone, or left RESTORING as a real server may.
        auto abandon = [&] {
            FileWriteError error;
            if (!m_batch.server.host.leaveRestoring
                || !addToCatalogue(restore.database, plan, QStringLiteral("RESTORING"), &error))
                rollBack();
        };
        for (const PlannedFile &planned : std::as_const(plan)) {
            QFile file(planned.resolvedTarget);
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                rollBack();
                failRestore(
                    { serverMessage(Msg::CreateFileFailed, { OsError::accessDenied(), planned.target }) },
                    verb, line);
                return Engine::Outcome::Completed;
            }
            created << planned.resolvedTarget;
            const QByteArray placeholder
                = QStringLiteral("SQLSERVER-STANDIN DATABASE FILE\ndatabase: %1\nlogical name: %2\n"
                                 "This placeholder holds no data.\n")
                      .arg(restore.database, planned.source.logicalName)
                      .toUtf8();
            if (file.write(placeholder) != placeholder.size() || !file.flush()) {
                // The volume filled up after the planning looked at it.
                file.close();
                abandon();
                failRestore({ serverMessage(Msg::OperatingSystemError,
                                { OsError::diskFull(), QStringLiteral("WriteFile"), planned.target }) },
                    verb, line);
                return Engine::Outcome::Completed;
            }
        }

        problems = integrityProblems(m_batch, restore, read);
        if (!problems.isEmpty()) {
            abandon();
            failRestore(problems, verb, line);
            return Engine::Outcome::Completed;
        }
        if (restore.stats) {
            const Engine::Outcome outcome = reportProgress(*restore.stats, line);
            if (outcome != Engine::Outcome::Completed) {
                abandon();
                return outcome;
            }
        }

        qint64 totalPages = 0;
        for (const PlannedFile &planned : std::as_const(plan)) {
            const qint64 pages = planned.source.size / PageSize;
            totalPages += pages;
            ServerMessage progress = serverMessage(Msg::PagesProcessed,
                { QString::number(pages), restore.database, planned.source.logicalName });
            progress.line = line;
            m_sink.message(progress);
            m_sink.done(DoneKind::Done, DoneStatus::More, CurrentCommand::None, 0);
            const ResponseSink::Progress step = m_sink.restoreProgress();
            if (step != ResponseSink::Progress::Continue) {
                abandon();
                return step == ResponseSink::Progress::Cancelled ? Engine::Outcome::Cancelled
                                                                 : Engine::Outcome::Dropped;
            }
        }

        FileWriteError saveError;
        if (!addToCatalogue(restore.database, plan, QStringLiteral("ONLINE"), &saveError)) {
            rollBack();
            failRestore({ serverMessage(Msg::OperatingSystemError,
                            { OsError::fromErrno(saveError.code), QStringLiteral("WriteFile"),
                                m_catalogue.filePath() }) },
                verb, line);
            return Engine::Outcome::Completed;
        }

        const qint64 elapsedMs = qMax<qint64>(1, timer.elapsed());
        const qint64 rate = totalPages * PageSize * 1000 / 1048576 * 1000 / elapsedMs; // thousandths of MB/s
        ServerMessage summary = serverMessage(Msg::RestoreSucceeded,
            { verb, QString::number(totalPages),
                QStringLiteral("%1.%2").arg(elapsedMs / 1000).arg(elapsedMs % 1000, 3, 10, QLatin1Char('0')),
                QStringLiteral("%1.%2").arg(rate / 1000).arg(rate % 1000, 3, 10, QLatin1Char('0')) });
        summary.line = line;
        m_sink.message(summary);
        finish(DoneStatus::Final);
        return Engine::Outcome::Completed;
    }
};

} // namespace

Engine::Outcome runRestore(BatchState &batch, const RestoreStatement &restore, int line)
{
    return RestoreRun(batch).run(restore, line);
}

} // namespace standin
