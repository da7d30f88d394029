#pragma once

#include "AnsiCodePage.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace brevane::profile {

// A private-profile file held in memory as its lines, edited the way the
// platform's profile functions edit it. Each line keeps its original bytes and
// line break, so everything an edit does not touch is written back byte for
// byte. A file that starts with FF FE is UTF-16LE; any other file is text in
// the ANSI code page.
//
// Section and key names match without regard to letter case and with blanks
// (U+0020) stripped from both ends of the names asked for. Only the first
// section of a given name counts, and in it only the first line of a key.
class ProfileDocument
{
public:
    ProfileDocument(const QByteArray &bytes, AnsiCodePage codePage);

    bool isUnicode() const { return !m_byteOrderMark.isEmpty(); }

    // The value of key: without the blanks, tabs and vertical tabs around it
    // and without one pair of matching outer quotes. Nothing when the section
    // or the key is missing or the key's line has no "=".
    std::optional<QString> value(QStringView section, QStringView key) const;
    bool hasSection(QStringView section) const { return findSection(section).has_value(); }

    // Sets key to value, written verbatim. An existing key keeps its spelling
    // and place; a new key follows the section's last key; a new section goes
    // to the end of the file. Lines written or rewritten end in CR LF.
    void setValue(QStringView section, QStringView key, QStringView value);
    // Removes the key's line; the section header stays even when it was the last key.
    void removeKey(QStringView section, QStringView key);
    // Removes the header and the key lines of a section; its comments and blank lines stay.
    void removeSection(QStringView section);
    // Removes the key lines of a section; its header, comments and blank lines stay.
    void clearSection(QStringView section);

    bool isModified() const { return m_modified; }
    QByteArray toBytes() const;

private:
    enum class Kind { Blank, Comment, Header, Entry };
    struct Line
    {
        QByteArray text; // encoded, without the line break
        QByteArray lineBreak; // encoded CR LF, LF or CR; empty on a last line without one
        Kind kind = Kind::Blank;
        QString name; // the section of a header, the key of an entry
        std::optional<QString> value; // an entry's text after "=", trimmed, quotes kept
    };
    struct Section
    {
        qsizetype header;
        qsizetype end; // one past its last line
    };

    void split(const QByteArray &bytes, qsizetype start);
    Line makeLine(QByteArray text, QByteArray lineBreak) const;
    QString decode(const QByteArray &text) const;
    QByteArray encode(QStringView text) const;
    char16_t unitAt(const QByteArray &bytes, qsizetype index) const;
    qsizetype unitSize() const { return isUnicode() ? 2 : 1; }
    QByteArray keyBytes(const Line &line) const;
    QByteArray conventionalLineBreak() const;
    void ensureLineBreak(qsizetype index);
    void keepLineBreaksApart();

    std::optional<Section> findSection(QStringView section) const;
    std::optional<qsizetype> findKey(const Section &section, QStringView key) const;
    void removeLines(const Section &section, bool withHeader);

    AnsiCodePage m_codePage;
    QByteArray m_byteOrderMark;
    QList<Line> m_lines;
    bool m_modified = false;
};

} // namespace brevane::profile
