#include "ControlObject.h"

#include "ComSupport.h"
#include "ControlPersistence.h"
#include "Enumerators.h"
#include "ExceptionInfo.h"
#include "QuilvetError.h"
#include "QuilvetTypeLib.h"
#include "TypeLibrary.h"
#include "clsQuilvet.h"

#include <QApplication>
#include <QMetaProperty>

using namespace quilvet::com;

namespace quilvet {

namespace {

std::atomic<long> g_objects { 0 };
// Notices being delivered from inside a control's signals on this thread.
thread_local int t_delivering = 0;
std::atomic<long> g_locks { 0 };

QMetaProperty metaPropertyOf(const QObject *control, const PropertyInfo &property)
{
    const QMetaObject *meta = control->metaObject();
    return meta->property(meta->indexOfProperty(property.name));
}

} // namespace

long liveObjects()
{
    return g_objects + g_locks;
}

void objectCreated()
{
    ++g_objects;
}

void objectDestroyed()
{
    --g_objects;
}

void serverLocked(bool lock)
{
    if (lock) {
        ++g_locks;
    } else {
        --g_locks;
    }
}

ControlObject::ControlObject()
    : m_control(new clsQuilvet)
    , m_events(this, DIID___clsQuilvet, IID_IDispatch)
    , m_propertyNotify(this, IID_IPropertyNotifySink, IID_NULL)
    , m_dual(this)
{
    objectCreated();
    QObject::connect(
        m_control, &clsQuilvet::Change, m_control, [this] { fireEvent(Events[ChangeEvent].dispatchId); });
    QObject::connect(
        m_control, &clsQuilvet::Scroll, m_control, [this] { fireEvent(Events[ScrollEvent].dispatchId); });
    QObject::connect(m_control, &clsQuilvet::PropertyChanged, m_control,
        [this](const QString &name) { notifyChanged(name); });
}

ControlObject::~ControlObject()
{
    m_events.releaseAll();
    m_propertyNotify.releaseAll();
    if (m_control) {
        QObject::disconnect(m_control, nullptr, m_control, nullptr);
        if (t_delivering > 0) {
            // Released from inside one of the control's own signals: the widget
            // must outlive that emission.
            m_control->hide();
            m_control->setParent(nullptr);
            m_control->deleteLater();
        } else {
            delete m_control.data();
        }
    }
    objectDestroyed();
}

HRESULT ControlObject::create(REFIID riid, void **object)
{
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        return E_UNEXPECTED;
    }
    ControlObject *created = nullptr;
    try {
        created = new ControlObject();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = created->QueryInterface(riid, object);
    created->Release();
    return hr;
}

void *ControlObject::interfaceFor(REFIID riid)
{
    if (IsEqualGUID(riid, IID_IDispatch)) {
        return static_cast<IDispatch *>(this);
    }
    if (IsEqualGUID(riid, IID__clsQuilvet)) {
        return m_dual.asInterface();
    }
    if (IsEqualGUID(riid, IID_IProvideClassInfo) || IsEqualGUID(riid, IID_IProvideClassInfo2)) {
        return static_cast<IProvideClassInfo2 *>(this);
    }
    if (IsEqualGUID(riid, IID_IConnectionPointContainer)) {
        return static_cast<IConnectionPointContainer *>(this);
    }
    if (IsEqualGUID(riid, IID_IPersist) || IsEqualGUID(riid, IID_IPersistPropertyBag)) {
        return static_cast<IPersistPropertyBag *>(this);
    }
    if (IsEqualGUID(riid, IID_IPersistStream)) {
        return static_cast<IPersistStream *>(this);
    }
    if (IsEqualGUID(riid, IID_IPersistStreamInit)) {
        return static_cast<IPersistStreamInit *>(this);
    }
    if (IsEqualGUID(riid, IID_IQtControl)) {
        return static_cast<IQtControl *>(this);
    }
    return nullptr;
}

HRESULT ControlObject::GetTypeInfoCount(UINT *count)
{
    if (!count) {
        return E_POINTER;
    }
    *count = 1;
    return S_OK;
}

HRESULT ControlObject::GetTypeInfo(UINT index, LCID, ITypeInfo **typeInfo)
{
    if (!typeInfo) {
        return E_POINTER;
    }
    *typeInfo = nullptr;
    if (index != 0) {
        return DISP_E_BADINDEX;
    }
    return QuilvetTypeLib::instance()->GetTypeInfoOfGuid(IID__clsQuilvet, typeInfo);
}

HRESULT ControlObject::GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT count, LCID, DISPID *ids)
{
    if (!IsEqualGUID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    ComPtr<ITypeInfo> typeInfo;
    QuilvetTypeLib::instance()->GetTypeInfoOfGuid(IID__clsQuilvet, typeInfo.put());
    return typeInfo->GetIDsOfNames(names, count, ids);
}

HRESULT ControlObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
    EXCEPINFO *exception, UINT *argumentError)
{
    if (!IsEqualGUID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (!params) {
        return E_INVALIDARG;
    }
    const PropertyInfo *property = TypeLibrary::findProperty(id);
    if (!property) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params->cArgs != 1) {
            return DISP_E_BADPARAMCOUNT;
        }
        if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs
            || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            return DISP_E_PARAMNOTFOUND;
        }
        VARIANT converted;
        VariantInit(&converted);
        const HRESULT hr
            = VariantChangeType(&converted, &params->rgvarg[0], 0, TypeLibrary::varType(property->type));
        if (FAILED(hr)) {
            if (argumentError) {
                *argumentError = 0;
            }
            return hr == DISP_E_OVERFLOW ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
        }
        DiscardableException info(exception);
        const HRESULT written = putProperty(*property, &converted, info.get());
        VariantClear(&converted);
        return written;
    }
    if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
        if (params->cArgs != 0) {
            return DISP_E_BADPARAMCOUNT;
        }
        if (!result) {
            return m_control ? S_OK : E_UNEXPECTED;
        }
        DiscardableException info(exception);
        return getProperty(*property, result, info.get());
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT ControlObject::getProperty(const PropertyInfo &property, VARIANT *result, EXCEPINFO *exception)
{
    if (!m_control) {
        return E_UNEXPECTED; // the host destroyed the widget
    }
    const KeepAlive keepAlive(static_cast<IDispatch *>(this));
    return guarded(exception, [&] {
        VariantInit(result);
        VARIANT raw;
        fromQVariant(metaPropertyOf(m_control, property).read(m_control), &raw);
        const HRESULT hr = VariantChangeType(result, &raw, 0, TypeLibrary::varType(property.type));
        VariantClear(&raw);
        return hr;
    });
}

