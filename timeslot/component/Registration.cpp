#include "Registration.h"

#include "ComSupport.h"
#include "TypeLibrary.h"

#include <QFile>

using quilvet::com::RegistryValue;

namespace quilvet::Registration {

namespace {

QString classes(const QString &below)
{
    return QString::fromUtf16(quilvet::com::Registry::ClassesRoot) + QLatin1Char('\\') + below;
}

QString classKey()
{
    return classes(QStringLiteral("CLSID\\") + quilvet::com::guidText(CLSID_clsQuilvet));
}

QString typeLibKey()
{
    const auto &library = TypeLibrary::TheLibrary;
    return classes(QStringLiteral("TypeLib\\%1\\%2.%3")
                       .arg(quilvet::com::guidText(LIBID_Quilvet))
                       .arg(library.majorVersion)
                       .arg(library.minorVersion));
}

QString interfaceKey(const GUID &iid)
{
    return classes(QStringLiteral("Interface\\") + quilvet::com::guidText(iid));
}

QString typeLibVersion()
{
    const auto &library = TypeLibrary::TheLibrary;
    return QStringLiteral("%1.%2").arg(library.majorVersion).arg(library.minorVersion);
}

QByteArray toolboxBitmap()
{
    QFile file(QStringLiteral(":/quilvet/30000.bmp"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr quint32 MiscStatus = 0x20191;
// The component category of controls.
const QString ControlCategory = QStringLiteral("{40FC6ED4-2438-11CF-A3DB-080036F12502}");
// The platform's proxy-stub class for automation interfaces.
const QString AutomationProxyStub = QStringLiteral("{00020424-0000-0000-C000-000000000046}");

} // namespace

QList<Entry> entries(const QString &libraryPath, const QString &folder)
{
    const QString progId = QString::fromUtf16(ProgId_clsQuilvet);
    const QString clsid = quilvet::com::guidText(CLSID_clsQuilvet);
    const QString libid = quilvet::com::guidText(LIBID_Quilvet);
    const QString cls = classKey();
    const QString versionBlock = cls + QStringLiteral("\\VersionInfo\\080404B0");
    const auto text = [](const QString &value) { return RegistryValue::string(value); };

    QList<Entry> list {
        { classes(progId), {}, text(progId) },
        { classes(progId + QStringLiteral("\\CLSID")), {}, text(clsid) },
        { cls, {}, text(progId) },
        { cls + QStringLiteral("\\Control"), {}, text(QString()) },
        { cls + QStringLiteral("\\Implemented Categories\\") + ControlCategory, {}, text(QString()) },
        { cls + QStringLiteral("\\InprocServer32"), {}, text(libraryPath) },
        { cls + QStringLiteral("\\InprocServer32"), QStringLiteral("ThreadingModel"),
            text(QStringLiteral("Apartment")) },
        { cls + QStringLiteral("\\MiscStatus"), {}, text(QStringLiteral("0")) },
        { cls + QStringLiteral("\\MiscStatus\\1"), {}, text(QString::number(MiscStatus)) },
        { cls + QStringLiteral("\\ProgID"), {}, text(progId) },
        { cls + QStringLiteral("\\ToolboxBitmap32"), {}, text(libraryPath + QStringLiteral(", 30000")) },
        { cls + QStringLiteral("\\ToolboxBitmap32"), QStringLiteral("30000"),
            RegistryValue::binary(toolboxBitmap()) },
        { cls + QStringLiteral("\\TypeLib"), {}, text(libid) },
        { cls + QStringLiteral("\\VERSION"), {}, text(typeLibVersion()) },
        { cls + QStringLiteral("\\VersionInfo"), QStringLiteral("FileVersion"),
            text(QStringLiteral("1.0.0.0")) },
        { cls + QStringLiteral("\\VersionInfo"), QStringLiteral("ProductVersion"),
            text(QStringLiteral("1.0.0.0")) },
        { cls + QStringLiteral("\\VersionInfo"), QStringLiteral("Translation"),
            RegistryValue::dword(0x080404B0) },
        { versionBlock, QStringLiteral("ProductName"), text(QStringLiteral("Quilvet")) },
        { versionBlock, QStringLiteral("InternalName"), text(QStringLiteral("Quilvet")) },
        { versionBlock, QStringLiteral("OriginalFilename"), text(QStringLiteral("Quilvet.ocx")) },
        { versionBlock, QStringLiteral("FileVersion"), text(QStringLiteral("1.00")) },
        { versionBlock, QStringLiteral("ProductVersion"), text(QStringLiteral("1.00")) },
        { versionBlock, QStringLiteral("OLESelfRegister"), text(QString()) },
        { typeLibKey(), {}, text(QString::fromUtf16(TypeLibrary::TheLibrary.helpString)) },
        { typeLibKey() + QStringLiteral("\\0\\linux"), {}, text(libraryPath) },
        { typeLibKey() + QStringLiteral("\\FLAGS"), {},
            text(QString::number(TypeLibrary::TheLibrary.flags)) },
        { typeLibKey() + QStringLiteral("\\HELPDIR"), {}, text(folder) },
    };
    const std::pair<const GUID *, const char16_t *> interfaces[] = {
        { &IID__clsQuilvet, TypeLibrary::DefaultInterfaceName },
        { &DIID___clsQuilvet, TypeLibrary::EventInterfaceName },
    };
    for (const auto &[iid, name] : interfaces) {
        const QString key = interfaceKey(*iid);
        list.append({ key, {}, text(QString::fromUtf16(name)) });
        list.append({ key + QStringLiteral("\\ProxyStubClsid"), {}, text(AutomationProxyStub) });
        list.append({ key + QStringLiteral("\\ProxyStubClsid32"), {}, text(AutomationProxyStub) });
        list.append({ key + QStringLiteral("\\TypeLib"), {}, text(libid) });
        list.append({ key + QStringLiteral("\\TypeLib"), QStringLiteral("Version"), text(typeLibVersion()) });
    }
    return list;
}

QStringList ownedKeys()
{
    return { classes(QString::fromUtf16(ProgId_clsQuilvet)), classKey(), typeLibKey(),
        interfaceKey(IID__clsQuilvet), interfaceKey(DIID___clsQuilvet) };
}

} // namespace quilvet::Registration
