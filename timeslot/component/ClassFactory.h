#pragma once

#include "ComObject.h"
#include "ComponentTypes.h"

namespace quilvet {

// The class factory of clsQuilvet.
class ClassFactory final : public ComObject<ClassFactory, lifetime::Own, IClassFactory>
{
public:
    static HRESULT create(REFIID riid, void **object);

    void *interfaceFor(REFIID riid);
    HRESULT QUILVET_COMCALL CreateInstance(IUnknown *outer, REFIID riid, void **object) override;
    HRESULT QUILVET_COMCALL LockServer(BOOL lock) override;

private:
    ClassFactory();
    ~ClassFactory() override;
};

} // namespace quilvet
