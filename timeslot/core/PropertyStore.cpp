#include "PropertyStore.h"

namespace quilvet {

PropertyStore::~PropertyStore() = default;

std::optional<bool> PropertyStore::holds(const QString &) const
{
    return std::nullopt;
}

} // namespace quilvet
