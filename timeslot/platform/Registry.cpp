#include "Registry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace quilvet::com {

namespace {

const QString Header = QStringLiteral("REGEDIT4");

QString quoted(const QString &text)
{
    QString result = text;
    result.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    result.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + result + QLatin1Char('"');
}

// Reads a quoted text starting at position; returns the position after it, or -1.
qsizetype readQuoted(const QString &line, qsizetype position, QString *text)
{
    if (position >= line.size() || line.at(position) != QLatin1Char('"')) {
        return -1;
    }
    text->clear();
    for (qsizetype i = position + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            text->append(line.at(++i));
        } else if (c == QLatin1Char('"')) {
            return i + 1;
        } else {
            text->append(c);
        }
    }
    return -1;
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

// The rest of a hex list: hex digits, commas and blanks, possibly continued again.
bool isHexContinuation(const QString &line)
{
    const QString trimmed = line.trimmed();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        const bool continued = i + 1 == trimmed.size() && c == QLatin1Char('\\');
        if (!isHexDigit(c) && c != QLatin1Char(',') && c != QLatin1Char(' ') && !continued) {
            return false;
        }
    }
    return true;
}

QString valueText(const RegistryValue &value)
{
    switch (value.type) {
    case RegistryValue::Type::String:
        return quoted(value.text);
    case RegistryValue::Type::Dword:
        return QStringLiteral("dword:%1").arg(value.number, 8, 16, QLatin1Char('0'));
    case RegistryValue::Type::Binary: {
        QString text = QStringLiteral("hex:");
        int column = int(text.size());
        for (qsizetype i = 0; i < value.bytes.size(); ++i) {
            const QString byte = QStringLiteral("%1").arg(quint8(value.bytes.at(i)), 2, 16, QLatin1Char('0'));
            text += byte;
            column += 2;
            if (i + 1 < value.bytes.size()) {
                text += QLatin1Char(',');
                ++column;
                if (column > 74) {
                    text += QLatin1String("\\\n  ");
                    column = 2;
                }
            }
        }
        return text;
    }
    }
    return QString();
}

} // namespace

