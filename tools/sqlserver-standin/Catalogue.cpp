#include "Catalogue.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdio>

namespace standin {

namespace {

QString withoutTrailingBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

bool looksLikeWindowsPath(const QString &path)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    return path.contains(QLatin1Char('\\')) || drive.match(path).hasMatch();
}

QString normalisedPath(const QString &path)
{
    QString result = path;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(result);
}

QJsonObject fileToJson(const DatabaseFile &file)
{
    return QJsonObject { { QStringLiteral("logicalName"), file.logicalName },
        { QStringLiteral("physicalName"), file.physicalName }, { QStringLiteral("type"), QString(file.type) },
        { QStringLiteral("size"), double(file.size) } };
}

} // namespace

Catalogue::Catalogue(QString dataDir)
    : m_dataDir(std::move(dataDir))
{ }

Catalogue::Change::Change(Catalogue &catalogue)
    : m_catalogue(catalogue)
    , m_lock(catalogue.m_mutex)
    , m_databases(catalogue.m_databases)
    , m_devices(catalogue.m_devices)
{ }

Catalogue::Change::~Change()
{
    if (!m_committed) {
        m_catalogue.m_databases = m_databases;
        m_catalogue.m_devices = m_devices;
    }
}

bool Catalogue::Change::commit(FileWriteError *error)
{
    FileWriteError failure;
    m_committed = m_catalogue.save(&failure);
    if (!m_committed) {
        // The client gets the server's message; the operator learns the real cause here.
        std::fprintf(stderr, "sqlserver-standin: cannot save %s (%s: %s); the change is undone\n",
            qPrintable(m_catalogue.filePath()), qPrintable(failure.operation), qPrintable(failure.text));
        std::fflush(stderr);
        if (error)
            *error = failure;
    }
    return m_committed;
}

RestoreClaim::RestoreClaim(Catalogue *catalogue, int id)
    : m_catalogue(catalogue)
    , m_id(id)
{ }

RestoreClaim::RestoreClaim(RestoreClaim &&other) noexcept
    : m_catalogue(std::exchange(other.m_catalogue, nullptr))
    , m_id(other.m_id)
{ }

RestoreClaim &RestoreClaim::operator=(RestoreClaim &&other) noexcept
{
    std::swap(m_catalogue, other.m_catalogue);
    std::swap(m_id, other.m_id);
    return *this;
}

RestoreClaim::~RestoreClaim()
{
    if (m_catalogue) {
        const std::lock_guard lock(m_catalogue->m_mutex);
        m_catalogue->m_reservations.remove(m_id);
    }
}

QString Catalogue::filePath() const
{
    return QDir(m_dataDir).filePath(QStringLiteral("catalogue.json"));
}

bool Catalogue::load(QString *error)
{
    const std::lock_guard lock(m_mutex);
    m_databases.clear();
    m_devices.clear();
    if (!QDir().mkpath(m_dataDir)) {
        if (error)
            *error = QStringLiteral("cannot create the data folder %1").arg(m_dataDir);
        return false;
    }
    QFile file(filePath());
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(filePath(), file.errorString());
        return false;
    }
    QJsonParseError parseError {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        if (error)
            *error
                = QStringLiteral("%1 is not a valid catalogue: %2").arg(filePath(), parseError.errorString());
        return false;
    }
    const QJsonObject root = document.object();
    for (const QJsonValue &value : root.value(QStringLiteral("databases")).toArray()) {
        const QJsonObject object = value.toObject();
        Database database;
        database.name = object.value(QStringLiteral("name")).toString();
        database.id = object.value(QStringLiteral("id")).toInt();
        database.state = object.value(QStringLiteral("state")).toString(database.state);
        for (const QJsonValue &fileValue : object.value(QStringLiteral("files")).toArray()) {
            const QJsonObject fileObject = fileValue.toObject();
            DatabaseFile databaseFile;
            databaseFile.logicalName = fileObject.value(QStringLiteral("logicalName")).toString();
            databaseFile.physicalName = fileObject.value(QStringLiteral("physicalName")).toString();
            const QString type = fileObject.value(QStringLiteral("type")).toString();
            databaseFile.type = type.isEmpty() ? QLatin1Char('D') : type.at(0);
            databaseFile.size = qint64(fileObject.value(QStringLiteral("size")).toDouble());
            database.files << databaseFile;
        }
        if (!database.name.isEmpty())
            m_databases << database;
    }
    for (const QJsonValue &value : root.value(QStringLiteral("devices")).toArray()) {
        const QJsonObject object = value.toObject();
        BackupDevice device { object.value(QStringLiteral("name")).toString(),
            object.value(QStringLiteral("physicalName")).toString(),
            object.value(QStringLiteral("type")).toString(QStringLiteral("disk")) };
        if (!device.name.isEmpty())
            m_devices << device;
    }
    return true;
}

bool Catalogue::save(FileWriteError *error) const
{
    const std::lock_guard lock(m_mutex);
    QJsonArray databases;
    for (const Database &database : m_databases) {
        QJsonArray files;
        for (const DatabaseFile &file : database.files)
            files.append(fileToJson(file));
        databases.append(
            QJsonObject { { QStringLiteral("name"), database.name }, { QStringLiteral("id"), database.id },
                { QStringLiteral("state"), database.state }, { QStringLiteral("files"), files } });
    }
    QJsonArray devices;
    for (const BackupDevice &device : m_devices) {
        devices.append(QJsonObject { { QStringLiteral("name"), device.name },
            { QStringLiteral("physicalName"), device.physicalName },
            { QStringLiteral("type"), device.type } });
    }
    const QJsonObject root { { QStringLiteral("version"), 1 }, { QStringLiteral("databases"), databases },
        { QStringLiteral("devices"), devices } };
    return writeFileAtomically(filePath(), QJsonDocument(root).toJson(QJsonDocument::Indented), error);
}

