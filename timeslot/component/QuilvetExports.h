#pragma once

#include "ComPlatform.h"

// The four entry points of the Quilvet component library, with C linkage.
//
// DllRegisterServer writes the registration of clsQuilvet and of its type
// library into the per-user registry (see Registry.h for where and how);
// registering again changes nothing more. DllUnregisterServer removes exactly
// those keys. DllGetClassObject hands out the class factory of clsQuilvet
// (CLASS_E_CLASSNOTAVAILABLE for any other class). DllCanUnloadNow answers S_OK
// only while no object or factory of the library lives and no lock is held.
STDAPI DllRegisterServer();
STDAPI DllUnregisterServer();
STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void **object);
STDAPI DllCanUnloadNow();
