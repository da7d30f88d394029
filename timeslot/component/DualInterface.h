#pragma once

#include "ComponentTypes.h"

namespace quilvet {

class ControlObject;

// The control object's _clsQuilvet as a table of functions: IUnknown and
// IDispatch first, then a get and a put for each row of the property table, in
// slot order. The table is built from the property table, so that it cannot
// drift from the type information; each function converts its argument and
// goes through the object's own property calls, with the behaviour and the
// failures of Invoke.
struct DualInterface
{
    const void *functionTable;
    ControlObject *owner;

    explicit DualInterface(ControlObject *owner);
    _clsQuilvet *asInterface() { return reinterpret_cast<_clsQuilvet *>(this); }
};

} // namespace quilvet
