#include "TextBox.h"

#include <QFocusEvent>

namespace quilvet {

TextBox::TextBox(QWidget *parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &TextBox::changed);
}

void TextBox::focusOutEvent(QFocusEvent *event)
{
    // Switching to another window or opening a popup keeps the box as the
    // focus of its window: the operator has not left it.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        Q_EMIT validating();
    }
    QLineEdit::focusOutEvent(event);
}

} // namespace quilvet
