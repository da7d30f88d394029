#pragma once

#include "ComPlatform.h"

#include <QString>

// Creation of registered components on platforms without a component runtime:
// the class is looked up in the per-user registry (Registry.h), its library is
// loaded from the path under InprocServer32, and the library's exported
// DllGetClassObject hands out the class factory. Libraries stay loaded for the
// life of the process: a library that registered Qt widget classes cannot be
// unmapped safely, so DllCanUnloadNow is answered but never acted on.
namespace complatform {

// The class id registered for a programmatic identifier such as "Quilvet.clsQuilvet".
HRESULT classIdFromProgId(const QString &progId, CLSID *clsid);
// The library registered for a class, or an empty text.
QString inprocServerPath(REFCLSID clsid);

HRESULT getClassObject(REFCLSID clsid, REFIID riid, void **object);
HRESULT createInstance(REFCLSID clsid, IUnknown *outer, REFIID riid, void **object);

// Loads a component library and calls its DllRegisterServer (or
// DllUnregisterServer), as the platform's registration tool does.
HRESULT registerServer(const QString &libraryPath, bool unregister = false, QString *error = nullptr);

} // namespace complatform
