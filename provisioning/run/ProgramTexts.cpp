#include "ProgramTexts.h"

#include <QFile>
#include <QHash>

namespace brevane::run {

namespace {

const QHash<QString, qint32> &rowsByEnglish()
{
    static const QHash<QString, qint32> rows = [] {
        QHash<QString, qint32> byEnglish;
        const MessageTable &table = ProgramTexts::table();
        for (const quint16 id : table.ids()) {
            if (const auto english = table.version(id, LanguageId::EnglishUnitedStates))
                byEnglish.insert(*english, id);
        }
        return byEnglish;
    }();
    return rows;
}

} // namespace

const MessageTable &ProgramTexts::table()
{
    static const MessageTable table = [] {
        QFile file(QStringLiteral(":/brevane-provision/provision-messages.json"));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("The program's message table is missing");
        QString error;
        MessageTable parsed = MessageTable::fromJson(file.readAll(), &error);
        if (parsed.isEmpty())
            qFatal("The program's message table cannot be read: %s", qPrintable(error));
        return parsed;
    }();
    return table;
}

QString programText(qint32 id)
{
    return ProgramTexts::table().text(id, userInterfaceLanguage());
}

QString programText(const QString &english)
{
    const auto row = rowsByEnglish().constFind(english);
    return row == rowsByEnglish().constEnd() ? english : programText(*row);
}

} // namespace brevane::run
