#pragma once

#include "ComPlatform.h"
#include "quilvet_export.h"

#include <QByteArray>
#include <QString>

#include <span>

// The type information of the Quilvet library as one table: the library, the
// control class, its default and event interfaces, the twenty properties in
// slot order with their dispatch ids, types and help strings, and the events.
// The four GUIDs are fixed for good: registered hosts find the control by them.
namespace quilvet::TypeLibrary {

QUILVET_EXPORT extern const GUID LIBID_Quilvet;
QUILVET_EXPORT extern const GUID CLSID_clsQuilvet;
QUILVET_EXPORT extern const GUID IID__clsQuilvet;
QUILVET_EXPORT extern const GUID DIID___clsQuilvet;

struct Library
{
    const char16_t *name;
    quint16 majorVersion;
    quint16 minorVersion;
    quint32 locale;
    const char16_t *helpString;
    quint32 flags; // LIBFLAG_FCONTROL: a control library
};

struct Property
{
    int slot; // 1-based, the order of the interface's table of functions
    const char *name;
    DISPID id;
    VARTYPE type; // VT_BOOL, VT_I4 or VT_BSTR
    const char16_t *helpString;
};

struct Event
{
    const char *name;
    DISPID id;
    const char16_t *helpString;
};

inline constexpr char16_t ClassName[] = u"clsQuilvet";
inline constexpr char16_t DefaultInterfaceName[] = u"_clsQuilvet";
inline constexpr char16_t EventInterfaceName[] = u"__clsQuilvet";
inline constexpr char16_t ProgId[] = u"Quilvet.clsQuilvet";

QUILVET_EXPORT const Library &library();
QUILVET_EXPORT std::span<const Property> properties();
QUILVET_EXPORT std::span<const Event> events();
QUILVET_EXPORT const Property *findProperty(DISPID id);
// Names compare without regard to case, as dispatch names do.
QUILVET_EXPORT const Property *findProperty(const QString &name);
QUILVET_EXPORT const Event *findEvent(const QString &name);

// A help string as the type library stores it: in code page 936.
QUILVET_EXPORT QByteArray codePage936(const char16_t *text);

} // namespace quilvet::TypeLibrary