QList<Database> Catalogue::systemDatabases() const
{
    const QDir dir(m_dataDir);
    const QString folder = m_systemFileFolder;
    auto place = [&dir, &folder](const char *file) {
        return folder.isEmpty() ? dir.filePath(QString::fromLatin1(file))
                                : folder + QString::fromLatin1(file);
    };
    auto make = [&place](const char *name, int id, const char *dataFile, const char *dataName,
                    const char *logFile, const char *logName) {
        Database database;
        database.name = QString::fromLatin1(name);
        database.id = id;
        database.system = true;
        database.files << DatabaseFile {
            QString::fromLatin1(dataName), place(dataFile), QLatin1Char('D'), 4194304
        } << DatabaseFile { QString::fromLatin1(logName), place(logFile), QLatin1Char('L'), 2097152 };
        return database;
    };
    return { make("master", 1, "master.mdf", "master", "mastlog.ldf", "mastlog"),
        make("tempdb", 2, "tempdb.mdf", "tempdev", "templog.ldf", "templog"),
        make("model", 3, "model.mdf", "modeldev", "modellog.ldf", "modellog"),
        make("msdb", 4, "MSDBData.mdf", "MSDBData", "MSDBLog.ldf", "MSDBLog") };
}

QList<Database> Catalogue::databases() const
{
    const std::lock_guard lock(m_mutex);
    return systemDatabases() + m_databases;
}

std::optional<Database> Catalogue::findDatabase(const QString &name) const
{
    for (const Database &database : databases()) {
        if (sameName(database.name, name))
            return database;
    }
    return std::nullopt;
}

std::optional<Database> Catalogue::databaseUsingFile(const QString &physicalName) const
{
    for (const Database &database : databases()) {
        for (const DatabaseFile &file : database.files) {
            if (samePath(file.physicalName, physicalName))
                return database;
        }
    }
    return std::nullopt;
}

std::optional<QString> Catalogue::fileOwner(const QString &physicalName) const
{
    const std::lock_guard lock(m_mutex);
    if (const std::optional<Database> database = databaseUsingFile(physicalName))
        return database->name;
    return m_reservations.fileOwner(physicalName);
}

bool Catalogue::isBeingRestored(const QString &name) const
{
    const std::lock_guard lock(m_mutex);
    return m_reservations.hasDatabase(name);
}

std::optional<RestoreConflict> Catalogue::claimForRestore(
    const QString &name, const QStringList &files, RestoreClaim *claim)
{
    const std::lock_guard lock(m_mutex);
    if (findDatabase(name))
        return RestoreConflict { RestoreConflict::Kind::DatabaseExists, {}, {} };
    if (m_reservations.hasDatabase(name))
        return RestoreConflict { RestoreConflict::Kind::DatabaseBeingRestored, {}, {} };
    for (const QString &file : files) {
        if (const std::optional<QString> owner = fileOwner(file))
            return RestoreConflict { RestoreConflict::Kind::FileInUse, file, *owner };
    }
    *claim = RestoreClaim(this, m_reservations.add(name, files));
    return std::nullopt;
}

int Catalogue::nextDatabaseId() const
{
    const std::lock_guard lock(m_mutex);
    int id = 4;
    for (const Database &database : m_databases)
        id = qMax(id, database.id);
    return id + 1;
}

void Catalogue::addDatabase(const Database &database)
{
    const std::lock_guard lock(m_mutex);
    m_databases << database;
}

bool Catalogue::removeDatabase(const QString &name)
{
    const std::lock_guard lock(m_mutex);
    for (qsizetype i = 0; i < m_databases.size(); ++i) {
        if (sameName(m_databases.at(i).name, name)) {
            m_databases.removeAt(i);
            return true;
        }
    }
    return false;
}

bool Catalogue::setDatabaseState(const QString &name, const QString &state)
{
    const std::lock_guard lock(m_mutex);
    for (Database &database : m_databases) {
        if (sameName(database.name, name)) {
            database.state = state;
            return true;
        }
    }
    return false;
}

QList<BackupDevice> Catalogue::devices() const
{
    const std::lock_guard lock(m_mutex);
    return m_devices;
}

std::optional<BackupDevice> Catalogue::findDevice(const QString &name) const
{
    const std::lock_guard lock(m_mutex);
    for (const BackupDevice &device : m_devices) {
        if (sameName(device.name, name))
            return device;
    }
    return std::nullopt;
}

std::optional<BackupDevice> Catalogue::findDeviceByPhysicalName(const QString &physicalName) const
{
    const std::lock_guard lock(m_mutex);
    for (const BackupDevice &device : m_devices) {
        if (sameName(device.physicalName, physicalName))
            return device;
    }
    return std::nullopt;
}

void Catalogue::addDevice(const BackupDevice &device)
{
    const std::lock_guard lock(m_mutex);
    m_devices << device;
}

bool Catalogue::removeDevice(const QString &name)
{
    const std::lock_guard lock(m_mutex);
    for (qsizetype i = 0; i < m_devices.size(); ++i) {
        if (sameName(m_devices.at(i).name, name)) {
            m_devices.removeAt(i);
            return true;
        }
    }
    return false;
}

bool Catalogue::sameName(const QString &a, const QString &b)
{
    return withoutTrailingBlanks(a).compare(withoutTrailingBlanks(b), Qt::CaseInsensitive) == 0;
}

bool Catalogue::samePath(const QString &a, const QString &b)
{
    const Qt::CaseSensitivity sensitivity
        = looksLikeWindowsPath(a) || looksLikeWindowsPath(b) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    return normalisedPath(a).compare(normalisedPath(b), sensitivity) == 0;
}

} // namespace standin
