#pragma once

#include "ComponentTypes.h"
#include "PropertyTable.h"
#include "QuilvetInternal.h"

#include <QByteArray>
#include <QString>

// What the type library says of the Quilvet library beyond the property and
// event tables: the library's own attributes, the names of the class and its
// two interfaces, and lookups by dispatch id and by name.
namespace quilvet::TypeLibrary {

struct Library
{
    const char16_t *name;
    quint16 majorVersion;
    quint16 minorVersion;
    quint32 locale;
    const char16_t *helpString;
    quint16 flags; // LIBFLAG_FCONTROL: a control library
};

inline constexpr Library TheLibrary { u"Quilvet", 13, 0, 0x0409, u"Quilvet", com::LIBFLAG_FCONTROL };
inline constexpr char16_t ClassName[] = u"clsQuilvet";
inline constexpr char16_t DefaultInterfaceName[] = u"_clsQuilvet";
inline constexpr char16_t EventInterfaceName[] = u"__clsQuilvet";

QUILVET_INTERNAL const PropertyInfo *findProperty(com::DISPID id);
// Names compare without regard to case, as dispatch names do.
QUILVET_INTERNAL const PropertyInfo *findProperty(const QString &name);
QUILVET_INTERNAL const EventInfo *findEvent(const QString &name);
QUILVET_INTERNAL const EventInfo *findEvent(com::DISPID id);

// The variant type a property is exchanged as: VT_BOOL, VT_I4 or VT_BSTR.
QUILVET_INTERNAL com::VARTYPE varType(PropertyType type);

// A help string as the type library stores it: in code page 936.
QUILVET_INTERNAL QByteArray codePage936(const char16_t *text);

} // namespace quilvet::TypeLibrary
