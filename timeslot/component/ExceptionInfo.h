#pragma once

#include "ComponentTypes.h"
#include "QuilvetError.h"

namespace quilvet {

// Fills exception (when given) with the error's source, description and status
// code, and answers DISP_E_EXCEPTION, as Invoke reports a control error.
HRESULT raiseException(const Error &error, EXCEPINFO *exception);

// Invoke reports a control error in an EXCEPINFO even when its caller gave
// none; then the error goes to one that is freed afterwards.
class DiscardableException
{
public:
    explicit DiscardableException(EXCEPINFO *given);
    ~DiscardableException();
    DiscardableException(const DiscardableException &) = delete;
    DiscardableException &operator=(const DiscardableException &) = delete;
    EXCEPINFO *get() { return m_given ? m_given : &m_own; }

private:
    EXCEPINFO *m_given;
    EXCEPINFO m_own;
};

// Holds a reference for the length of a scope: a handler called meanwhile may
// release its caller's last one.
class KeepAlive
{
public:
    explicit KeepAlive(IUnknown *object)
        : m_object(object)
    {
        m_object->AddRef();
    }
    ~KeepAlive() { m_object->Release(); }
    KeepAlive(const KeepAlive &) = delete;
    KeepAlive &operator=(const KeepAlive &) = delete;

private:
    IUnknown *m_object;
};

} // namespace quilvet
