#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringView>

namespace brevane::profile {

// An ANSI code page as the platform's 8-bit text functions use it. Text that
// crosses into it never fails to convert: every character the code page
// cannot hold becomes one "?" per UTF-16 unit, and bytes that do not form a
// character of the code page read back as "?".
class AnsiCodePage
{
public:
    enum Number {
        WesternEuropean = 1252,
        SimplifiedChinese = 936,
        TraditionalChinese = 950,
    };

    explicit AnsiCodePage(Number number = WesternEuropean)
        : m_number(number)
    { }

    // The code page the platform uses for a user of this locale's language:
    // 936 for Simplified Chinese, 950 for Traditional Chinese, 1252 otherwise.
    static AnsiCodePage forLocale(const QLocale &locale);
    static AnsiCodePage system() { return forLocale(QLocale::system()); }

    Number number() const { return m_number; }

    QByteArray encode(QStringView text) const;
    QString decode(QByteArrayView bytes) const;

    // The encoding of the longest leading part of text that fits in maxBytes;
    // a character whose bytes do not all fit is left out rather than split.
    QByteArray encodePrefix(QStringView text, qsizetype maxBytes) const;

    // The text as it reads back after a trip through the code page.
    QString roundTrip(QStringView text) const { return decode(encode(text)); }

    friend bool operator==(AnsiCodePage a, AnsiCodePage b) { return a.m_number == b.m_number; }

private:
    Number m_number;
};

} // namespace brevane::profile
