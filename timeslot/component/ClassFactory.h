#pragma once

#include "ComponentTypes.h"

#include <atomic>

namespace quilvet {

// The class factory of clsQuilvet.
class ClassFactory final : public IClassFactory
{
public:
    static HRESULT create(REFIID riid, void **object);

    HRESULT QUILVET_COMCALL QueryInterface(REFIID riid, void **object) override;
    ULONG QUILVET_COMCALL AddRef() override;
    ULONG QUILVET_COMCALL Release() override;
    HRESULT QUILVET_COMCALL CreateInstance(IUnknown *outer, REFIID riid, void **object) override;
    HRESULT QUILVET_COMCALL LockServer(BOOL lock) override;

private:
    ClassFactory();
    ~ClassFactory();

    std::atomic<ULONG> m_references { 1 };
};

} // namespace quilvet
