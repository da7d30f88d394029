#pragma once

#include "AnsiCodePage.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace brevane::profile {

// Why a write is refused before the file is touched. A line break in a name or
// in the value would end the written line and turn the rest into lines of
// their own, for every reader of the file.
enum class WriteRefusal { SectionHoldsLineBreak, KeyHoldsLineBreak, ValueHoldsLineBreak };

// Reads and writes private-profile files as the platform's 8-bit profile
// functions do: names and values cross in the ANSI code page, every call reads
// the file afresh, and a write replaces the file as a whole and atomically.
// Failures are silent: a read gives the default, a write returns false and
// leaves the file as it was.
class PrivateProfile
{
public:
    explicit PrivateProfile(AnsiCodePage codePage = AnsiCodePage::system())
        : m_codePage(codePage)
    { }

    AnsiCodePage codePage() const { return m_codePage; }

    // The value of key in section, or else defaultValue less its trailing
    // blanks, as ANSI bytes cut to at most bufferSize - 1 bytes (the room a
    // buffer of that size leaves for the terminating zero).
    QByteArray readString(const QString &section, const QString &key, const QString &defaultValue,
        int bufferSize, const QString &path) const;

    // Sets key in section to value, creating the key, the section and the
    // file as needed. A missing value removes the key; a missing key removes
    // the whole section. The folder must exist. Names are written as the
    // platform writes them, also those that do not read back as themselves: a
    // key starting with ";" adds a comment line, a section holding "]" a header
    // that reads as the text before it. Only what refusal() names is refused.
    bool writeString(const QString &section, const std::optional<QString> &key,
        const std::optional<QString> &value, const QString &path) const;

    // Why writeString refuses these texts, or nothing when it writes them.
    static std::optional<WriteRefusal> refusal(
        const QString &section, const std::optional<QString> &key, const std::optional<QString> &value);

    // Removes every key of section and keeps its header: writing the section
    // with an empty list of keys.
    bool clearSection(const QString &section, const QString &path) const;

private:
    template<typename Edit> bool edit(const QString &path, Edit &&apply) const;

    AnsiCodePage m_codePage;
};

} // namespace brevane::profile
