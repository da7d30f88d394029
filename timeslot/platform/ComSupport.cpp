#include "ComSupport.h"

#include <QUuid>

namespace quilvet::com {

QString fromBstr(BSTR text)
{
    return text ? QString::fromUtf16(reinterpret_cast<const char16_t *>(text), SysStringLen(text))
                : QString();
}

QString fromOleText(LPCOLESTR text)
{
    return text ? QString::fromUtf16(reinterpret_cast<const char16_t *>(text)) : QString();
}

BSTR toBstr(const QString &text)
{
    return SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.utf16()), static_cast<UINT>(text.size()));
}

QString guidText(REFGUID guid)
{
    const QUuid uuid(guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
        guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return uuid.toString(QUuid::WithBraces).toUpper();
}

std::optional<GUID> guidFromText(const QString &text)
{
    const QUuid uuid = QUuid::fromString(text);
    if (uuid.isNull() && text.trimmed() != QLatin1String("{00000000-0000-0000-0000-000000000000}")) {
        return std::nullopt;
    }
    GUID guid {};
    guid.Data1 = uuid.data1;
    guid.Data2 = uuid.data2;
    guid.Data3 = uuid.data3;
    for (int i = 0; i < 8; ++i) {
        guid.Data4[i] = uuid.data4[i];
    }
    return guid;
}

QVariant toQVariant(const VARIANT &value)
{
    const VARIANT *v = &value;
    if (v->vt == (VT_BYREF | VT_VARIANT)) {
        v = v->pvarVal;
    }
    switch (v->vt) {
    case VT_EMPTY:
        return QVariant();
    case VT_BOOL:
        return QVariant(v->boolVal != VARIANT_FALSE);
    case VT_I2:
        return QVariant::fromValue<qint16>(v->iVal);
    case VT_I4:
        return QVariant::fromValue<qint32>(v->lVal);
    case VT_R8:
        return QVariant(v->dblVal);
    case VT_BSTR:
        return QVariant(fromBstr(v->bstrVal));
    default:
        // Carried as raw bytes, which no property conversion accepts.
        return QVariant(QByteArray("vartype:") + QByteArray::number(v->vt));
    }
}

void fromQVariant(const QVariant &value, VARIANT *result)
{
    VariantInit(result);
    if (!value.isValid()) {
        return;
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        result->vt = VT_BOOL;
        result->boolVal = value.toBool() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case QMetaType::Short:
        result->vt = VT_I2;
        result->iVal = static_cast<SHORT>(value.toInt());
        break;
    case QMetaType::Int:
        result->vt = VT_I4;
        result->lVal = value.toInt();
        break;
    case QMetaType::Double:
        result->vt = VT_R8;
        result->dblVal = value.toDouble();
        break;
    default:
        result->vt = VT_BSTR;
        result->bstrVal = toBstr(value.toString());
        break;
    }
}

HRESULT controlResult(qint32 number)
{
    if (number < 0) {
        return number;
    }
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<std::uint32_t>(number) & 0xFFFF);
}

} // namespace quilvet::com
