#pragma once

class QWidget;

namespace brevane {

// Localises a window: the window's own caption and every captioned control's
// caption whose Tag holds a message number are replaced by that message's
// text in the user's language. Controls are visited in the window's control
// order (a frame's children right after the frame). A failure stops the
// captioning at that control and is reported in a message box.
void SetFormCaptions(QWidget *window);

} // namespace brevane
