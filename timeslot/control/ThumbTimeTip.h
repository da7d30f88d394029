#pragma once

#include <QLabel>

namespace quilvet {

// The tool tip that shows the thumb's clock time while it is dragged. It is
// shown once per drag; each further step only changes its text and position,
// which costs far less than showing a new tool tip for every step.
class ThumbTimeTip : public QLabel
{
public:
    explicit ThumbTimeTip(QWidget *owner);

    // Shows text below and to the right of pointer (global coordinates).
    void showAt(const QPoint &pointer, const QString &text);
};

} // namespace quilvet
