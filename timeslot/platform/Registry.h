#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

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
    // cannot be read or is not a REGEDIT4 export.
    bool load(QString *error = nullptr);
    // Writes the file, or removes it when no key is left.
    bool save(QString *error = nullptr) const;

    QString text() const;
    bool parse(const QString &text, QString *error = nullptr);

    void createKey(const QString &key);
    // An empty name is the key's default value.
    void setValue(const QString &key, const QString &name, const RegistryValue &value);
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

    QString m_path;
    QList<Key> m_keys;
};

} // namespace quilvet::com
