#include "ThumbTimeTip.h"

#include <QStyle>
#include <QToolTip>

namespace quilvet {

ThumbTimeTip::ThumbTimeTip(QWidget *owner)
    : QLabel(owner, Qt::ToolTip | Qt::BypassGraphicsProxyWidget)
{
    setObjectName(QStringLiteral("thumbTime"));
    setPalette(QToolTip::palette());
    setFont(QToolTip::font());
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(1 + style()->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth, nullptr, this));
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void ThumbTimeTip::showAt(const QPoint &pointer, const QString &text)
{
    setText(text);
    if (!isVisible()) {
        // Every clock text has the form "hh:mm": one size serves the whole drag.
        resize(sizeHint() + QSize(fontMetrics().averageCharWidth(), 0));
    }
    // Where tool tips appear: just below and to the right of the pointer.
    move(pointer + QPoint(2, 16));
    if (!isVisible()) {
        show();
    }
}

} // namespace quilvet
