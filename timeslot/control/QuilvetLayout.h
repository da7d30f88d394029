#pragma once

#include "QuilvetInternal.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include <span>

// The fixed layout of clsQuilvet: every child with its position in twips
// relative to its parent, its caption and whether it is drawn in bold blue.
// Pixels are twips divided by 15 (96 dots per inch).
namespace quilvet::Layout {

enum class Kind { Slider, Label, TextBox, Panel };
enum class Parent { Control, Panel };

struct Child
{
    const char *name; // object name; control-array elements carry their index, as "lblNote(12)"
    Kind kind;
    Parent parent;
    int left;
    int top;
    int width;
    int height;
    const char16_t *caption; // caption or text as laid out; empty for the slider and the panel
    bool emphasised; // bold and blue

    QRect pixelRect() const;
};

inline constexpr int TwipsPerPixel = 15;
constexpr int toPixels(int twips)
{
    return twips / TwipsPerPixel;
}

QUILVET_INTERNAL std::span<const Child> children();
QUILVET_INTERNAL const Child *find(const char *name);

// Client area of the control: 10470 x 1500 twips.
QUILVET_INTERNAL QSize clientSize();

// SimSun at 9 points when it is installed, otherwise the first installed face of a
// list of Simplified Chinese faces (so the captions never fall back to boxes).
QUILVET_INTERNAL QFont captionFont();
QUILVET_INTERNAL QFont emphasisedFont();
// Blue, the colour value 0x00FF0000 of the platform's blue-green-red order.
QUILVET_INTERNAL QColor emphasisColour();

} // namespace quilvet::Layout
