#include "PeriodLabelAccessible.h"

#include "PeriodLabel.h"

namespace quilvet {

PeriodLabelAccessible::PeriodLabelAccessible(PeriodLabel *label)
    : QAccessibleWidget(label, QAccessible::StaticText)
{ }

QString PeriodLabelAccessible::caption(const char *name) const
{
    const auto *label = widget()->parentWidget()->findChild<const QLabel *>(QLatin1String(name));
    return label ? label->text() : QString();
}

QString PeriodLabelAccessible::text(QAccessible::Text kind) const
{
    if (kind != QAccessible::Name || !widget()->accessibleName().isEmpty()) {
        return QAccessibleWidget::text(kind);
    }
    // "时间段：", begin, "－", end, as the period row shows them.
    return QStringList { caption("lblNote(16)"), caption("lblTimeBegin"), caption("lblNote(17)"),
        caption("lblTimeEnd") }
        .join(QLatin1Char(' '));
}

} // namespace quilvet
