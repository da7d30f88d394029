#include "MessageTable.h"

#include "Failure.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace brevane {

namespace {

constexpr std::array<LanguageId, 4> kLanguages { LanguageId::EnglishUnitedStates,
    LanguageId::EnglishUnitedKingdom, LanguageId::ChineseSimplified, LanguageId::ChineseTraditional };

QString languageKey(LanguageId language)
{
    return QStringLiteral("%1").arg(static_cast<quint16>(language), 4, 16, QLatin1Char('0'));
}

LanguageId sibling(LanguageId language)
{
    switch (language) {
    case LanguageId::EnglishUnitedStates:
        return LanguageId::EnglishUnitedKingdom;
    case LanguageId::EnglishUnitedKingdom:
        return LanguageId::EnglishUnitedStates;
    case LanguageId::ChineseSimplified:
        return LanguageId::ChineseTraditional;
    case LanguageId::ChineseTraditional:
        return LanguageId::ChineseSimplified;
    }
    return language;
}

std::optional<LanguageId> &languageOverride()
{
    static std::optional<LanguageId> value;
    return value;
}

} // namespace

LanguageId languageForLocale(const QLocale &locale)
{
    switch (locale.language()) {
    case QLocale::English:
        return locale.territory() == QLocale::UnitedKingdom ? LanguageId::EnglishUnitedKingdom
                                                            : LanguageId::EnglishUnitedStates;
    case QLocale::Chinese:
        if (locale.script() == QLocale::TraditionalHanScript)
            return LanguageId::ChineseTraditional;
        if (locale.script() == QLocale::SimplifiedHanScript)
            return LanguageId::ChineseSimplified;
        switch (locale.territory()) {
        case QLocale::Taiwan:
        case QLocale::HongKong:
        case QLocale::Macao:
            return LanguageId::ChineseTraditional;
        default:
            return LanguageId::ChineseSimplified;
        }
    default:
        return LanguageId::EnglishUnitedStates;
    }
}

int MessageTable::slot(LanguageId language)
{
    for (int i = 0; i < int(kLanguages.size()); ++i) {
        if (kLanguages[i] == language)
            return i;
    }
    return 0;
}

const MessageTable &MessageTable::builtIn()
{
    static const MessageTable table = [] {
        QFile file(QStringLiteral(":/brevane/messages.json"));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("The message table is missing from the program");
        QString error;
        MessageTable parsed = fromJson(file.readAll(), &error);
        if (parsed.isEmpty())
            qFatal("The message table cannot be read: %s", qPrintable(error));
        return parsed;
    }();
    return table;
}

MessageTable MessageTable::fromJson(const QByteArray &json, QString *error)
{
    MessageTable table;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return MessageTable {};
    };
    if (parseError.error != QJsonParseError::NoError)
        return fail(parseError.errorString());
    const QJsonArray rows = document.object().value(QStringLiteral("rows")).toArray();
    for (const QJsonValue &rowValue : rows) {
        const QJsonObject row = rowValue.toObject();
        const int id = row.value(QStringLiteral("id")).toInt(-1);
        if (id < 0 || id > 0xFFFF)
            return fail(QStringLiteral("row without a valid id"));
        if (table.m_rows.contains(quint16(id)))
            return fail(QStringLiteral("row %1 appears twice").arg(id));
        Versions versions;
        for (LanguageId language : kLanguages) {
            const QJsonValue value = row.value(languageKey(language));
            if (value.isString())
                versions[slot(language)] = value.toString();
            else if (!value.isUndefined())
                return fail(QStringLiteral("row %1 has a version that is not text").arg(id));
        }
        table.m_rows.insert(quint16(id), versions);
        const QJsonValue english = row.value(QStringLiteral("english"));
        if (english.isString())
            table.m_englishStandIns.insert(quint16(id), english.toString());
        else if (!english.isUndefined())
            return fail(QStringLiteral("row %1 has an English stand-in that is not text").arg(id));
    }
    return table;
}

bool MessageTable::contains(qint32 id) const
{
    return id >= 0 && id <= 0xFFFF && m_rows.contains(quint16(id));
}

QList<quint16> MessageTable::ids() const
{
    QList<quint16> result = m_rows.keys();
    std::sort(result.begin(), result.end());
    return result;
}

std::optional<QString> MessageTable::version(qint32 id, LanguageId language) const
{
    if (!contains(id))
        return std::nullopt;
    return m_rows.value(quint16(id))[slot(language)];
}

QString MessageTable::text(qint32 id, LanguageId language) const
{
    if (!contains(id)) {
        throw Failure(FailureNumber::MessageNotFound,
            QStringLiteral("Resource with identifier '%1' not found").arg(id));
    }
    const Versions &versions = m_rows.value(quint16(id));
    const bool english
        = language == LanguageId::EnglishUnitedStates || language == LanguageId::EnglishUnitedKingdom;
    if (english && versions[slot(language)].value_or(QString()).isEmpty()
        && m_englishStandIns.contains(quint16(id)))
        return m_englishStandIns.value(quint16(id));
    bool anyVersion = false;
    for (LanguageId candidate : { language, sibling(language), LanguageId::ChineseSimplified }) {
        const std::optional<QString> &text = versions[slot(candidate)];
        if (text)
            anyVersion = true;
        if (text && !text->isEmpty())
            return *text;
    }
    for (const auto &text : versions)
        anyVersion = anyVersion || text.has_value();
    if (!anyVersion) {
        throw Failure(FailureNumber::MessageNotFound,
            QStringLiteral("Resource with identifier '%1' not found").arg(id));
    }
    return QString();
}

LanguageId userInterfaceLanguage()
{
    if (languageOverride())
        return *languageOverride();
    return languageForLocale(QLocale::system());
}

void setUserInterfaceLanguageOverride(std::optional<LanguageId> language)
{
    languageOverride() = language;
}

QString GetMessageText(qint32 id)
{
    return MessageTable::builtIn().text(id, userInterfaceLanguage());
}

} // namespace brevane
