#include "FilePlacement.h"

#include "ProgramTexts.h"

namespace brevane::run {

namespace {

const QString kData = QStringLiteral("D");
const QString kLog = QStringLiteral("L");

QString newFileName(const QString &name, const BackupFile &file, int ordinal)
{
    if (file.type == kData)
        return ordinal == 1 ? name + QStringLiteral(".mdf")
                            : QStringLiteral("%1_%2.ndf").arg(name).arg(ordinal);
    if (file.type == kLog)
        return ordinal == 1 ? name + QStringLiteral("_Log.ldf")
                            : QStringLiteral("%1_Log%2.ldf").arg(name).arg(ordinal);
    return name + QLatin1Char('_') + file.logicalName;
}

} // namespace

QString FilePlacement::dataFileName(const QString &databaseName)
{
    return databaseName + QStringLiteral(".mdf");
}

QString FilePlacement::logFileName(const QString &databaseName)
{
    return databaseName + QStringLiteral("_Log.ldf");
}

bool FilePlacement::isKnownType(const QString &type)
{
    return type == kData || type == kLog || type == u"S" || type == u"F";
}

QString FilePlacement::refusal(const BackupFileList &list)
{
    bool data = false;
    bool log = false;
    for (const BackupFile &file : list.files()) {
        if (!isKnownType(file.type))
            return programText(
                QStringLiteral("The backup's file %1 is of a type the restore cannot move (\"%2\")"))
                .arg(file.logicalName, file.type);
        data = data || file.type == kData;
        log = log || file.type == kLog;
    }
    if (!data || !log)
        return programText(QStringLiteral("The backup does not hold a data file and a log file"));
    return {};
}

QList<FileMove> FilePlacement::place(
    const BackupFileList &list, const QString &databaseName, const FolderChoice &folders)
{
    QList<FileMove> moves;
    QMap<QString, int> ordinals;
    for (const BackupFile &file : list.files()) {
        const int ordinal = ++ordinals[file.type];
        QString path = folders.moves.value(file.logicalName);
        if (path.isEmpty()) {
            const QString &folder = file.type == kLog ? folders.logFolder : folders.dataFolder;
            path = join(folder, newFileName(databaseName, file, ordinal));
        }
        moves.append({ file.logicalName, path, file.type });
    }
    return moves;
}

QString FilePlacement::join(const QString &folder, const QString &name)
{
    const QChar separator
        = folder.contains(u'\\') && !folder.contains(u'/') ? QLatin1Char('\\') : QLatin1Char('/');
    QString base = folder;
    while (base.size() > 1 && base.endsWith(separator))
        base.chop(1);
    if (!base.endsWith(separator))
        base += separator;
    return base + name;
}

} // namespace brevane::run
