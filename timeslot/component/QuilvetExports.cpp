#include "QuilvetExports.h"

#include "ClassFactory.h"
#include "ControlObject.h"
#include "LibraryLocation.h"
#include "QuilvetTypeLib.h"
#include "Registration.h"
#include "TypeLibrary.h"

#include <QFileInfo>

using namespace quilvet;

QUILVET_ENTRY_POINT DllRegisterServer()
{
    try {
        const QString loaded = LibraryLocation::loadedFile();
        quilvet::com::Registry registry;
        if (loaded.isEmpty() || !registry.load()) {
            return SELFREG_E_CLASS;
        }
        const QString server = LibraryLocation::serverPath(
            loaded, LibraryLocation::soname(), LibraryLocation::loaderFolders());
        for (const Registration::Entry &entry :
            Registration::entries(server, QFileInfo(loaded).absolutePath())) {
            // A path the registry file cannot hold (a line break) fails the registration.
            if (!registry.setValue(entry.key, entry.name, entry.value)) {
                return SELFREG_E_CLASS;
            }
        }
        return registry.save() ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

QUILVET_ENTRY_POINT DllUnregisterServer()
{
    try {
        quilvet::com::Registry registry;
        if (!registry.load()) {
            return SELFREG_E_CLASS;
        }
        for (const QString &key : Registration::ownedKeys()) {
            registry.removeKey(key);
        }
        return registry.save() ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

QUILVET_ENTRY_POINT DllGetClassObject(REFCLSID clsid, REFIID riid, void **object)
{
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualGUID(clsid, CLSID_clsQuilvet)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    try {
        return ClassFactory::create(riid, object);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

QUILVET_ENTRY_POINT DllCanUnloadNow()
{
    return liveObjects() == 0 ? S_OK : S_FALSE;
}

QUILVET_ENTRY_POINT DllGetTypeLib(ITypeLib **typeLib)
{
    if (!typeLib) {
        return E_POINTER;
    }
    *typeLib = QuilvetTypeLib::instance();
    return S_OK;
}
