#pragma once

#include "ComObject.h"
#include "ComponentTypes.h"
#include "ConnectionPoint.h"
#include "DualInterface.h"
#include "PropertyTable.h"

#include <QPointer>

#include <functional>

class clsQuilvet;

namespace quilvet {

// The component object of one clsQuilvet: its dual interface (_clsQuilvet, by
// dispatch and as a table of functions), its class and type information, the
// connection points for the events (__clsQuilvet) and for property-change
// notices (IPropertyNotifySink), persistence through a property bag and through
// a stream (IPersistStreamInit and IPersistStream, the same functions), and the
// widget for a Qt host (IQtControl). IsDirty answers S_OK after any change
// notice until the next save that clears it; a load or InitNew leaves the
// object clean. Errors the control raises come back from
// Invoke as DISP_E_EXCEPTION with the error's number (as a FACILITY_CONTROL
// code), source and description, and from the table of functions as that code;
// no C++ exception leaves the object.
class ControlObject final
    : public ComObject<ControlObject, lifetime::Own, IDispatch, IProvideClassInfo2, IConnectionPointContainer,
          IPersistPropertyBag, IPersistStream, IPersistStreamInit, IQtControl>
{
public:
    // Needs a QApplication; E_UNEXPECTED otherwise.
    static HRESULT create(REFIID riid, void **object);

    void *interfaceFor(REFIID riid);

    QUILVET_DISPATCH_METHODS

    HRESULT QUILVET_COMCALL GetClassInfo(ITypeInfo **typeInfo) override;
    HRESULT QUILVET_COMCALL GetGUID(DWORD kind, GUID *guid) override;

    HRESULT QUILVET_COMCALL EnumConnectionPoints(IEnumConnectionPoints **points) override;
    HRESULT QUILVET_COMCALL FindConnectionPoint(REFIID riid, IConnectionPoint **point) override;

    HRESULT QUILVET_COMCALL GetClassID(CLSID *clsid) override;
    HRESULT QUILVET_COMCALL InitNew() override;
    HRESULT QUILVET_COMCALL Load(IPropertyBag *bag, IErrorLog *errorLog) override;
    HRESULT QUILVET_COMCALL Save(IPropertyBag *bag, BOOL clearDirty, BOOL saveAllProperties) override;
    HRESULT QUILVET_COMCALL IsDirty() override;
    HRESULT QUILVET_COMCALL Load(IStream *stream) override;
    HRESULT QUILVET_COMCALL Save(IStream *stream, BOOL clearDirty) override;
    HRESULT QUILVET_COMCALL GetSizeMax(ULARGE_INTEGER *size) override;

    HRESULT QUILVET_COMCALL GetWidget(QWidget **widget) override;

    // One property read or write, as Invoke and the table of functions make it.
    // With exception (Invoke), a control error becomes DISP_E_EXCEPTION with
    // the error in *exception; without it, the error's status code.
    HRESULT getProperty(const PropertyInfo &property, VARIANT *result, EXCEPINFO *exception);
    HRESULT putProperty(const PropertyInfo &property, const VARIANT *argument, EXCEPINFO *exception);

private:
    ControlObject();
    ~ControlObject() override;
    // The result of a load or save, after which the object is clean.
    HRESULT cleanAfter(HRESULT hr, bool clean = true);

    static HRESULT guarded(EXCEPINFO *exception, const std::function<HRESULT()> &call);
    void fireEvent(DISPID id);
    void notifyChanged(const QString &propertyName);

    QPointer<clsQuilvet> m_control;
    ConnectionPoint m_events;
    ConnectionPoint m_propertyNotify;
    DualInterface m_dual;
    bool m_dirty = false;
};

// Number of live objects and factories of the library, and of server locks.
long liveObjects();
void objectCreated();
void objectDestroyed();
void serverLocked(bool lock);

} // namespace quilvet
