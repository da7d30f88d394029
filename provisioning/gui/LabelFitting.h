#pragma once

class QWidget;

namespace brevane {

// The window font: SimSun at 9 points where it is installed, else a face
// that covers both Latin and Chinese text.
void applyWindowFont(QWidget *window);

// Localised captions are often wider than the box the layout gives their
// label. Such a label grows to fit its text: towards the left when the field
// it names stands to its right (so the text ends where it was meant to end
// and never runs under the field), towards the right otherwise.
void fitLabelsToCaptions(QWidget *window);

} // namespace brevane
