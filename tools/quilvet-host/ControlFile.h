#pragma once

#include <QString>
#include <quilvet/Component.h>

// The file the host keeps the control's properties in, written through either
// of the control's persistence interfaces: a property bag (a JSON file, see
// FilePropertyBag.h) or a stream (the control's own binary stream format).
namespace ControlFile {

enum class Format { PropertyBag, Stream };

// A status code as the host's log shows it: 0x followed by eight hex digits.
QString statusText(quilvet::com::HRESULT hr);

// Loads the control from the file; the control's status code, or a failure with
// a message when the file cannot be read.
quilvet::com::HRESULT load(
    quilvet::com::IDispatch *control, const QString &path, Format format, QString *error);
// Saves the control (clearing its changed state) and writes the file whole.
bool save(quilvet::com::IDispatch *control, const QString &path, Format format, QString *error);

} // namespace ControlFile
