#pragma once

#include "ComponentTypes.h"
#include "PropertyStore.h"

namespace quilvet {

// The property store a control sees when its host hands it a property bag. A
// name the bag does not hold reads as the default; a value equal to its default
// is not written. Failures of the bag are thrown as Error with the bag's status
// code as the number and "PropertyBag" as the source.
class BagPropertyStore final : public PropertyStore
{
public:
    explicit BagPropertyStore(IPropertyBag *bag);

    QVariant readProperty(const QString &name, const QVariant &defaultValue) override;
    void writeProperty(const QString &name, const QVariant &value, const QVariant &defaultValue) override;

private:
    IPropertyBag *m_bag;
};

} // namespace quilvet
