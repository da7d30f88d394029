#include "BackupFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace standin {

namespace {
const QString TypeLetters = QStringLiteral("DLFS");
constexpr qint64 MaxBackupFileSize = 16 * 1024 * 1024;
constexpr qint64 PageSize = 8192;
constexpr int DataPages = 8;
const QByteArray DataMarker = QByteArrayLiteral("\nSQLSERVER-STANDIN DATA\n");
const QByteArray ChecksumMarker = QByteArrayLiteral("\nSQLSERVER-STANDIN CHECKSUM ");

// The made-up contents of data page `page` (from 1), the same in every backup.
QByteArray dataPage(int page)
{
    QByteArray bytes(PageSize, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((page * 131 + i * 7 + (i >> 8)) & 0xFF);
    return bytes;
}

QByteArray checksumLine(const QByteArray &covered)
{
    return ChecksumMarker + QCryptographicHash::hash(covered, QCryptographicHash::Sha256).toHex() + '\n';
}

// Checks the data pages and the checksum after the file list; `body` is the file from its start.
void checkIntegrity(
    const QByteArray &body, qsizetype dataStart, bool hasChecksums, BackupFile::ReadResult &result)
{
    const qsizetype dataEnd = dataStart + DataPages * PageSize;
    if (body.size() < dataEnd) {
        result.integrity = BackupFile::Integrity::Truncated;
        return;
    }
    if (!hasChecksums || body.mid(dataEnd) == checksumLine(body.left(dataEnd)))
        return;
    result.integrity = BackupFile::Integrity::Damaged;
    for (int page = 1; page <= DataPages; ++page) {
        if (body.mid(dataStart + (page - 1) * PageSize, PageSize) != dataPage(page)) {
            result.damagedPage = page;
            return;
        }
    }
}
} // namespace

QByteArray BackupFile::magicLine()
{
    return QByteArrayLiteral("SQLSERVER-STANDIN BACKUP 1\n");
}

qint64 BackupFile::defaultSize(QChar type)
{
    return type == QLatin1Char('D') ? 3407872 : 1048576; // 416 and 128 pages of 8 KB
}

BackupFile::ReadResult BackupFile::read(const QString &path)
{
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.status = QFileInfo(info.absolutePath()).isDir() ? Status::FileMissing : Status::PathMissing;
        return result;
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        result.status = Status::AccessDenied;
        return result;
    }
    const QByteArray magic = magicLine();
    if (file.size() > MaxBackupFileSize)
        return result; // not a backup
    const QByteArray body = file.readAll();
    if (!body.startsWith(magic))
        return result;
    // Files from before the data pages hold only the file list.
    const qsizetype marker = body.indexOf(DataMarker, magic.size());
    const QByteArray header = body.mid(magic.size(), marker < 0 ? -1 : marker - magic.size());
    QJsonParseError parseError {};
    const QJsonDocument document = QJsonDocument::fromJson(header, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return result;

    const QJsonObject root = document.object();
    BackupContents contents;
    contents.databaseName = root.value(QStringLiteral("database")).toString();
    const QJsonArray files = root.value(QStringLiteral("files")).toArray();
    for (const QJsonValue &value : files) {
        const QJsonObject object = value.toObject();
        BackupFileEntry entry;
        entry.logicalName = object.value(QStringLiteral("logicalName")).toString();
        entry.physicalName = object.value(QStringLiteral("physicalName")).toString();
        const QString type = object.value(QStringLiteral("type")).toString();
        entry.size = qint64(object.value(QStringLiteral("size")).toDouble(-1));
        if (entry.logicalName.isEmpty() || entry.physicalName.isEmpty() || type.size() != 1
            || !TypeLetters.contains(type) || entry.size < 0)
            return result;
        entry.type = type.at(0);
        contents.files << entry;
    }
    if (contents.databaseName.isEmpty() || contents.files.isEmpty())
        return result;
    const QString version = root.value(QStringLiteral("softwareVersion")).toString();
    if (!version.isEmpty()) {
        const std::optional<ServerVersion> parsed = ServerVersion::parse(version);
        if (!parsed)
            return result;
        contents.softwareVersion = *parsed;
    }
    contents.databaseVersion
        = root.value(QStringLiteral("databaseVersion")).toInt(contents.softwareVersion.databaseVersion());
    contents.created = QDateTime::fromString(root.value(QStringLiteral("created")).toString(), Qt::ISODate);
    if (!contents.created.isValid())
        contents.created = info.lastModified();
    contents.hasChecksums = marker >= 0 && root.value(QStringLiteral("checksums")).toBool();
    if (marker >= 0)
        checkIntegrity(body, marker + DataMarker.size(), contents.hasChecksums, result);
    result.status = Status::Ok;
    result.contents = contents;
    return result;
}

bool BackupFile::write(const QString &path, const BackupContents &contents, QString *error)
{
    QJsonArray files;
    for (const BackupFileEntry &entry : contents.files) {
        files.append(QJsonObject { { QStringLiteral("logicalName"), entry.logicalName },
            { QStringLiteral("physicalName"), entry.physicalName },
            { QStringLiteral("type"), QString(entry.type) },
            { QStringLiteral("size"), double(entry.size) } });
    }
    const QDateTime created = contents.created.isValid() ? contents.created : QDateTime::currentDateTime();
    const QJsonObject root { { QStringLiteral("database"), contents.databaseName },
        { QStringLiteral("files"), files },
        { QStringLiteral("softwareVersion"), contents.softwareVersion.productVersion() },
        { QStringLiteral("databaseVersion"), contents.databaseVersion },
        { QStringLiteral("created"), created.toString(Qt::ISODate) },
        { QStringLiteral("checksums"), contents.hasChecksums } };
    QByteArray body = magicLine() + QJsonDocument(root).toJson(QJsonDocument::Indented) + DataMarker;
    for (int page = 1; page <= DataPages; ++page)
        body += dataPage(page);
    if (contents.hasChecksums)
        body += checksumLine(body);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(body);
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace standin