QString Registry::folder()
{
    const QString configured = qEnvironmentVariable("HALL_COMPONENT_REGISTRY");
    if (!configured.isEmpty()) {
        return configured;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/hall-components");
}

QString Registry::filePath()
{
    return folder() + QStringLiteral("/HKEY_CURRENT_USER.reg");
}

Registry::Registry(QString path)
    : m_path(std::move(path))
{ }

bool Registry::load(QString *error)
{
    m_keys.clear();
    QFile file(m_path);
    if (!file.exists()) {
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return parse(QString::fromUtf8(file.readAll()), error);
}

bool Registry::save(QString *error) const
{
    if (m_keys.isEmpty()) {
        if (QFile::exists(m_path) && !QFile::remove(m_path)) {
            if (error) {
                *error = QStringLiteral("cannot remove %1").arg(m_path);
            }
            return false;
        }
        return true;
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    file.write(text().toUtf8());
    if (!file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

QString Registry::text() const
{
    QList<const Key *> ordered;
    for (const Key &key : m_keys) {
        ordered.append(&key);
    }
    std::sort(ordered.begin(), ordered.end(),
        [](const Key *a, const Key *b) { return a->path.compare(b->path, Qt::CaseInsensitive) < 0; });
    QString text = Header + QLatin1String("\n\n");
    for (const Key *key : ordered) {
        text += QLatin1Char('[') + key->path + QLatin1String("]\n");
        for (const Entry &entry : key->values) {
            text += (entry.name.isEmpty() ? QStringLiteral("@") : quoted(entry.name)) + QLatin1Char('=')
                + valueText(entry.value) + QLatin1Char('\n');
        }
        text += QLatin1Char('\n');
    }
    return text;
}

bool Registry::parse(const QString &text, QString *error)
{
    m_keys.clear();
    m_skippedLines.clear();
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    if (lines.isEmpty() || lines.first().trimmed() != Header) {
        if (error) {
            *error = QStringLiteral("not a REGEDIT4 registry file");
        }
        return false;
    }
    const auto skip = [this](qsizetype index, const QString &reason) {
        m_skippedLines.append(QStringLiteral("line %1: %2").arg(index + 1).arg(reason));
    };
    QString current; // empty while no key line applies
    for (qsizetype n = 1; n < lines.size(); ++n) {
        const qsizetype first = n;
        QString line = lines.at(n).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            current.clear();
            if (!line.endsWith(QLatin1Char(']'))) {
                skip(n, QStringLiteral("unterminated key"));
            } else if (!createKey(line.mid(1, line.size() - 2))) {
                skip(n, QStringLiteral("bad key"));
            } else {
                current = line.mid(1, line.size() - 2);
            }
            continue;
        }
        // Hex lists continue on the following lines after a trailing "\". Only a line
        // that reads as the rest of such a list is joined, so a key or value line
        // after a broken list keeps its own meaning.
        while (
            line.endsWith(QLatin1Char('\\')) && n + 1 < lines.size() && isHexContinuation(lines.at(n + 1))) {
            line.chop(1);
            line += lines.at(++n).trimmed();
        }
        QString problem;
        if (current.isEmpty()) {
            skip(first, QStringLiteral("value outside a key"));
        } else if (!parseValueLine(current, line, &problem)) {
            skip(first, problem);
        }
    }
    return true;
}

bool Registry::parseValueLine(const QString &key, const QString &line, QString *problem)
{
    QString name;
    qsizetype position = 0;
    if (line.startsWith(QLatin1Char('@'))) {
        position = 1;
    } else {
        position = readQuoted(line, 0, &name);
        if (position < 0) {
            *problem = QStringLiteral("bad value name");
            return false;
        }
    }
    if (position >= line.size() || line.at(position) != QLatin1Char('=')) {
        *problem = QStringLiteral("missing '='");
        return false;
    }
    const QString data = line.mid(position + 1);
    RegistryValue value;
    if (data.startsWith(QLatin1Char('"'))) {
        QString text;
        if (readQuoted(data, 0, &text) != data.size()) {
            *problem = QStringLiteral("bad text");
            return false;
        }
        value = RegistryValue::string(text);
    } else if (data.startsWith(QLatin1String("dword:"))) {
        bool ok = false;
        const quint32 number = data.mid(6).toUInt(&ok, 16);
        if (!ok) {
            *problem = QStringLiteral("bad dword");
            return false;
        }
        value = RegistryValue::dword(number);
    } else if (data.startsWith(QLatin1String("hex:"))) {
        QByteArray bytes;
        const QString list = data.mid(4).remove(QLatin1Char(' '));
        if (!list.isEmpty()) {
            for (const QString &byte : list.split(QLatin1Char(','))) {
                bool ok = false;
                const uint number = byte.toUInt(&ok, 16);
                if (!ok || number > 0xFF) {
                    *problem = QStringLiteral("bad hex list");
                    return false;
                }
                bytes.append(char(number));
            }
        }
        value = RegistryValue::binary(bytes);
    } else {
        *problem = QStringLiteral("unknown value type");
        return false;
    }
    if (!setValue(key, name, value)) {
        *problem = QStringLiteral("line break in a name or text");
        return false;
    }
    return true;
}

Registry::Key *Registry::find(const QString &key)
{
    for (Key &entry : m_keys) {
        if (entry.path.compare(key, Qt::CaseInsensitive) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

const Registry::Key *Registry::find(const QString &key) const
{
    return const_cast<Registry *>(this)->find(key);
}

bool Registry::isWritableText(const QString &text)
{
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

bool Registry::isWritableKey(const QString &key)
{
    return !key.isEmpty() && isWritableText(key);
}

bool Registry::createKey(const QString &key)
{
    if (!isWritableKey(key)) {
        return false;
    }
    if (!find(key)) {
        m_keys.append({ key, {} });
    }
    return true;
}

bool Registry::setValue(const QString &key, const QString &name, const RegistryValue &value)
{
    if (!isWritableKey(key) || !isWritableText(name)
        || (value.type == RegistryValue::Type::String && !isWritableText(value.text))) {
        return false;
    }
    createKey(key);
    Key *entry = find(key);
    for (Entry &existing : entry->values) {
        if (existing.name.compare(name, Qt::CaseInsensitive) == 0) {
            existing.value = value;
            return true;
        }
    }
    entry->values.append({ name, value });
    return true;
}

std::optional<RegistryValue> Registry::value(const QString &key, const QString &name) const
{
    const Key *entry = find(key);
    if (!entry) {
        return std::nullopt;
    }
    for (const Entry &existing : entry->values) {
        if (existing.name.compare(name, Qt::CaseInsensitive) == 0) {
            return existing.value;
        }
    }
    return std::nullopt;
}

QString Registry::stringValue(const QString &key, const QString &name) const
{
    const auto found = value(key, name);
    return found && found->type == RegistryValue::Type::String ? found->text : QString();
}

bool Registry::hasKey(const QString &key) const
{
    return find(key) != nullptr;
}

void Registry::removeKey(const QString &key)
{
    const QString prefix = key + QLatin1Char('\\');
    m_keys.removeIf([&](const Key &entry) {
        return entry.path.compare(key, Qt::CaseInsensitive) == 0
            || entry.path.startsWith(prefix, Qt::CaseInsensitive);
    });
}

QStringList Registry::subKeys(const QString &key) const
{
    const QString prefix = key + QLatin1Char('\\');
    QStringList result;
    for (const Key &entry : m_keys) {
        if (entry.path.startsWith(prefix, Qt::CaseInsensitive)) {
            result.append(entry.path);
        }
    }
    return result;
}

QStringList Registry::keys() const
{
    QStringList result;
    for (const Key &entry : m_keys) {
        result.append(entry.path);
    }
    return result;
}

} // namespace quilvet::com
