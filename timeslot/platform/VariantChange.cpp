// VariantChangeType for platforms without a component runtime: the platform's
// conversion rules for the locale 0x0409 (US English).

#include "HalfEven.h"

#include <quilvet/Component.h>

#if !defined(_WIN32)

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QString>
#include <QTime>

#include <cmath>
#include <cstring>
#include <limits>
#include <locale.h>

namespace quilvet::com {

namespace {

__extension__ using UInt128 = unsigned __int128;

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

UInt128 mantissaOf(const VARIANT &value)
{
    DECIMAL decimal;
    std::memcpy(&decimal, &value, sizeof decimal);
    return (UInt128(decimal.Hi32) << 64) | decimal.Lo64;
}

DECIMAL decimalOf(const VARIANT &value)
{
    DECIMAL decimal;
    std::memcpy(&decimal, &value, sizeof decimal);
    return decimal;
}

UInt128 powerOfTen(int exponent)
{
    UInt128 power = 1;
    while (exponent-- > 0) {
        power *= 10;
    }
    return power;
}

// The quotient rounded to the nearest whole number, halves to the even one.
UInt128 dividedHalfEven(UInt128 value, UInt128 divisor)
{
    UInt128 quotient = value / divisor;
    const UInt128 remainder = value % divisor;
    if (2 * remainder > divisor || (2 * remainder == divisor && (quotient & 1) != 0)) {
        ++quotient;
    }
    return quotient;
}

// The bytes a VT_BYREF variant of the type points to; 0 for types not converted.
std::size_t referencedSize(VARTYPE type)
{
    switch (type) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
        return 8;
    default:
        return 0;
    }
}

// The variant by value: a VT_BYREF source is followed (a text stays the source's).
HRESULT plainOf(const VARIANT &source, VARIANT *plain)
{
    if (!(source.vt & VT_BYREF)) {
        *plain = source;
        return S_OK;
    }
    const auto type = static_cast<VARTYPE>(source.vt & ~VT_BYREF);
    if (!source.byref) {
        return E_INVALIDARG;
    }
    if (type == VT_VARIANT) {
        return source.pvarVal->vt & VT_BYREF ? DISP_E_BADVARTYPE : plainOf(*source.pvarVal, plain);
    }
    VariantInit(plain);
    if (type == VT_DECIMAL) {
        std::memcpy(plain, source.pdecVal, sizeof(DECIMAL));
    } else if (const std::size_t size = referencedSize(type)) {
        std::memcpy(&plain->llVal, source.byref, size);
    } else {
        return DISP_E_BADVARTYPE;
    }
    plain->vt = type;
    return S_OK;
}

// The variant as a double; texts read as numbers or as True and False.
HRESULT numberOf(const VARIANT &value, double *number)
{
    switch (value.vt) {
    case VT_EMPTY:
        *number = 0;
        return S_OK;
    case VT_I1:
        *number = static_cast<signed char>(value.cVal);
        return S_OK;
    case VT_UI1:
        *number = value.bVal;
        return S_OK;
    case VT_I2:
        *number = value.iVal;
        return S_OK;
    case VT_UI2:
        *number = value.uiVal;
        return S_OK;
    case VT_I4:
        *number = value.lVal;
        return S_OK;
    case VT_UI4:
        *number = value.ulVal;
        return S_OK;
    case VT_INT:
        *number = value.intVal;
        return S_OK;
    case VT_UINT:
        *number = value.uintVal;
        return S_OK;
    case VT_I8:
        *number = static_cast<double>(value.llVal);
        return S_OK;
    case VT_UI8:
        *number = static_cast<double>(value.ullVal);
        return S_OK;
    case VT_R4:
        *number = value.fltVal;
        return S_OK;
    case VT_R8:
        *number = value.dblVal;
        return S_OK;
    case VT_DATE:
        *number = value.date;
        return S_OK;
    case VT_CY:
        *number = static_cast<double>(value.cyVal.int64) / 10000.0;
        return S_OK;
    case VT_DECIMAL: {
        const DECIMAL decimal = decimalOf(value);
        const long double magnitude = static_cast<long double>(mantissaOf(value))
            / static_cast<long double>(powerOfTen(decimal.scale));
        *number = static_cast<double>(decimal.sign & DECIMAL_NEG ? -magnitude : magnitude);
        return S_OK;
    }
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

// A signed magnitude as a whole number; overflow beyond 64 bits.
HRESULT signedWhole(UInt128 magnitude, bool negative, LONGLONG *whole)
{
    const auto limit = static_cast<UInt128>(std::numeric_limits<LONGLONG>::max()) + (negative ? 1 : 0);
    if (magnitude > limit) {
        return DISP_E_OVERFLOW;
    }
    *whole = negative ? static_cast<LONGLONG>(0 - static_cast<ULONGLONG>(magnitude))
                      : static_cast<LONGLONG>(magnitude);
    return S_OK;
}

// The variant rounded to a whole number, halves to the even neighbour (whatever
// rounding mode the caller's floating-point environment is in). Integers,
// currency and decimals round exactly.
HRESULT wholeOf(const VARIANT &value, LONGLONG *whole)
{
    switch (value.vt) {
    case VT_UI8:
        return signedWhole(value.ullVal, false, whole);
    case VT_I8:
        *whole = value.llVal;
        return S_OK;
    case VT_CY: {
        const bool negative = value.cyVal.int64 < 0;
        const auto magnitude
            = negative ? UInt128(0 - static_cast<ULONGLONG>(value.cyVal.int64)) : UInt128(value.cyVal.int64);
        return signedWhole(dividedHalfEven(magnitude, 10000), negative, whole);
    }
    case VT_DECIMAL: {
        const DECIMAL decimal = decimalOf(value);
        if (decimal.scale > 28) {
            return DISP_E_OVERFLOW;
        }
        return signedWhole(dividedHalfEven(mantissaOf(value), powerOfTen(decimal.scale)),
            (decimal.sign & DECIMAL_NEG) != 0, whole);
    }
    default:
        break;
    }
    double number = 0;
    if (const HRESULT hr = numberOf(value, &number); FAILED(hr)) {
        return hr;
    }
    const double rounded = roundHalfEven(number);
    // Not a number fits no integer; converting it would be undefined.
    if (!std::isfinite(rounded) || rounded < -0x1p63 || rounded >= 0x1p63) {
        return DISP_E_OVERFLOW;
    }
    *whole = static_cast<LONGLONG>(rounded);
    return S_OK;
}

// The digits of magnitude / 10^scale, without trailing zeros after the point.
QString decimalText(UInt128 magnitude, int scale, bool negative)
{
    QString digits;
    do {
        digits.prepend(QChar(u'0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (digits.size() <= scale) {
        digits = QString(scale + 1 - digits.size(), u'0') + digits;
    }
    if (scale > 0) {
        digits.insert(digits.size() - scale, u'.');
        while (digits.endsWith(u'0')) {
            digits.chop(1);
        }
        if (digits.endsWith(u'.')) {
            digits.chop(1);
        }
    }
    return negative && digits != QStringLiteral("0") ? QLatin1Char('-') + digits : digits;
}

// A date as the platform writes it for 0x0409: "M/d/yyyy h:mm:ss AM", without
// the date on day 0 and without the time at midnight.
HRESULT dateText(DATE date, QString *text)
{
    if (!std::isfinite(date) || date < -657434.0 || date >= 2958466.0) {
        return DISP_E_OVERFLOW;
    }
    const double days = std::trunc(date);
    auto seconds = static_cast<int>(std::round(std::fabs(date - days) * 86400.0));
    QDate day = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
    if (seconds == 86400) {
        seconds = 0;
        day = day.addDays(date < 0 ? -1 : 1);
    }
    const QLocale c = QLocale::c();
    const QString time = c.toString(QTime(0, 0).addSecs(seconds), QStringLiteral("h:mm:ss AP"));
    const QString calendar = c.toString(day, QStringLiteral("M/d/yyyy"));
    *text = days == 0 ? time : seconds == 0 ? calendar : calendar + QLatin1Char(' ') + time;
    return S_OK;
}

HRESULT textFor(const VARIANT &value, QString *text)
{
    switch (value.vt) {
    case VT_EMPTY:
        return S_OK;
    case VT_R4:
        *text = QString::number(value.fltVal, 'g', 7);
        return S_OK;
    case VT_R8:
        *text = QString::number(value.dblVal, 'g', 15);
        return S_OK;
    case VT_DATE:
        return dateText(value.date, text);
    case VT_CY: {
        const bool negative = value.cyVal.int64 < 0;
        *text = decimalText(
            negative ? UInt128(0 - static_cast<ULONGLONG>(value.cyVal.int64)) : UInt128(value.cyVal.int64), 4,
            negative);
        return S_OK;
    }
    case VT_DECIMAL: {
        const DECIMAL decimal = decimalOf(value);
        *text = decimalText(mantissaOf(value), decimal.scale, (decimal.sign & DECIMAL_NEG) != 0);
        return S_OK;
    }
    case VT_BOOL:
        *text = value.boolVal ? QStringLiteral("True") : QStringLiteral("False");
        return S_OK;
    case VT_UI8:
        *text = QString::number(value.ullVal);
        return S_OK;
    default: {
        LONGLONG whole = 0;
        const HRESULT hr = referencedSize(value.vt) > 0 && value.vt != VT_BSTR ? wholeOf(value, &whole)
                                                                               : DISP_E_BADVARTYPE;
        *text = QString::number(whole);
        return hr;
    }
    }
}

HRESULT convert(const VARIANT &value, VARTYPE type, VARIANT *output)
{
    output->vt = type;
    switch (type) {
    case VT_BSTR: {
        QString text;
        const HRESULT hr = textFor(value, &text);
        output->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.utf16()), text.size());
        return hr;
    }
    case VT_EMPTY:
        return S_OK;
    case VT_I2:
    case VT_I4: {
        LONGLONG whole = 0;
        const HRESULT hr = wholeOf(value, &whole);
        const bool fits = type == VT_I2
            ? whole >= std::numeric_limits<SHORT>::min() && whole <= std::numeric_limits<SHORT>::max()
            : whole >= std::numeric_limits<LONG>::min() && whole <= std::numeric_limits<LONG>::max();
        if (FAILED(hr) || !fits) {
            return FAILED(hr) ? hr : DISP_E_OVERFLOW;
        }
        if (type == VT_I2) {
            output->iVal = static_cast<SHORT>(whole);
        } else {
            output->lVal = static_cast<LONG>(whole);
        }
        return S_OK;
    }
    case VT_R8:
        return numberOf(value, &output->dblVal);
    case VT_BOOL: {
        double number = 0;
        const HRESULT hr = numberOf(value, &number);
        output->boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return hr;
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
    VARIANT value;
    HRESULT hr = plainOf(*source, &value);
    if (FAILED(hr)) {
        return hr;
    }
    VARIANT output;
    VariantInit(&output);
    hr = type == value.vt ? VariantCopy(&output, &value) : convert(value, type, &output);
    if (FAILED(hr)) {
        VariantClear(&output);
        return hr;
    }
    // The output owns its text, so clearing the destination is safe even when
    // it is the source.
    VariantClear(destination);
    *destination = output;
    return S_OK;
}

} // namespace quilvet::com

#endif
