#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quilvet::com {

// The per-user registry of components on platforms without one.
//
// Location: the folder named by the environment variable HALL_COMPONENT_REGISTRY,
// or else "hall-components" in the user's data folder ($XDG_DATA_HOME, by default
// ~/.local/share). The registry is the file HKEY_CURRENT_USER.reg in that folder.
//
// Format: the platform's textual registry export, REGEDIT4: the line "REGEDIT4",
// then one block per key, "[HKEY_CURRENT_USER\Software\Classes\...]", followed by
// its values: @="text" for the default value, "Name"="text", "Name"=dword:0000002a
// or "Name"=hex:0a,1b,... (long lists continue on the next line after a "\").
// Texts escape "\" and the quote with a "\"; the file is UTF-8. Keys are compared
// without regard to case and written in sorted order; a key is kept only when it
// was written explicitly. A registry left without keys removes its file.
// A line break cannot be held by a key, a value name or a text: such a write is
// refused. Lines starting with ";" are comments. On reading, a line that does not
// parse is skipped (and listed by skippedLines()) and the rest of the file is kept;
// a value line after a key line that does not parse belongs to no key and is
// skipped too.
struct RegistryValue
{
    enum class Type { String, Dword, Binary };
    Type type = Type::String;
    QString text;
    quint32 number = 0;
    QByteArray bytes;

    static RegistryValue string(const QString &text) { return { Type::String, text, 0, {} }; }
    static RegistryValue dword(quint32 number) { return { Type::Dword, {}, number, {} }; }
    static RegistryValue binary(const QByteArray &bytes) { return { Type::Binary, {}, 0, bytes }; }
    bool operator==(const RegistryValue &other) const = default;
};

class Registry
{
public:
    static constexpr char16_t ClassesRoot[] = u"HKEY_CURRENT_USER\\Software\\Classes";

    static QString folder();
    static QString filePath();

    // An empty registry bound to a file; load() reads it.
    explicit Registry(QString path = filePath());

    // A missing file is an empty registry. False with a message on a file that
    // cannot be read or is not a REGEDIT4 export; lines that do not parse are
    // skipped, not fatal.
    bool load(QString *error = nullptr);
    // Writes the file, or removes it when no key is left.
    bool save(QString *error = nullptr) const;

    QString text() const;
    bool parse(const QString &text, QString *error = nullptr);

    // The lines the last parse skipped, as "line N: reason".
    const QStringList &skippedLines() const { return m_skippedLines; }

    // Whether the file can hold key, name or text unchanged.
    static bool isWritableKey(const QString &key);
    static bool isWritableText(const QString &text);

    // False, changing nothing, for a key the file cannot hold.
    bool createKey(const QString &key);
    // An empty name is the key's default value. False, changing nothing, when
    // the key, the name or a text value cannot be held by the file.
    bool setValue(const QString &key, const QString &name, const RegistryValue &value);
    std::optional<RegistryValue> value(const QString &key, const QString &name = {}) const;
    QString stringValue(const QString &key, const QString &name = {}) const;
    bool hasKey(const QString &key) const;
    // Removes the key and every key below it.
    void removeKey(const QString &key);
    // The direct and indirect keys below key.
    QStringList subKeys(const QString &key) const;
    QStringList keys() const;

    const QString &path() const { return m_path; }

private:
    struct Entry
    {
        QString name;
        RegistryValue value;
    };
    struct Key
    {
        QString path;
        QList<Entry> values;
    };
    Key *find(const QString &key);
    const Key *find(const QString &key) const;

    bool parseValueLine(const QString &key, const QString &line, QString *problem);

    QString m_path;
    QList<Key> m_keys;
    QStringList m_skippedLines;
};

} // namespace quilvet::com
