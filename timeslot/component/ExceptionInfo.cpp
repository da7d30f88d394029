#include "ExceptionInfo.h"

#include "ComSupport.h"

#include <cstring>

namespace quilvet {

HRESULT raiseException(const Error &error, EXCEPINFO *exception)
{
    if (exception) {
        std::memset(exception, 0, sizeof(EXCEPINFO));
        exception->bstrSource = toBstr(error.source());
        exception->bstrDescription = toBstr(error.description());
        exception->scode = controlResult(error.number());
    }
    return DISP_E_EXCEPTION;
}

DiscardableException::DiscardableException(EXCEPINFO *given)
    : m_given(given)
{
    std::memset(&m_own, 0, sizeof m_own);
}

DiscardableException::~DiscardableException()
{
    SysFreeString(m_own.bstrSource);
    SysFreeString(m_own.bstrDescription);
}

} // namespace quilvet
