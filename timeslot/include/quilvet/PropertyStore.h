#pragma once

#include <QString>
#include <QVariant>
#include <quilvet/quilvet_export.h>

#include <optional>

namespace quilvet {

// The host's store of a control's saved properties: named values of the kinds
// Boolean (bool), 16-bit integer (qint16), 32-bit integer (qint32) or text
// (QString). Implemented by the host; failures are thrown as quilvet::Error.
class QUILVET_EXPORT PropertyStore
{
public:
    virtual ~PropertyStore();

    // The value stored under name, or defaultValue when nothing is stored under it.
    virtual QVariant readProperty(const QString &name, const QVariant &defaultValue) = 0;

    // Keeps value under name; a value equal to defaultValue (PropertyValue::equals)
    // is not kept, so that nothing remains stored under name.
    virtual void writeProperty(const QString &name, const QVariant &value, const QVariant &defaultValue) = 0;

    // Whether a value is stored under name, as far as the store knows without a
    // further look-up; std::nullopt (the default) when it cannot tell. A load of
    // clsQuilvet does not need it: it tells a "Value" that was not stored by the
    // default it reads it with, an empty QVariant, which readProperty() returns
    // as given when nothing is stored.
    virtual std::optional<bool> holds(const QString &name) const;
};

} // namespace quilvet
