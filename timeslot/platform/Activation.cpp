#include "ComSupport.h"
#include "Registry.h"

#include <QFileInfo>
#include <QLibrary>
#include <QRegularExpression>
#include <quilvet/Component.h>

#include <map>
#include <memory>

namespace quilvet::com {

namespace {

using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void **);
using RegisterFunction = HRESULT (*)();
using GetTypeLibFunction = HRESULT (*)(ITypeLib **);

QString classesKey(const QString &below)
{
    return QString::fromUtf16(Registry::ClassesRoot) + QLatin1Char('\\') + below;
}

// A registered library that is no longer where it was registered (an upgrade
// moved it, as from /usr/lib to the multiarch folder) is asked of the dynamic
// loader by its major-version name, libX.so.N, wherever the loader finds it.
QString pathToLoad(const QString &registered)
{
    const QFileInfo file(registered);
    if (file.exists() || !file.isAbsolute()) {
        return registered;
    }
    static const QRegularExpression versioned(QStringLiteral("^(.+\\.so\\.[0-9]+)(\\.[0-9]+)*$"));
    const QRegularExpressionMatch match = versioned.match(file.fileName());
    return match.hasMatch() ? match.captured(1) : registered;
}

// Loaded libraries stay loaded (see Activation.h); one QLibrary per path.
QLibrary *loadLibrary(const QString &path, QString *error)
{
    static std::map<QString, std::unique_ptr<QLibrary>> loaded;
    auto found = loaded.find(path);
    if (found != loaded.end()) {
        return found->second.get();
    }
    auto library = std::make_unique<QLibrary>(pathToLoad(path));
    library->setLoadHints(QLibrary::PreventUnloadHint);
    if (!library->load()) {
        if (error) {
            *error = library->errorString();
        }
        return nullptr;
    }
    return loaded.emplace(path, std::move(library)).first->second.get();
}

} // namespace

HRESULT classIdFromProgId(const QString &progId, CLSID *clsid)
{
    if (!clsid) {
        return E_POINTER;
    }
    Registry registry;
    if (!registry.load()) {
        return REGDB_E_CLASSNOTREG;
    }
    const auto guid = guidFromText(registry.stringValue(classesKey(progId + QStringLiteral("\\CLSID"))));
    if (!guid) {
        return REGDB_E_CLASSNOTREG;
    }
    *clsid = *guid;
    return S_OK;
}

QString inprocServerPath(REFCLSID clsid)
{
    Registry registry;
    if (!registry.load()) {
        return QString();
    }
    return registry.stringValue(
        classesKey(QStringLiteral("CLSID\\") + guidText(clsid) + QStringLiteral("\\InprocServer32")));
}

HRESULT getClassObject(REFCLSID clsid, REFIID riid, void **object)
{
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    const QString path = inprocServerPath(clsid);
    if (path.isEmpty()) {
        return REGDB_E_CLASSNOTREG;
    }
    QLibrary *library = loadLibrary(path, nullptr);
    if (!library) {
        return CO_E_DLLNOTFOUND;
    }
    const auto entry = reinterpret_cast<GetClassObjectFunction>(library->resolve("DllGetClassObject"));
    if (!entry) {
        return CO_E_ERRORINDLL;
    }
    return entry(clsid, riid, object);
}

HRESULT createInstance(REFCLSID clsid, IUnknown *outer, REFIID riid, void **object)
{
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    ComPtr<IClassFactory> factory;
    const HRESULT hr = getClassObject(clsid, IID_IClassFactory, factory.putVoid());
    if (FAILED(hr)) {
        return hr;
    }
    return factory->CreateInstance(outer, riid, object);
}

HRESULT loadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID, ITypeLib **typeLib)
{
    if (!typeLib) {
        return E_POINTER;
    }
    *typeLib = nullptr;
    Registry registry;
    if (!registry.load()) {
        return TYPE_E_LIBNOTREGISTERED;
    }
    const QString path = registry.stringValue(classesKey(
        QStringLiteral("TypeLib\\%1\\%2.%3\\0\\linux").arg(guidText(libid)).arg(major).arg(minor)));
    if (path.isEmpty()) {
        return TYPE_E_LIBNOTREGISTERED;
    }
    QLibrary *library = loadLibrary(path, nullptr);
    if (!library) {
        return CO_E_DLLNOTFOUND;
    }
    const auto entry = reinterpret_cast<GetTypeLibFunction>(library->resolve("DllGetTypeLib"));
    if (!entry) {
        return CO_E_ERRORINDLL;
    }
    return entry(typeLib);
}

HRESULT registerServer(const QString &libraryPath, bool unregister, QString *error)
{
    QLibrary *library = loadLibrary(libraryPath, error);
    if (!library) {
        return CO_E_DLLNOTFOUND;
    }
    const char *name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const auto entry = reinterpret_cast<RegisterFunction>(library->resolve(name));
    if (!entry) {
        if (error) {
            *error = QStringLiteral("%1 has no %2").arg(libraryPath, QString::fromLatin1(name));
        }
        return CO_E_ERRORINDLL;
    }
    return entry();
}

} // namespace quilvet::com
