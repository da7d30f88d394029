#pragma once

#include "ComponentTypes.h"

// An exported entry point with C linkage, as the runtime looks it up by name.
#define QUILVET_ENTRY_POINT extern "C" QUILVET_EXPORT quilvet::com::HRESULT

// The four entry points of the Quilvet component library, with C linkage.
//
// DllRegisterServer writes the registration of clsQuilvet and of its type
// library into the per-user registry (see Registry.h for where and how);
// registering again changes nothing more. DllUnregisterServer removes exactly
// those keys. DllGetClassObject hands out the class factory of clsQuilvet
// (CLASS_E_CLASSNOTAVAILABLE for any other class). DllCanUnloadNow answers S_OK
// only while no object or factory of the library lives and no lock is held.
QUILVET_ENTRY_POINT DllRegisterServer();
QUILVET_ENTRY_POINT DllUnregisterServer();
QUILVET_ENTRY_POINT DllGetClassObject(quilvet::com::REFCLSID clsid, quilvet::com::REFIID riid, void **object);
QUILVET_ENTRY_POINT DllCanUnloadNow();
// The type library of the library, where the registration's TypeLib key points;
// it lives as long as the library.
QUILVET_ENTRY_POINT DllGetTypeLib(quilvet::com::ITypeLib **typeLib);
