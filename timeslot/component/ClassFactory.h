#pragma once

#include "ComPlatform.h"

#include <atomic>

namespace quilvet {

// The class factory of clsQuilvet.
class ClassFactory final : public IClassFactory
{
public:
    static HRESULT create(REFIID riid, void **object);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ClassFactory();
    ~ClassFactory();

    std::atomic<ULONG> m_references { 1 };
};

} // namespace quilvet
