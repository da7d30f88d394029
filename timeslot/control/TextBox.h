#pragma once

#include "QuilvetInternal.h"

#include <QLineEdit>

namespace quilvet {

// Single-line text box with the two notifications the control's fields rely on:
// changed() after every change of the text, typed or written by code, delivered
// inside the write (and not for a write that leaves the text as it was), and
// validating() just before the focus leaves the box for another control. The
// text has no length limit.
class QUILVET_INTERNAL TextBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit TextBox(QWidget *parent = nullptr);

    // QLineEdit::setText for a text that changed. A write of the same text does
    // nothing: QLineEdit would report it to accessibility clients as a
    // replacement, and the price cascade rewrites unchanged boxes many times.
    void setText(const QString &text);

Q_SIGNALS:
    void changed();
    void validating();

protected:
    void focusOutEvent(QFocusEvent *event) override;
};

} // namespace quilvet
