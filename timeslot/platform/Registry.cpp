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
    const auto fail = [&](const QString &message) {
        if (error) {
            *error = message;
        }
        m_keys.clear();
        return false;
    };
    m_keys.clear();
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    if (lines.isEmpty() || lines.first().trimmed() != Header) {
        return fail(QStringLiteral("not a REGEDIT4 registry file"));
    }
    QString current;
    for (qsizetype n = 1; n < lines.size(); ++n) {
        QString line = lines.at(n);
        // Binary lists continue on the following lines after a trailing "\"; no
        // other line can end with one (texts end with their quote).
        while (line.endsWith(QLatin1Char('\\')) && n + 1 < lines.size()) {
            line.chop(1);
            line += lines.at(++n).trimmed();
        }
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (!trimmed.endsWith(QLatin1Char(']'))) {
                return fail(QStringLiteral("line %1: unterminated key").arg(n + 1));
            }
            current = trimmed.mid(1, trimmed.size() - 2);
            createKey(current);
            continue;
        }
        if (current.isEmpty()) {
            return fail(QStringLiteral("line %1: value outside a key").arg(n + 1));
        }
        QString name;
        qsizetype position = 0;
        if (trimmed.startsWith(QLatin1Char('@'))) {
            position = 1;
        } else {
            position = readQuoted(trimmed, 0, &name);
            if (position < 0) {
                return fail(QStringLiteral("line %1: bad value name").arg(n + 1));
            }
        }
        if (position >= trimmed.size() || trimmed.at(position) != QLatin1Char('=')) {
            return fail(QStringLiteral("line %1: missing '='").arg(n + 1));
        }
        const QString data = trimmed.mid(position + 1);
        if (data.startsWith(QLatin1Char('"'))) {
            QString value;
            if (readQuoted(data, 0, &value) != data.size()) {
                return fail(QStringLiteral("line %1: bad text").arg(n + 1));
            }
            setValue(current, name, RegistryValue::string(value));
        } else if (data.startsWith(QLatin1String("dword:"))) {
            bool ok = false;
            const quint32 number = data.mid(6).toUInt(&ok, 16);
            if (!ok) {
                return fail(QStringLiteral("line %1: bad dword").arg(n + 1));
            }
            setValue(current, name, RegistryValue::dword(number));
        } else if (data.startsWith(QLatin1String("hex:"))) {
            QByteArray bytes;
            const QString list = data.mid(4).remove(QLatin1Char(' '));
            if (!list.isEmpty()) {
                for (const QString &byte : list.split(QLatin1Char(','))) {
                    bool ok = false;
                    const uint number = byte.toUInt(&ok, 16);
                    if (!ok || number > 0xFF) {
                        return fail(QStringLiteral("line %1: bad hex list").arg(n + 1));
                    }
                    bytes.append(char(number));
                }
            }
            setValue(current, name, RegistryValue::binary(bytes));
        } else {
            return fail(QStringLiteral("line %1: unknown value type").arg(n + 1));
        }
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

void Registry::createKey(const QString &key)
{
    if (!find(key)) {
        m_keys.append({ key, {} });
    }
}

void Registry::setValue(const QString &key, const QString &name, const RegistryValue &value)
{
    createKey(key);
    Key *entry = find(key);
    for (Entry &existing : entry->values) {
        if (existing.name.compare(name, Qt::CaseInsensitive) == 0) {
            existing.value = value;
            return;
        }
    }
    entry->values.append({ name, value });
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
