#pragma once

#include <QString>

class QWidget;

namespace brevane {

// The type name under which the captioning rules know a control: "form" for
// a window, "frame" for a group box, "label", "commandbutton",
// "optionbutton", "checkbox"; a widget class of its own named like an
// xp-style control keeps its class name ("xpcmdbutton" ...); any other
// widget is known by its lowered class name without Qt's "Q" prefix.
QString controlTypeName(const QWidget *control);

// The caption of a window (its title) or of a captioned control (its text or title).
QString captionOf(const QWidget *control);
void setCaption(QWidget *control, const QString &caption);

// The Tag of a window or control: its dynamic property "Tag", empty when unset.
QString tagOf(const QWidget *control);

} // namespace brevane
