#pragma once

#include <QString>
#include <QVariant>
#include <quilvet/Component.h>

#include <optional>

// Qt-side helpers for the component interfaces: texts, GUIDs, variants and
// reference-counted pointers.
namespace quilvet::com {

QString fromBstr(BSTR text);
QString fromOleText(LPCOLESTR text);
// A new BSTR that the receiver frees with SysFreeString.
BSTR toBstr(const QString &text);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the registry writes it.
QString guidText(REFGUID guid);
std::optional<GUID> guidFromText(const QString &text);

// Boolean, 16-bit and 32-bit integers, doubles and texts; an empty variant is
// an invalid QVariant. Other types give a QVariant the callers cannot convert.
QVariant toQVariant(const VARIANT &value);
// The variant receives a copy the caller clears with VariantClear.
void fromQVariant(const QVariant &value, VARIANT *result);

// The HRESULT a control error number becomes: FACILITY_CONTROL with the number,
// or the number itself when it already is a failure code.
HRESULT controlResult(qint32 number);

// Holds one reference; AddRef on copy, Release on destruction.
template<typename T> class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(const ComPtr &other)
        : m_object(other.m_object)
    {
        if (m_object) {
            m_object->AddRef();
        }
    }
    ComPtr &operator=(const ComPtr &other)
    {
        ComPtr copy(other);
        std::swap(m_object, copy.m_object);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset()
    {
        if (m_object) {
            m_object->Release();
            m_object = nullptr;
        }
    }
    T *get() const { return m_object; }
    T *operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    // For out parameters: releases what is held and hands out the slot.
    T **put()
    {
        reset();
        return &m_object;
    }
    void **putVoid() { return reinterpret_cast<void **>(put()); }

private:
    T *m_object = nullptr;
};

} // namespace quilvet::com
