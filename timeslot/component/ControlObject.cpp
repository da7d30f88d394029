#include "ControlObject.h"

#include "BagPropertyStore.h"
#include "ComSupport.h"
#include "QuilvetError.h"
#include "TypeLibrary.h"
#include "clsQuilvet.h"

#include <QApplication>
#include <QMetaProperty>

using namespace complatform;

namespace quilvet {

namespace {

std::atomic<long> g_objects { 0 };
// Notices being delivered from inside a control's signals on this thread.
thread_local int t_delivering = 0;
std::atomic<long> g_locks { 0 };

void clearException(EXCEPINFO *exception)
{
    if (exception) {
        std::memset(exception, 0, sizeof(EXCEPINFO));
    }
}

class KeepAlive
{
public:
    explicit KeepAlive(IUnknown *object)
        : m_object(object)
    {
        m_object->AddRef();
    }
    ~KeepAlive() { m_object->Release(); }
    KeepAlive(const KeepAlive &) = delete;
    KeepAlive &operator=(const KeepAlive &) = delete;

private:
    IUnknown *m_object;
};

HRESULT raise(const Error &error, EXCEPINFO *exception)
{
    if (exception) {
        clearException(exception);
        exception->bstrSource = toBstr(error.source());
        exception->bstrDescription = toBstr(error.description());
        exception->scode = controlResult(error.number());
    }
    return DISP_E_EXCEPTION;
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
    , m_events(this, TypeLibrary::DIID___clsQuilvet, IID_IDispatch)
    , m_propertyNotify(this, IID_IPropertyNotifySink, IID_NULL)
{
    objectCreated();
    QObject::connect(m_control, &clsQuilvet::Change, m_control, [this] { fireEvent(1); });
    QObject::connect(m_control, &clsQuilvet::Scroll, m_control, [this] { fireEvent(2); });
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

HRESULT ControlObject::QueryInterface(REFIID riid, void **object)
{
    if (!object) {
        return E_POINTER;
    }
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDispatch)
        || IsEqualGUID(riid, TypeLibrary::IID__clsQuilvet)) {
        *object = static_cast<IDispatch *>(this);
    } else if (IsEqualGUID(riid, IID_IConnectionPointContainer)) {
        *object = static_cast<IConnectionPointContainer *>(this);
    } else if (IsEqualGUID(riid, IID_IPersist) || IsEqualGUID(riid, IID_IPersistPropertyBag)) {
        *object = static_cast<IPersistPropertyBag *>(this);
    } else if (IsEqualGUID(riid, IID_IQtControl)) {
        *object = static_cast<IQtControl *>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ControlObject::AddRef()
{
    return ++m_references;
}

ULONG ControlObject::Release()
{
    const ULONG left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT ControlObject::GetTypeInfoCount(UINT *count)
{
    if (!count) {
        return E_POINTER;
    }
    // Type information is offered as the table of TypeLibrary.h, not as ITypeInfo.
    *count = 0;
    return S_OK;
}

HRESULT ControlObject::GetTypeInfo(UINT, LCID, ITypeInfo **typeInfo)
{
    if (typeInfo) {
        *typeInfo = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT ControlObject::GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT count, LCID, DISPID *ids)
{
    if (!IsEqualGUID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (!names || !ids || count == 0) {
        return E_INVALIDARG;
    }
    HRESULT hr = S_OK;
    const TypeLibrary::Property *property = TypeLibrary::findProperty(fromOleText(names[0]));
    ids[0] = property ? property->id : DISPID_UNKNOWN;
    if (!property) {
        hr = DISP_E_UNKNOWNNAME;
    }
    // Properties take no named arguments.
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
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
    const TypeLibrary::Property *property = TypeLibrary::findProperty(id);
    if (!property) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (!m_control) {
        return E_UNEXPECTED; // the host destroyed the widget
    }
    const QMetaObject *meta = m_control->metaObject();
    const QMetaProperty metaProperty = meta->property(meta->indexOfProperty(property->name));

    // A handler of a notice may release the host's last reference meanwhile.
    const KeepAlive keepAlive(static_cast<IDispatch *>(this));

    try {
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
            const HRESULT hr = VariantChangeType(&converted, &params->rgvarg[0], 0, property->type);
            if (FAILED(hr)) {
                if (argumentError) {
                    *argumentError = 0;
                }
                return hr == DISP_E_OVERFLOW ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
            }
            const QVariant value = toQVariant(converted);
            VariantClear(&converted);
            if (qstrcmp(property->name, "Max") == 0) {
                // The checked write, so that a refusal reaches the caller.
                m_control->setMaximum(value.toInt());
            } else if (!metaProperty.write(m_control, value)) {
                return DISP_E_TYPEMISMATCH;
            }
            return S_OK;
        }
        if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
            if (params->cArgs != 0) {
                return DISP_E_BADPARAMCOUNT;
            }
            if (result) {
                VariantInit(result);
                VARIANT raw;
                fromQVariant(metaProperty.read(m_control), &raw);
                const HRESULT hr = VariantChangeType(result, &raw, 0, property->type);
                VariantClear(&raw);
                return hr;
            }
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    } catch (const Error &error) {
        return raise(error, exception);
    } catch (const std::exception &error) {
        return raise(
            Error(ErrorNumber::InvalidPropertyValue, QString::fromLocal8Bit(error.what())), exception);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT ControlObject::EnumConnectionPoints(IEnumConnectionPoints **points)
{
    if (points) {
        *points = nullptr;
    }
    return E_NOTIMPL;
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
    *clsid = TypeLibrary::CLSID_clsQuilvet;
    return S_OK;
}

HRESULT ControlObject::InitNew()
{
    if (!m_control) {
        return E_UNEXPECTED;
    }
    m_control->InitProperties();
    return S_OK;
}

HRESULT ControlObject::Load(IPropertyBag *bag, IErrorLog *errorLog)
{
    if (!bag) {
        return E_POINTER;
    }
    if (!m_control) {
        return E_UNEXPECTED;
    }
    try {
        BagPropertyStore store(bag);
        m_control->ReadProperties(store);
        return S_OK;
    } catch (const Error &error) {
        if (errorLog) {
            EXCEPINFO info;
            raise(error, &info);
            errorLog->AddError(reinterpret_cast<LPCOLESTR>(u"ReadProperties"), &info);
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
        }
        return controlResult(error.number());
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT ControlObject::Save(IPropertyBag *bag, BOOL clearDirty, BOOL)
{
    if (!bag) {
        return E_POINTER;
    }
    if (!m_control) {
        return E_UNEXPECTED;
    }
    try {
        BagPropertyStore store(bag);
        m_control->WriteProperties(store);
        if (clearDirty) {
            m_dirty = false;
        }
        return S_OK;
    } catch (const Error &error) {
        return controlResult(error.number());
    } catch (...) {
        return E_FAIL;
    }
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
    const TypeLibrary::Property *property = TypeLibrary::findProperty(propertyName);
    if (!property) {
        return;
    }
    ++t_delivering;
    {
        const KeepAlive keepAlive(static_cast<IDispatch *>(this));
        m_propertyNotify.forEachSink(
            [&](IUnknown *sink) { static_cast<IPropertyNotifySink *>(sink)->OnChanged(property->id); });
    }
    --t_delivering;
}

} // namespace quilvet
