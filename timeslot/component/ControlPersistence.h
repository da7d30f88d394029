#pragma once

#include "ComponentTypes.h"

class clsQuilvet;

// Saving and loading a control through the host's property bag or stream:
// both run the control's own ReadProperties and WriteProperties, so a stream
// holds exactly what a bag would. Control errors come back as their status
// code (FACILITY_CONTROL); a bag's load also reports them to the error log.
namespace quilvet::ControlPersistence {

HRESULT loadBag(clsQuilvet &control, IPropertyBag *bag, IErrorLog *errorLog);
HRESULT saveBag(clsQuilvet &control, IPropertyBag *bag);
// An invalid stream changes nothing (see StreamPropertyStore for the format).
HRESULT loadStream(clsQuilvet &control, IStream *stream);
HRESULT saveStream(clsQuilvet &control, IStream *stream);
// The size a save would write now.
HRESULT sizeMax(clsQuilvet &control, ULARGE_INTEGER *size);

} // namespace quilvet::ControlPersistence
