#pragma once

#include <QHash>
#include <QLocale>
#include <QString>

#include <array>
#include <optional>

namespace brevane {

// The four languages the message table carries, by platform language identifier.
enum class LanguageId : quint16 {
    EnglishUnitedStates = 0x0409,
    EnglishUnitedKingdom = 0x0809,
    ChineseSimplified = 0x0804,
    ChineseTraditional = 0x0404,
};

// The language whose texts a user of this locale reads: British English for
// en_GB, US English for every other English and every unknown language,
// Traditional Chinese for the Traditional script (zh_TW, zh_HK, zh_MO, Hant),
// Simplified Chinese for any other Chinese.
LanguageId languageForLocale(const QLocale &locale);

// Numbered texts in four language versions. A row may lack a version (the
// language has no text for it) or hold an empty one; the two are kept apart.
class MessageTable
{
public:
    using Versions = std::array<std::optional<QString>, 4>;

    // The table compiled into the program.
    static const MessageTable &builtIn();

    // Parses the table file format; returns an empty table and sets *error on a bad file.
    static MessageTable fromJson(const QByteArray &json, QString *error = nullptr);

    bool isEmpty() const { return m_rows.isEmpty(); }
    bool contains(qint32 id) const;
    QList<quint16> ids() const;

    // The version exactly as stored: nullopt when the row or the version is missing.
    std::optional<QString> version(qint32 id, LanguageId language) const;

    // The text shown to a user of the given language. An empty or missing
    // version falls back to the other variant of the same language, for an
    // English user then to the row's English stand-in, then to Simplified Chinese. Throws Failure 326 when no
    // version of the row exists.
    QString text(qint32 id, LanguageId language) const;

private:
    static int slot(LanguageId language);
    QHash<quint16, Versions> m_rows;
    // English texts for rows whose English versions are missing or empty.
    QHash<quint16, QString> m_englishStandIns;
};

// The user's interface language as read from the system locale, unless a
// test has put another one in place.
LanguageId userInterfaceLanguage();
void setUserInterfaceLanguageOverride(std::optional<LanguageId> language);

// The text of message id in the user's interface language (throws Failure 326).
QString GetMessageText(qint32 id);

} // namespace brevane
