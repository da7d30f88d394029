#include "TypeLibrary.h"

#include <QString>

#include <iconv.h>

namespace quilvet::TypeLibrary {

const PropertyInfo *findProperty(com::DISPID id)
{
    for (const PropertyInfo &property : Properties) {
        if (property.dispatchId == id) {
            return &property;
        }
    }
    return nullptr;
}

const PropertyInfo *findProperty(const QString &name)
{
    for (const PropertyInfo &property : Properties) {
        if (name.compare(QLatin1String(property.name), Qt::CaseInsensitive) == 0) {
            return &property;
        }
    }
    return nullptr;
}

const EventInfo *findEvent(const QString &name)
{
    for (const EventInfo &event : Events) {
        if (name.compare(QLatin1String(event.name), Qt::CaseInsensitive) == 0) {
            return &event;
        }
    }
    return nullptr;
}

const EventInfo *findEvent(com::DISPID id)
{
    for (const EventInfo &event : Events) {
        if (event.dispatchId == id) {
            return &event;
        }
    }
    return nullptr;
}

com::VARTYPE varType(PropertyType type)
{
    switch (type) {
    case PropertyType::Boolean:
        return com::VT_BOOL;
    case PropertyType::Int32:
        return com::VT_I4;
    case PropertyType::Text:
        break;
    }
    return com::VT_BSTR;
}

QByteArray codePage936(const char16_t *text)
{
    QByteArray utf8 = QString::fromUtf16(text).toUtf8();
    iconv_t converter = iconv_open("CP936", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return QByteArray();
    }
    QByteArray result(utf8.size() * 2 + 4, '\0');
    char *in = utf8.data();
    size_t inLeft = static_cast<size_t>(utf8.size());
    char *out = result.data();
    size_t outLeft = static_cast<size_t>(result.size());
    const size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (converted == static_cast<size_t>(-1)) {
        return QByteArray();
    }
    result.truncate(result.size() - static_cast<qsizetype>(outLeft));
    return result;
}

} // namespace quilvet::TypeLibrary
