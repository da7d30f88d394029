#include "BackupFile.h"

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
    if (file.read(magic.size()) != magic || file.size() > MaxBackupFileSize)
        return result; // not a backup
    QJsonParseError parseError {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
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
        { QStringLiteral("created"), created.toString(Qt::ISODate) } };

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(magicLine());
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace standin
