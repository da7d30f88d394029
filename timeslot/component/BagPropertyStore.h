#pragma once

#include "ComponentTypes.h"
#include "PropertyStore.h"

#include <QHash>

namespace quilvet {

// The property store a control sees when its host hands it a property bag. A
// name the bag does not hold reads as the default; a value equal to its default
// is not written. Failures of the bag are thrown as Error with the bag's status
// code as the number and "PropertyBag" as the source. The bag has no query of its
// own for a name; holds() answers from the reads made so far.
class BagPropertyStore final : public PropertyStore
{
public:
    explicit BagPropertyStore(IPropertyBag *bag);

    QVariant readProperty(const QString &name, const QVariant &defaultValue) override;
    void writeProperty(const QString &name, const QVariant &value, const QVariant &defaultValue) override;
    std::optional<bool> holds(const QString &name) const override;

private:
    IPropertyBag *m_bag;
    QHash<QString, bool> m_held; // folded names read so far: whether the bag held them
};

} // namespace quilvet
