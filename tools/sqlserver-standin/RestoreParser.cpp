#include "RestoreParser.h"

namespace standin {

namespace {

// RESTORE options that carry no meaning for a restore from one disk file.
bool isHarmlessRestoreOption(const QString &word)
{
    static const QStringList options { QStringLiteral("RECOVERY"), QStringLiteral("NOUNLOAD"),
        QStringLiteral("UNLOAD"), QStringLiteral("REWIND"), QStringLiteral("NOREWIND"),
        QStringLiteral("STOP_ON_ERROR") };
    return options.contains(word.toUpper());
}

bool isKnownRestoreOption(const QString &word)
{
    static const QStringList options {
        QStringLiteral("REPLACE"),
        QStringLiteral("NORECOVERY"),
        QStringLiteral("STANDBY"),
        QStringLiteral("FILE"),
        QStringLiteral("PASSWORD"),
        QStringLiteral("MEDIANAME"),
        QStringLiteral("MEDIAPASSWORD"),
        QStringLiteral("BLOCKSIZE"),
        QStringLiteral("BUFFERCOUNT"),
        QStringLiteral("MAXTRANSFERSIZE"),
        QStringLiteral("CONTINUE_AFTER_ERROR"),
        QStringLiteral("RESTRICTED_USER"),
        QStringLiteral("PARTIAL"),
        QStringLiteral("KEEP_REPLICATION"),
        QStringLiteral("KEEP_CDC"),
        QStringLiteral("ENABLE_BROKER"),
        QStringLiteral("ERROR_BROKER_CONVERSATIONS"),
        QStringLiteral("NEW_BROKER"),
        QStringLiteral("STOPAT"),
        QStringLiteral("STOPATMARK"),
        QStringLiteral("STOPBEFOREMARK"),
        QStringLiteral("CREDENTIAL"),
        QStringLiteral("FILESTREAM"),
        QStringLiteral("DBNAME"),
        QStringLiteral("LOADHISTORY"),
    };
    return options.contains(word.toUpper());
}

void parseSources(SqlCursor &cursor, RestoreStatement &restore)
{
    cursor.expectKeyword(u"FROM");
    do {
        BackupSource source;
        const SqlToken &token = cursor.peek();
        if (token.kind == SqlToken::Kind::Identifier
            && (token.isKeyword(u"DISK") || token.isKeyword(u"TAPE") || token.isKeyword(u"URL"))) {
            cursor.next();
            cursor.expectSymbol(u"=");
            source.kind = token.isKeyword(u"DISK") ? BackupSource::Kind::Disk : BackupSource::Kind::Other;
            source.keyword = token.value.toUpper();
            source.value = cursor.parseStringOrFail();
        } else {
            source.kind = BackupSource::Kind::Device;
            source.value = cursor.parseName();
        }
        restore.sources << source;
        if (!cursor.peek().isSymbol(u","))
            break;
        cursor.next();
    } while (true);
}

int parseStats(SqlCursor &cursor)
{
    if (!cursor.peek().isSymbol(u"="))
        return 10;
    cursor.next();
    const SqlToken &percentage = cursor.peek();
    if (percentage.kind == SqlToken::Kind::Variable)
        cursor.rejectVariable(percentage);
    bool ok = false;
    const int value = percentage.value.toInt(&ok);
    if (percentage.kind != SqlToken::Kind::Number || !ok)
        cursor.failAt(percentage);
    cursor.next();
    return qBound(1, value, 100);
}

void parseOption(SqlCursor &cursor, RestoreStatement &restore)
{
    const SqlToken &option = cursor.peek();
    if (option.kind != SqlToken::Kind::Identifier)
        cursor.failAt(option);
    cursor.next();
    if (option.isKeyword(u"MOVE")) {
        RestoreMove move;
        move.logicalName = cursor.parseStringOrFail();
        cursor.expectKeyword(u"TO");
        move.physicalName = cursor.parseStringOrFail();
        restore.moves << move;
    } else if (option.isKeyword(u"STATS")) {
        restore.stats = parseStats(cursor);
    } else if (option.isKeyword(u"CHECKSUM") || option.isKeyword(u"NO_CHECKSUM")) {
        restore.checksum = option.isKeyword(u"CHECKSUM");
    } else if (isHarmlessRestoreOption(option.value)) {
        // Nothing to do for a restore from one disk file.
    } else if (isKnownRestoreOption(option.value)) {
        restore.unsupportedOptions << option.value.toUpper();
        if (cursor.peek().isSymbol(u"=")) {
            cursor.next();
            if (cursor.peek().kind == SqlToken::Kind::End)
                cursor.failAt(cursor.peek());
            cursor.next();
        }
    } else {
        ServerMessage message
            = serverMessage(Msg::UnrecognisedOption, { option.value, QStringLiteral("RESTORE") });
        message.line = option.line;
        throw SyntaxError { message };
    }
}

} // namespace

bool isUnsupportedRestoreKind(const SqlToken &token)
{
    return token.isKeyword(u"LABELONLY") || token.isKeyword(u"LOG") || token.isKeyword(u"REWINDONLY")
        || token.isKeyword(u"FILESTREAMONLY");
}

RestoreStatement parseRestore(SqlCursor &cursor)
{
    cursor.expectKeyword(u"RESTORE");
    RestoreStatement restore;
    const SqlToken &kind = cursor.peek();
    if (kind.isKeyword(u"DATABASE")) {
        cursor.next();
        restore.kind = RestoreStatement::Kind::Database;
        restore.database = cursor.parseName();
    } else if (kind.isKeyword(u"FILELISTONLY")) {
        cursor.next();
        restore.kind = RestoreStatement::Kind::FileListOnly;
    } else if (kind.isKeyword(u"HEADERONLY")) {
        cursor.next();
        restore.kind = RestoreStatement::Kind::HeaderOnly;
    } else if (kind.isKeyword(u"VERIFYONLY")) {
        cursor.next();
        restore.kind = RestoreStatement::Kind::VerifyOnly;
    } else {
        cursor.failAt(kind);
    }
    parseSources(cursor, restore);
    if (cursor.peek().isKeyword(u"WITH")) {
        cursor.next();
        do {
            parseOption(cursor, restore);
            if (!cursor.peek().isSymbol(u","))
                break;
            cursor.next();
        } while (true);
    }
    return restore;
}

} // namespace standin
