#include "TextBox.h"

#include <QFocusEvent>

#include <limits>

namespace quilvet {

TextBox::TextBox(QWidget *parent)
    : QLineEdit(parent)
{
    // The values are texts of any length; a line editor would cut them at 32767.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &TextBox::changed);
}

void TextBox::setText(const QString &text)
{
    if (text != this->text()) {
        QLineEdit::setText(text);
    }
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
