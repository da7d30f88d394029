#pragma once

#include "ComPlatform.h"
#include "ConnectionPoint.h"

#include <QPointer>

#include <atomic>

class clsQuilvet;

namespace quilvet {

struct Property;

// The component object of one clsQuilvet: its dispatch interface (_clsQuilvet),
// the connection points for the events (__clsQuilvet) and for property-change
// notices (IPropertyNotifySink), persistence through a property bag, and the
// widget for a Qt host (IQtControl). Errors the control raises come back from
// Invoke as DISP_E_EXCEPTION with the error's number (as a FACILITY_CONTROL
// code), source and description; no C++ exception leaves the object.
class ControlObject final : public IDispatch,
                            public IConnectionPointContainer,
                            public IPersistPropertyBag,
                            public IQtControl
{
public:
    // Needs a QApplication; E_UNEXPECTED otherwise.
    static HRESULT create(REFIID riid, void **object);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo **typeInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(
        REFIID riid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS *params,
        VARIANT *result, EXCEPINFO *exception, UINT *argumentError) override;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints **points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint **point) override;

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *clsid) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag *bag, IErrorLog *errorLog) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag *bag, BOOL clearDirty, BOOL saveAllProperties) override;

    HRESULT STDMETHODCALLTYPE GetWidget(QWidget **widget) override;

private:
    ControlObject();
    ~ControlObject();

    void fireEvent(DISPID id);
    void notifyChanged(const QString &propertyName);

    std::atomic<ULONG> m_references { 1 };
    QPointer<clsQuilvet> m_control;
    ConnectionPoint m_events;
    ConnectionPoint m_propertyNotify;
    bool m_dirty = false;
};

// Number of live objects and factories of the library, and of server locks.
long liveObjects();
void objectCreated();
void objectDestroyed();
void serverLocked(bool lock);

} // namespace quilvet
