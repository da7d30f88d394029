#pragma once

#include "ComponentTypes.h"
#include "PropertyTable.h"

namespace quilvet {

class ControlObject;

// The control object's _clsQuilvet as a table of functions: a C++ class that
// implements the interface, so that the compiler lays out the table as it lays
// out any interface for its platform. IUnknown and IDispatch go to the object;
// each get and put converts its argument and goes through the object's own
// property calls, with the behaviour and the failures of Invoke. Each function
// finds its row of the property table by the property's name at compile time,
// so a function without a row does not compile.
class DualInterface final : public _clsQuilvet
{
public:
    explicit DualInterface(ControlObject *owner);
    _clsQuilvet *asInterface() { return this; }

    HRESULT QUILVET_COMCALL QueryInterface(REFIID riid, void **object) override;
    ULONG QUILVET_COMCALL AddRef() override;
    ULONG QUILVET_COMCALL Release() override;
    QUILVET_DISPATCH_METHODS

#define QUILVET_DUAL_PROPERTY(Name, Type)                                                                    \
    HRESULT QUILVET_COMCALL get_##Name(Type *value) override                                                 \
    {                                                                                                        \
        return get<propertyIndex(#Name)>(value);                                                             \
    }                                                                                                        \
    HRESULT QUILVET_COMCALL put_##Name(Type value) override                                                  \
    {                                                                                                        \
        return put<propertyIndex(#Name)>(value);                                                             \
    }
    QUILVET_DUAL_PROPERTY(Enabled, VARIANT_BOOL)
    QUILVET_DUAL_PROPERTY(Value, LONG)
    QUILVET_DUAL_PROPERTY(ToolTipText, BSTR)
    QUILVET_DUAL_PROPERTY(SelStart, LONG)
    QUILVET_DUAL_PROPERTY(MaxMinute, BSTR)
    QUILVET_DUAL_PROPERTY(RoomFee_All, BSTR)
    QUILVET_DUAL_PROPERTY(TimeIndex, BSTR)
    QUILVET_DUAL_PROPERTY(BeginTime, BSTR)
    QUILVET_DUAL_PROPERTY(EndTime, BSTR)
    QUILVET_DUAL_PROPERTY(SelectRange, VARIANT_BOOL)
    QUILVET_DUAL_PROPERTY(Max, LONG)
    QUILVET_DUAL_PROPERTY(SelLength, LONG)
    QUILVET_DUAL_PROPERTY(PriceWeek1, BSTR)
    QUILVET_DUAL_PROPERTY(PriceWeek2, BSTR)
    QUILVET_DUAL_PROPERTY(PriceWeek3, BSTR)
    QUILVET_DUAL_PROPERTY(PriceWeek4, BSTR)
    QUILVET_DUAL_PROPERTY(PriceWeek5, BSTR)
    QUILVET_DUAL_PROPERTY(PriceWeek6, BSTR)
    QUILVET_DUAL_PROPERTY(PriceWeek7, BSTR)
    QUILVET_DUAL_PROPERTY(PriceWeek8, BSTR)
#undef QUILVET_DUAL_PROPERTY

private:
    template<std::size_t Row, typename T> HRESULT get(T *out);
    template<std::size_t Row, typename T> HRESULT put(T value);

    ControlObject *m_owner;
};

} // namespace quilvet
