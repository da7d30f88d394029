// The three persistence operations of clsQuilvet. The keys, their defaults and
// the order of the steps come from the property table.

#include "PropertyStore.h"
#include "PropertyTable.h"
#include "PropertyValue.h"
#include "clsQuilvet.h"
#include "clsQuilvet_p.h"

#include <QMetaProperty>
#include <QScopeGuard>

using namespace quilvet;

namespace {

// The default of a key; a slot-count default reads the slider's maximum now.
QVariant defaultFor(const clsQuilvet &q, const PropertyInfo &property)
{
    const StoredDefault &stored = property.storedDefault;
    switch (stored.kind) {
    case StoredDefault::Kind::Boolean:
        return stored.number != 0;
    case StoredDefault::Kind::Int16:
        return QVariant::fromValue<qint16>(static_cast<qint16>(stored.number));
    case StoredDefault::Kind::Text:
        return stored.textValue ? QString::fromUtf16(stored.textValue) : QString();
    case StoredDefault::Kind::SlotCount:
        return QVariant::fromValue<qint32>(q.maximum());
    }
    return QVariant();
}

// A stored value as the property's type; throws Error 13 or 6 when it does not convert.
QVariant converted(const PropertyInfo &property, const QVariant &stored)
{
    switch (property.type) {
    case PropertyType::Boolean:
        return PropertyValue::toBoolean(stored);
    case PropertyType::Int32:
        return QVariant::fromValue<qint32>(PropertyValue::toInt32(stored));
    case PropertyType::Text:
        return PropertyValue::toText(stored);
    }
    return QVariant();
}

QMetaProperty metaPropertyOf(const clsQuilvet &q, const PropertyInfo &property)
{
    const QMetaObject *meta = q.metaObject();
    return meta->property(meta->indexOfProperty(property.name));
}

} // namespace

void clsQuilvetPrivate::restoreProperty(const PropertyInfo &property, const QVariant &value)
{
    if (property.checkedPut) {
        // Max is the one checked property; a restored slot count goes to the
        // slider as it was saved.
        Slider_Time->setMaximum(value.value<qint32>());
        return;
    }
    // The property's own write, without its change notice: restoring does not
    // make the instance dirty.
    ++quietWrites;
    const auto restore = qScopeGuard([this] { --quietWrites; });
    metaPropertyOf(*q, property).write(q, value);
}

void clsQuilvet::InitProperties()
{
    d->toolTipText.clear();
}

void clsQuilvet::ReadProperties(PropertyStore &store)
{
    constexpr std::size_t ValueRow = propertyIndex("Value");
    constexpr std::size_t MaxRow = propertyIndex("Max");
    // A value equal to the saved maximum is not stored. "Value" is therefore read
    // with a default no stored value can have (no value at all): when it comes
    // back, the value takes the slider's maximum of the moment, and once the
    // maximum is restored, that maximum.
    bool valueFollowsMaximum = false;
    for (const std::uint8_t row : PersistenceSteps) {
        const PropertyInfo &property = Properties[row];
        const QString name = QString::fromLatin1(property.name);
        if (row == ValueRow) {
            const QVariant stored = store.readProperty(name, QVariant());
            valueFollowsMaximum = !stored.isValid();
            d->restoreProperty(property,
                valueFollowsMaximum ? QVariant::fromValue<qint32>(maximum()) : converted(property, stored));
            continue;
        }
        const QVariant stored = store.readProperty(name, defaultFor(*this, property));
        d->restoreProperty(property, converted(property, stored));
        if (row == MaxRow && valueFollowsMaximum) {
            d->restoreProperty(Properties[ValueRow], QVariant::fromValue<qint32>(maximum()));
        }
    }
}

void clsQuilvet::WriteProperties(PropertyStore &store) const
{
    for (const std::uint8_t row : PersistenceSteps) {
        const PropertyInfo &property = Properties[row];
        store.writeProperty(QString::fromLatin1(property.name), metaPropertyOf(*this, property).read(this),
            defaultFor(*this, property));
    }
}
