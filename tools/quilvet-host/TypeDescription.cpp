#include "TypeDescription.h"

#include "ComSupport.h"
#include "Registry.h"

using namespace quilvet::com;

namespace {

QString typeName(VARTYPE type)
{
    switch (type) {
    case VT_BOOL:
        return QStringLiteral("Boolean");
    case VT_I4:
        return QStringLiteral("32-bit integer");
    case VT_BSTR:
        return QStringLiteral("text");
    default:
        return QStringLiteral("type %1").arg(type);
    }
}

QString takeText(BSTR text)
{
    const QString result = fromBstr(text);
    SysFreeString(text);
    return result;
}

void readDocumentation(ITypeInfo *type, MEMBERID id, QString *name, QString *help)
{
    BSTR nameText = nullptr;
    BSTR helpText = nullptr;
    if (SUCCEEDED(type->GetDocumentation(id, &nameText, &helpText, nullptr, nullptr))) {
        *name = takeText(nameText);
        if (help) {
            *help = takeText(helpText);
        } else {
            SysFreeString(helpText);
        }
    }
}

// The members of a dispatch interface, in the order of its functions; a put
// of a property already listed marks it as writable.
QList<TypeDescription::Member> membersOf(ITypeInfo *type)
{
    QList<TypeDescription::Member> members;
    TYPEATTR *attributes = nullptr;
    if (FAILED(type->GetTypeAttr(&attributes))) {
        return members;
    }
    const WORD count = attributes->cFuncs;
    type->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC *function = nullptr;
        if (FAILED(type->GetFuncDesc(i, &function))) {
            continue;
        }
        auto found = std::find_if(members.begin(), members.end(),
            [&](const TypeDescription::Member &member) { return member.id == function->memid; });
        if (found == members.end()) {
            TypeDescription::Member member;
            member.id = function->memid;
            readDocumentation(type, function->memid, &member.name, &member.helpString);
            members.append(member);
            found = members.end() - 1;
        }
        if (function->invkind == INVOKE_PROPERTYGET) {
            found->hasGet = true;
            found->type = function->elemdescFunc.tdesc.vt;
        } else if (function->invkind == INVOKE_PROPERTYPUT) {
            found->hasPut = true;
            if (function->cParams == 1) {
                found->type = function->lprgelemdescParam[0].tdesc.vt;
            }
        }
        type->ReleaseFuncDesc(function);
    }
    return members;
}

} // namespace

bool TypeDescription::read(IUnknown *object, TypeDescription *description, QString *error)
{
    const auto fail = [&](const QString &message) {
        if (error) {
            *error = message;
        }
        return false;
    };
    ComPtr<IProvideClassInfo> provider;
    if (FAILED(object->QueryInterface(IID_IProvideClassInfo, provider.putVoid()))) {
        return fail(QStringLiteral("the object offers no class information"));
    }
    ComPtr<ITypeInfo> classInfo;
    if (FAILED(provider->GetClassInfo(classInfo.put()))) {
        return fail(QStringLiteral("the object gives no type information for its class"));
    }
    return readClass(classInfo.get(), description, error);
}

