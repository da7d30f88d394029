#include "MemoryPropertyStore.h"

#include "PropertyValue.h"

namespace quilvet {

QVariant MemoryPropertyStore::readProperty(const QString &name, const QVariant &defaultValue)
{
    throwIfFailing(name);
    const auto found = m_values.constFind(name.toCaseFolded());
    const QVariant result = found == m_values.cend() ? defaultValue : found->second;
    m_calls.append({ Call::Read, name, result, defaultValue });
    return result;
}

void MemoryPropertyStore::writeProperty(
    const QString &name, const QVariant &value, const QVariant &defaultValue)
{
    throwIfFailing(name);
    m_calls.append({ Call::Write, name, value, defaultValue });
    if (PropertyValue::equals(value, defaultValue)) {
        m_values.remove(name.toCaseFolded());
    } else {
        m_values.insert(name.toCaseFolded(), { name, value });
    }
}

void MemoryPropertyStore::set(const QString &name, const QVariant &value)
{
    m_values.insert(name.toCaseFolded(), { name, value });
}

std::optional<bool> MemoryPropertyStore::holds(const QString &name) const
{
    return contains(name);
}

bool MemoryPropertyStore::contains(const QString &name) const
{
    return m_values.contains(name.toCaseFolded());
}

QVariant MemoryPropertyStore::value(const QString &name) const
{
    const auto found = m_values.constFind(name.toCaseFolded());
    return found == m_values.cend() ? QVariant() : found->second;
}

QStringList MemoryPropertyStore::names() const
{
    QStringList result;
    for (const auto &entry : m_values) {
        result.append(entry.first);
    }
    return result;
}

void MemoryPropertyStore::clear()
{
    m_values.clear();
}

QStringList MemoryPropertyStore::callNames() const
{
    QStringList result;
    for (const Call &call : m_calls) {
        result.append(call.name);
    }
    return result;
}

void MemoryPropertyStore::failAt(const QString &name, const Error &error)
{
    m_failure.emplace(name.toCaseFolded(), error);
}

void MemoryPropertyStore::throwIfFailing(const QString &name)
{
    if (m_failure && m_failure->first == name.toCaseFolded()) {
        const Error error = m_failure->second;
        m_failure.reset();
        throw error;
    }
}

} // namespace quilvet
