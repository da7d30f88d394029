// The runtime functions that the component header declares
// for platforms without a component runtime of their own.

#include "HalfEven.h"

#include <quilvet/Component.h>

#if !defined(_WIN32)

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace quilvet::com {

// A text is preceded by its length in bytes, as the platform lays it out, and
// ends with a zero character that the length does not count.
BSTR SysAllocStringLen(const OLECHAR *text, UINT length)
{
    auto *block
        = static_cast<std::uint32_t *>(std::malloc(sizeof(std::uint32_t) + (length + 1) * sizeof(OLECHAR)));
    if (!block) {
        return nullptr;
    }
    block[0] = static_cast<std::uint32_t>(length * sizeof(OLECHAR));
    auto *characters = reinterpret_cast<OLECHAR *>(block + 1);
    if (text) {
        std::memcpy(characters, text, length * sizeof(OLECHAR));
    } else {
        std::memset(characters, 0, length * sizeof(OLECHAR));
    }
    characters[length] = 0;
    return characters;
}

BSTR SysAllocString(const OLECHAR *text)
{
    if (!text) {
        return nullptr;
    }
    UINT length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text)
{
    if (text) {
        std::free(reinterpret_cast<std::uint32_t *>(text) - 1);
    }
}

UINT SysStringLen(BSTR text)
{
    return text ? reinterpret_cast<std::uint32_t *>(text)[-1] / sizeof(OLECHAR) : 0;
}

void VariantInit(VARIANT *value)
{
    std::memset(value, 0, sizeof(VARIANT));
    value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT *value)
{
    if (!value) {
        return E_INVALIDARG;
    }
    switch (value->vt) {
    case VT_BSTR:
        SysFreeString(value->bstrVal);
        break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (value->punkVal) {
            value->punkVal->Release();
        }
        break;
    default:
        break;
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT *destination, const VARIANT *source)
{
    if (!destination || !source) {
        return E_INVALIDARG;
    }
    if (destination == source) {
        return S_OK;
    }
    VariantClear(destination);
    *destination = *source;
    switch (source->vt) {
    case VT_BSTR:
        destination->bstrVal
            = source->bstrVal ? SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal)) : nullptr;
        break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (destination->punkVal) {
            destination->punkVal->AddRef();
        }
        break;
    default:
        break;
    }
    return S_OK;
}

namespace {

// Qt refuses a decimal number whose value lies beyond a double's range. The
// platform reads one too small to represent as 0 and reports one too large as
// an overflow; text that is no decimal number stays a type mismatch.
HRESULT numberBeyondDoubleRange(const QString &text, double *number)
{
    static const QRegularExpression decimal(QRegularExpression::anchoredPattern(
        QStringLiteral("[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?")));
    if (!decimal.match(text).hasMatch()) {
        return DISP_E_TYPEMISMATCH;
    }
    const QByteArray digits = text.toLatin1();
    const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    const double value = strtod_l(digits.constData(), nullptr, c);
    freelocale(c);
    if (!std::isfinite(value)) {
        return DISP_E_OVERFLOW;
    }
    *number = value;
    return S_OK;
}

QString textOf(BSTR text)
{
    return text ? QString::fromUtf16(text, SysStringLen(text)) : QString();
}

// Reads a variant as a number; false when it is text that does not read as one.
HRESULT numberOf(const VARIANT &value, double *number)
{
    switch (value.vt) {
    case VT_EMPTY:
        *number = 0;
        return S_OK;
    case VT_I2:
        *number = value.iVal;
        return S_OK;
    case VT_I4:
        *number = value.lVal;
        return S_OK;
    case VT_R8:
        *number = value.dblVal;
        return S_OK;
    case VT_BOOL:
        *number = value.boolVal ? -1 : 0;
        return S_OK;
    case VT_BSTR: {
        const QString text = textOf(value.bstrVal).trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
            *number = -1;
            return S_OK;
        }
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
            *number = 0;
            return S_OK;
        }
        bool ok = false;
        *number = text.toDouble(&ok);
        if (ok && std::isfinite(*number)) {
            return S_OK;
        }
        return numberBeyondDoubleRange(text, number);
    }
    default:
        return DISP_E_BADVARTYPE;
    }
}

} // namespace

HRESULT VariantChangeType(VARIANT *destination, const VARIANT *source, USHORT, VARTYPE type)
{
    if (!destination || !source) {
        return E_INVALIDARG;
    }
    VARIANT input;
    VariantInit(&input);
    const VARIANT *from = source;
    if (from->vt == (VT_BYREF | VT_VARIANT)) {
        from = from->pvarVal;
    }
    HRESULT hr = VariantCopy(&input, from);
    if (FAILED(hr)) {
        return hr;
    }
    VARIANT output;
    VariantInit(&output);
    output.vt = type;
    if (type == input.vt) {
        VariantCopy(&output, &input);
    } else if (type == VT_BSTR) {
        QString text;
        switch (input.vt) {
        case VT_EMPTY:
            break;
        case VT_I2:
            text = QString::number(input.iVal);
            break;
        case VT_I4:
            text = QString::number(input.lVal);
            break;
        case VT_R8:
            text = QString::number(input.dblVal, 'g', 15);
            break;
        case VT_BOOL:
            text = input.boolVal ? QStringLiteral("True") : QStringLiteral("False");
            break;
        default:
            hr = DISP_E_BADVARTYPE;
        }
        output.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.utf16()), text.size());
    } else if (type == VT_EMPTY) {
        output.vt = VT_EMPTY;
    } else {
        double number = 0;
        hr = numberOf(input, &number);
        if (SUCCEEDED(hr)) {
            // Whole numbers round to the nearest, halves to the even neighbour,
            // whatever rounding mode the caller's floating-point environment is in.
            const double whole = quilvet::roundHalfEven(number);
            // Not a number fits no integer; converting it would be undefined.
            const bool finite = std::isfinite(whole);
            switch (type) {
            case VT_I2:
                if (!finite || whole < std::numeric_limits<SHORT>::min()
                    || whole > std::numeric_limits<SHORT>::max()) {
                    hr = DISP_E_OVERFLOW;
                } else {
                    output.iVal = static_cast<SHORT>(whole);
                }
                break;
            case VT_I4:
                if (!finite || whole < std::numeric_limits<LONG>::min()
                    || whole > std::numeric_limits<LONG>::max()) {
                    hr = DISP_E_OVERFLOW;
                } else {
                    output.lVal = static_cast<LONG>(whole);
                }
                break;
            case VT_R8:
                output.dblVal = number;
                break;
            case VT_BOOL:
                output.boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
                break;
            default:
                hr = DISP_E_BADVARTYPE;
            }
        }
    }
    VariantClear(&input);
    if (FAILED(hr)) {
        VariantClear(&output);
        return hr;
    }
    // The source was copied above, so clearing the destination is safe even
    // when it is the source.
    VariantClear(destination);
    *destination = output;
    return S_OK;
}

} // namespace quilvet::com

#endif
