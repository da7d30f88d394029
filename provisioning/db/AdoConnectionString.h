#pragma once

#include <QString>

#include <array>
#include <optional>

namespace brevane::db {

// The keys an ADO-style connection text may carry; aliases map onto them.
enum class AdoKey {
    Provider, // "Provider"
    Password, // "Password", "PWD"
    PersistSecurityInfo, // "Persist Security Info"
    UserId, // "User ID", "UID"
    InitialCatalog, // "Initial Catalog", "Database"
    DataSource, // "Data Source", "Server"
};

// Reads an ADO-style connection text whose values are not quoted, such as
// "Provider=SQLOLEDB.1;Password=a;b;Persist Security Info=True;User ID=sa;...".
//
// Because values are written as they are, a ';' inside a value cannot be told
// from a separator by looking at it alone. The rule used here:
//  - a ';' can only end a value when a known key and '=' follow it (blanks
//    around the key are allowed, letter case is ignored);
//  - of all the ways to cut the text at such places, the one that yields the
//    most different keys wins, each key appearing at most once;
//  - among those, the one with the longest password wins, then the one whose
//    earlier values are longer.
// So a password holding ";", "}" or even ";User ID=x" or ";Data Source=y"
// stays whole as long as the keys that follow it are all present, and text
// inside the password can never replace the server or the login. Unknown
// keys stay part of the value before them; a single ';' that ends the text is
// dropped unless it belongs to the password. Values are not trimmed.
class AdoConnectionString
{
public:
    static AdoConnectionString parse(const QString &text);

    bool contains(AdoKey key) const { return m_values[index(key)].has_value(); }
    QString value(AdoKey key) const { return m_values[index(key)].value_or(QString()); }

private:
    static constexpr std::size_t index(AdoKey key) { return static_cast<std::size_t>(key); }

    std::array<std::optional<QString>, 6> m_values;
};

} // namespace brevane::db
