#pragma once

#include "AnsiCodePage.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace brevane::profile {

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
    // the whole section. The folder must exist. Text with a line break in a
    // name or the value is refused, since the file could not hold it; so is,
    // when a value is set, a name that would not read back as itself: a section
    // holding "]", a key holding "=" or starting with "[" or ";", and either
    // starting or ending with a tab.
    bool writeString(const QString &section, const std::optional<QString> &key,
        const std::optional<QString> &value, const QString &path) const;

    // Removes every key of section and keeps its header: writing the section
    // with an empty list of keys.
    bool clearSection(const QString &section, const QString &path) const;

private:
    template<typename Edit> bool edit(const QString &path, Edit &&apply) const;

    AnsiCodePage m_codePage;
};

} // namespace brevane::profile
