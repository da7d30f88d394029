#pragma once

#include "PropertyStore.h"
#include "QuilvetError.h"

#include <QList>
#include <QMap>

#include <optional>

namespace quilvet {

// A property store held in memory. Names compare without regard to case. It
// records every call, and can be told to fail at a name, so that tests can
// follow the order of the keys and stop an operation part way.
class MemoryPropertyStore : public PropertyStore
{
public:
    struct Call
    {
        enum Kind { Read, Write } kind;
        QString name;
        QVariant value; // the value written, or the value a read returned
        QVariant defaultValue;
    };

    QVariant readProperty(const QString &name, const QVariant &defaultValue) override;
    void writeProperty(const QString &name, const QVariant &value, const QVariant &defaultValue) override;
    std::optional<bool> holds(const QString &name) const override; // not recorded as a call

    void set(const QString &name, const QVariant &value);
    bool contains(const QString &name) const;
    QVariant value(const QString &name) const;
    QStringList names() const;
    void clear();

    const QList<Call> &calls() const { return m_calls; }
    QStringList callNames() const;
    void clearCalls() { m_calls.clear(); }

    // The next read or write of name throws error (once).
    void failAt(const QString &name, const Error &error);

private:
    void throwIfFailing(const QString &name);

    QMap<QString, std::pair<QString, QVariant>> m_values; // folded name -> (name, value)
    QList<Call> m_calls;
    std::optional<std::pair<QString, Error>> m_failure;
};

} // namespace quilvet
