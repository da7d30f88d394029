#include "RunReceipt.h"

#include "ProgramTexts.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace brevane::admin {

using namespace brevane::run;

namespace {

const QString kFormat = QStringLiteral("brevane-provision receipt 1");

QJsonValue optionalText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

std::optional<QString> textOrAbsent(const QJsonValue &value)
{
    return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
}

} // namespace

QString RunReceipt::digest(const QString &value) const
{
    return QString::fromLatin1(
        QCryptographicHash::hash((salt + value).toUtf8(), QCryptographicHash::Sha256).toHex());
}

QJsonObject RunReceipt::toJson() const
{
    QJsonArray fileArray;
    for (const ReceiptFile &file : files)
        fileArray.append(QJsonObject { { QStringLiteral("logicalName"), file.logicalName },
            { QStringLiteral("physicalName"), file.physicalName }, { QStringLiteral("bytes"), file.bytes },
            { QStringLiteral("modifiedMs"), file.modifiedMs } });
    QJsonArray entryArray;
    for (const ReceiptEntry &entry : settings)
        entryArray.append(QJsonObject { { QStringLiteral("section"), entry.section },
            { QStringLiteral("key"), entry.key }, { QStringLiteral("before"), optionalText(entry.before) },
            { QStringLiteral("afterDigest"), entry.afterDigest },
            { QStringLiteral("sectionBefore"), entry.sectionBefore } });
    return {
        { QStringLiteral("format"), kFormat },
        { QStringLiteral("server"), server },
        { QStringLiteral("user"), user },
        { QStringLiteral("status"), status },
        { QStringLiteral("database"),
            QJsonObject { { QStringLiteral("name"), database }, { QStringLiteral("left"), databaseLeft },
                { QStringLiteral("files"), fileArray } } },
        { QStringLiteral("device"),
            QJsonObject { { QStringLiteral("name"), deviceName },
                { QStringLiteral("before"), optionalText(deviceBefore) },
                { QStringLiteral("after"), optionalText(deviceAfter) } } },
        { QStringLiteral("settings"),
            QJsonObject { { QStringLiteral("file"), settingsFile },
                { QStringLiteral("written"), settingsWritten }, { QStringLiteral("salt"), salt },
                { QStringLiteral("entries"), entryArray } } },
    };
}

std::optional<RunReceipt> RunReceipt::fromJson(const QJsonObject &object, QString *error)
{
    if (object.value(QStringLiteral("format")).toString() != kFormat) {
        *error = programText(QStringLiteral("not a receipt of brevane-provision"));
        return std::nullopt;
    }
    RunReceipt receipt;
    receipt.server = object.value(QStringLiteral("server")).toString();
    receipt.user = object.value(QStringLiteral("user")).toString();
    receipt.status = object.value(QStringLiteral("status")).toString();
    const QJsonObject database = object.value(QStringLiteral("database")).toObject();
    receipt.database = database.value(QStringLiteral("name")).toString();
    receipt.databaseLeft = database.value(QStringLiteral("left")).toBool();
    for (const QJsonValue &value : database.value(QStringLiteral("files")).toArray()) {
        const QJsonObject file = value.toObject();
        receipt.files.append({ file.value(QStringLiteral("logicalName")).toString(),
            file.value(QStringLiteral("physicalName")).toString(),
            qint64(file.value(QStringLiteral("bytes")).toDouble(-1)),
            qint64(file.value(QStringLiteral("modifiedMs")).toDouble(-1)) });
    }
    const QJsonObject device = object.value(QStringLiteral("device")).toObject();
    receipt.deviceName = device.value(QStringLiteral("name")).toString();
    receipt.deviceBefore = textOrAbsent(device.value(QStringLiteral("before")));
    receipt.deviceAfter = textOrAbsent(device.value(QStringLiteral("after")));
    const QJsonObject settings = object.value(QStringLiteral("settings")).toObject();
    receipt.settingsFile = settings.value(QStringLiteral("file")).toString();
    receipt.settingsWritten = settings.value(QStringLiteral("written")).toBool();
    receipt.salt = settings.value(QStringLiteral("salt")).toString();
    for (const QJsonValue &value : settings.value(QStringLiteral("entries")).toArray()) {
        const QJsonObject entry = value.toObject();
        receipt.settings.append({ entry.value(QStringLiteral("section")).toString(),
            entry.value(QStringLiteral("key")).toString(),
            textOrAbsent(entry.value(QStringLiteral("before"))),
            entry.value(QStringLiteral("afterDigest")).toString(),
            entry.value(QStringLiteral("sectionBefore")).toBool(true) });
    }
    if (receipt.database.isEmpty() || receipt.server.isEmpty()) {
        *error = programText(QStringLiteral("the receipt names no server or no database"));
        return std::nullopt;
    }
    return receipt;
}

bool RunReceipt::write(const QString &path, QString *error) const
{
    // A temporary file is created with mode 0600 before anything is written
    // to it, then takes the receipt's name at once.
    QTemporaryFile file(QFileInfo(path).absolutePath() + QStringLiteral("/.receipt-XXXXXX"));
    const QByteArray bytes = QJsonDocument(toJson()).toJson();
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        *error = programText(QStringLiteral("Cannot write the receipt %1: %2")).arg(path, file.errorString());
        return false;
    }
    if (::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
        *error = programText(QStringLiteral("Cannot write the receipt %1: %2"))
                     .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    file.setAutoRemove(false);
    return true;
}

std::optional<RunReceipt> RunReceipt::read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = programText(QStringLiteral("Cannot read the receipt %1: %2")).arg(path, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(1024 * 1024), &parseError);
    QString why;
    std::optional<RunReceipt> receipt;
    if (document.isObject())
        receipt = fromJson(document.object(), &why);
    else
        why = parseError.errorString();
    if (!receipt)
        *error = programText(QStringLiteral("The receipt %1 cannot be used: %2")).arg(path, why);
    return receipt;
}

ReceiptFile observeFile(const QString &logicalName, const QString &physicalName)
{
    ReceiptFile file { logicalName, physicalName };
    const QFileInfo info(physicalName);
    if (info.exists()) {
        file.bytes = info.size();
        file.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    }
    return file;
}

} // namespace brevane::admin