HRESULT ControlObject::putProperty(
    const PropertyInfo &property, const VARIANT *argument, EXCEPINFO *exception)
{
    if (!m_control) {
        return E_UNEXPECTED; // the host destroyed the widget
    }
    // A handler of a notice may release the host's last reference meanwhile.
    const KeepAlive keepAlive(static_cast<IDispatch *>(this));
    return guarded(exception, [&] {
        const QVariant value = toQVariant(*argument);
        if (property.checkedPut) {
            // Max is the one checked property: its checked setter, so that a
            // refusal reaches the caller.
            m_control->setMaximum(value.value<qint32>());
            return S_OK;
        }
        return metaPropertyOf(m_control, property).write(m_control, value) ? S_OK : DISP_E_TYPEMISMATCH;
    });
}

HRESULT ControlObject::guarded(EXCEPINFO *exception, const std::function<HRESULT()> &call)
{
    try {
        return call();
    } catch (const Error &error) {
        return exception ? raiseException(error, exception) : controlResult(error.number());
    } catch (const std::exception &error) {
        const Error wrapped(ErrorNumber::InvalidPropertyValue, QString::fromLocal8Bit(error.what()));
        return exception ? raiseException(wrapped, exception) : controlResult(wrapped.number());
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT ControlObject::GetClassInfo(ITypeInfo **typeInfo)
{
    if (!typeInfo) {
        return E_POINTER;
    }
    return QuilvetTypeLib::instance()->GetTypeInfoOfGuid(CLSID_clsQuilvet, typeInfo);
}

HRESULT ControlObject::GetGUID(DWORD kind, GUID *guid)
{
    if (!guid) {
        return E_POINTER;
    }
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = IID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID___clsQuilvet;
    return S_OK;
}

HRESULT ControlObject::EnumConnectionPoints(IEnumConnectionPoints **points)
{
    if (!points) {
        return E_POINTER;
    }
    *points = new ConnectionPointEnumerator({ &m_events, &m_propertyNotify });
    return S_OK;
}

HRESULT ControlObject::FindConnectionPoint(REFIID riid, IConnectionPoint **point)
{
    if (!point) {
        return E_POINTER;
    }
    if (IsEqualGUID(riid, m_events.iid())) {
        *point = &m_events;
    } else if (IsEqualGUID(riid, m_propertyNotify.iid())) {
        *point = &m_propertyNotify;
    } else {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    (*point)->AddRef();
    return S_OK;
}

HRESULT ControlObject::GetClassID(CLSID *clsid)
{
    if (!clsid) {
        return E_POINTER;
    }
    *clsid = CLSID_clsQuilvet;
    return S_OK;
}

HRESULT ControlObject::InitNew()
{
    if (!m_control) {
        return E_UNEXPECTED;
    }
    m_control->InitProperties();
    return cleanAfter(S_OK);
}

HRESULT ControlObject::Load(IPropertyBag *bag, IErrorLog *errorLog)
{
    if (!bag) {
        return E_POINTER;
    }
    return m_control ? cleanAfter(ControlPersistence::loadBag(*m_control, bag, errorLog)) : E_UNEXPECTED;
}

HRESULT ControlObject::Save(IPropertyBag *bag, BOOL clearDirty, BOOL)
{
    if (!bag) {
        return E_POINTER;
    }
    return m_control ? cleanAfter(ControlPersistence::saveBag(*m_control, bag), clearDirty) : E_UNEXPECTED;
}

HRESULT ControlObject::IsDirty()
{
    return m_dirty ? S_OK : S_FALSE;
}

HRESULT ControlObject::Load(IStream *stream)
{
    if (!stream) {
        return E_POINTER;
    }
    return m_control ? cleanAfter(ControlPersistence::loadStream(*m_control, stream)) : E_UNEXPECTED;
}

HRESULT ControlObject::Save(IStream *stream, BOOL clearDirty)
{
    if (!stream) {
        return E_POINTER;
    }
    return m_control ? cleanAfter(ControlPersistence::saveStream(*m_control, stream), clearDirty)
                     : E_UNEXPECTED;
}

HRESULT ControlObject::GetSizeMax(ULARGE_INTEGER *size)
{
    if (!size) {
        return E_POINTER;
    }
    return m_control ? ControlPersistence::sizeMax(*m_control, size) : E_UNEXPECTED;
}

HRESULT ControlObject::cleanAfter(HRESULT hr, bool clean)
{
    if (SUCCEEDED(hr) && clean) {
        m_dirty = false;
    }
    return hr;
}

HRESULT ControlObject::GetWidget(QWidget **widget)
{
    if (!widget) {
        return E_POINTER;
    }
    *widget = m_control.data();
    return m_control ? S_OK : E_UNEXPECTED;
}

void ControlObject::fireEvent(DISPID id)
{
    ++t_delivering;
    {
        const KeepAlive keepAlive(static_cast<IDispatch *>(this));
        DISPPARAMS none { nullptr, nullptr, 0, 0 };
        m_events.forEachSink([&](IUnknown *sink) {
            static_cast<IDispatch *>(sink)->Invoke(
                id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
        });
    }
    --t_delivering;
}

void ControlObject::notifyChanged(const QString &propertyName)
{
    m_dirty = true;
    const PropertyInfo *property = TypeLibrary::findProperty(propertyName);
    if (!property) {
        return;
    }
    ++t_delivering;
    {
        const KeepAlive keepAlive(static_cast<IDispatch *>(this));
        m_propertyNotify.forEachSink([&](IUnknown *sink) {
            static_cast<IPropertyNotifySink *>(sink)->OnChanged(property->dispatchId);
        });
    }
    --t_delivering;
}

} // namespace quilvet