bool TypeDescription::readRegistered(const QString &progId, TypeDescription *description, QString *error)
{
    const auto fail = [&](const QString &message) {
        if (error) {
            *error = message;
        }
        return false;
    };
    CLSID clsid {};
    if (FAILED(classIdFromProgId(progId, &clsid))) {
        return fail(progId + QStringLiteral(" is not registered"));
    }
    Registry registry;
    registry.load();
    const QString classKey
        = QString::fromUtf16(Registry::ClassesRoot) + QStringLiteral("\\CLSID\\") + guidText(clsid);
    const std::optional<GUID> libid
        = guidFromText(registry.stringValue(classKey + QStringLiteral("\\TypeLib")));
    const QStringList version
        = registry.stringValue(classKey + QStringLiteral("\\VERSION")).split(QLatin1Char('.'));
    if (!libid || version.size() != 2) {
        return fail(progId + QStringLiteral(" names no type library"));
    }
    ComPtr<ITypeLib> library;
    const HRESULT hr = loadRegTypeLib(
        *libid, WORD(version.at(0).toUShort()), WORD(version.at(1).toUShort()), 0x0409, library.put());
    if (FAILED(hr)) {
        return fail(QStringLiteral("the type library of %1 cannot be loaded (0x%2)")
                        .arg(progId)
                        .arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0')));
    }
    ComPtr<ITypeInfo> classInfo;
    if (FAILED(library->GetTypeInfoOfGuid(clsid, classInfo.put()))) {
        return fail(QStringLiteral("the type library does not describe ") + progId);
    }
    return readClass(classInfo.get(), description, error);
}

bool TypeDescription::readClass(ITypeInfo *classInfo, TypeDescription *description, QString *error)
{
    const auto fail = [&](const QString &message) {
        if (error) {
            *error = message;
        }
        return false;
    };
    TYPEATTR *attributes = nullptr;
    if (FAILED(classInfo->GetTypeAttr(&attributes))) {
        return fail(QStringLiteral("the class's type information has no attributes"));
    }
    description->classId = guidText(attributes->guid);
    const WORD interfaces = attributes->cImplTypes;
    classInfo->ReleaseTypeAttr(attributes);
    readDocumentation(classInfo, MEMBERID_NIL, &description->className, nullptr);

    ComPtr<ITypeLib> library;
    UINT index = 0;
    if (SUCCEEDED(classInfo->GetContainingTypeLib(library.put(), &index))) {
        BSTR name = nullptr;
        BSTR help = nullptr;
        library->GetDocumentation(-1, &name, &help, nullptr, nullptr);
        description->libraryName = takeText(name);
        description->libraryHelp = takeText(help);
        TLIBATTR *libraryAttributes = nullptr;
        if (SUCCEEDED(library->GetLibAttr(&libraryAttributes))) {
            description->majorVersion = libraryAttributes->wMajorVerNum;
            description->minorVersion = libraryAttributes->wMinorVerNum;
            library->ReleaseTLibAttr(libraryAttributes);
        }
    }

    for (UINT i = 0; i < interfaces; ++i) {
        int flags = 0;
        HREFTYPE reference = 0;
        ComPtr<ITypeInfo> interfaceInfo;
        if (FAILED(classInfo->GetImplTypeFlags(i, &flags))
            || FAILED(classInfo->GetRefTypeOfImplType(i, &reference))
            || FAILED(classInfo->GetRefTypeInfo(reference, interfaceInfo.put()))
            || !(flags & IMPLTYPEFLAG_FDEFAULT)) {
            continue;
        }
        TYPEATTR *interfaceAttributes = nullptr;
        if (FAILED(interfaceInfo->GetTypeAttr(&interfaceAttributes))) {
            continue;
        }
        const GUID iid = interfaceAttributes->guid;
        interfaceInfo->ReleaseTypeAttr(interfaceAttributes);
        QString name;
        readDocumentation(interfaceInfo.get(), MEMBERID_NIL, &name, nullptr);
        if (flags & IMPLTYPEFLAG_FSOURCE) {
            description->eventInterface = name;
            description->eventInterfaceId = iid;
            description->events = membersOf(interfaceInfo.get());
        } else {
            description->defaultInterface = name;
            description->defaultInterfaceId = guidText(iid);
            description->properties = membersOf(interfaceInfo.get());
        }
    }
    if (description->defaultInterface.isEmpty()) {
        return fail(QStringLiteral("the class names no default interface"));
    }
    return true;
}

QString TypeDescription::text() const
{
    QString out;
    out += QStringLiteral("%1 %2, type library %3 %4.%5 \"%6\"\n")
               .arg(className, classId, libraryName)
               .arg(majorVersion)
               .arg(minorVersion)
               .arg(libraryHelp);
    out += QStringLiteral("\nProperties of %1 %2:\n").arg(defaultInterface, defaultInterfaceId);
    out += QStringLiteral("slot  name         dispatch id  type            access   help string\n");
    int slot = 0;
    for (const Member &property : properties) {
        const QString access = QStringLiteral("%1%2").arg(property.hasGet ? QStringLiteral("get") : QString(),
            property.hasPut ? QStringLiteral(" put") : QString());
        out += QStringLiteral("%1  %2 0x%3   %4 %5 %6\n")
                   .arg(++slot, 4)
                   .arg(property.name, -12)
                   .arg(QStringLiteral("%1")
                            .arg(static_cast<quint32>(property.id), 8, 16, QLatin1Char('0'))
                            .toUpper())
                   .arg(typeName(property.type), -15)
                   .arg(access.trimmed(), -8)
                   .arg(property.helpString);
    }
    out += QStringLiteral("\nEvents of %1 %2:\n").arg(eventInterface, guidText(eventInterfaceId));
    out += QStringLiteral("name    dispatch id  help string\n");
    for (const Member &event : events) {
        out += QStringLiteral("%1 %2  %3\n").arg(event.name, -7).arg(event.id, 11).arg(event.helpString);
    }
    return out;
}
