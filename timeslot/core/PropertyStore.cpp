#include "PropertyStore.h"

namespace quilvet {

PropertyStore::~PropertyStore() = default;

} // namespace quilvet
