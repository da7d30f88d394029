#pragma once

#include "Registry.h"

#include <QList>

// What registering the Quilvet library writes, as the platform's runtime would
// write it for a control library, under HKEY_CURRENT_USER\Software\Classes:
//  Quilvet.clsQuilvet\CLSID                      the class id of the ProgID
//  CLSID\{class}                                 "Quilvet.clsQuilvet", with the subkeys
//    Control, Implemented Categories\{control category}, InprocServer32 (the
//    library as LibraryLocation::serverPath gives it, ThreadingModel "Apartment"), MiscStatus and
//    MiscStatus\1 (0x20191 = 131473), ProgID, ToolboxBitmap32 ("<library>, 30000" and, as this platform's
//    libraries carry no resources, the bitmap itself in "30000"), TypeLib, VERSION "13.0", and VersionInfo
//    (the version resource: numeric versions, and the strings of block 080404B0, language 0x0804, code page
//    1200)
//  TypeLib\{library}\13.0                        "Quilvet", with 0\linux (the path),
//    FLAGS "2" (a control library) and HELPDIR (the library's folder)
//  Interface\{_clsQuilvet}, Interface\{__clsQuilvet}   name, proxy-stub class, TypeLib
namespace quilvet::Registration {

struct Entry
{
    QString key;
    QString name; // empty: the key's default value
    quilvet::com::RegistryValue value;
};

// serverPath: the library as hosts load it; folder: where it lies.
QList<Entry> entries(const QString &serverPath, const QString &folder);
// The keys that unregistering removes, each with everything below it.
QStringList ownedKeys();

} // namespace quilvet::Registration
