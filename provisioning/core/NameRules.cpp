#include "NameRules.h"

#include "Blanks.h"

#include <QStringList>

namespace brevane {

namespace {

bool isAsciiUpperLetter(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

} // namespace

NameCheck checkDatabaseName(const QString &name)
{
    // Each character is upper-cased on its own, so the text keeps its length:
    // a letter without a single-character capital (sharp s, ligatures) stays
    // as it is and breaks the rule instead of turning into several letters.
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i).toUpper();
        if (i == 0 && !isAsciiUpperLetter(c))
            return { NameCheck::FirstNotLetter, c };
        const bool legal = isAsciiUpperLetter(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || c == QLatin1Char('_');
        if (!legal)
            return { NameCheck::IllegalCharacter, c };
    }
    return {};
}

qsizetype lastSeparatorPosition(const QString &path)
{
    const qsizetype backslash = path.lastIndexOf(QLatin1Char('\\'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return std::max(backslash, slash) + 1;
}

QString dumpDeviceName(const QString &backupPath)
{
    QString name = backupPath.mid(lastSeparatorPosition(backupPath));
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    name = trimBlanks(name);
    if (name.isEmpty() || !isAsciiUpperLetter(name.at(0).toUpper()))
        name.prepend(QLatin1Char('D'));
    return name;
}

bool isReservedDeviceName(const QString &deviceName)
{
    static const QStringList reserved { QStringLiteral("MASTER"), QStringLiteral("MASTLOG"),
        QStringLiteral("MODELDEV"), QStringLiteral("MODELLOG"), QStringLiteral("TEMPDEV"),
        QStringLiteral("TEMPLOG") };
    return reserved.contains(deviceName.toUpper());
}

} // namespace brevane
