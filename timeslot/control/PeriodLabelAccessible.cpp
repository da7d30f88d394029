#include "PeriodLabelAccessible.h"

#include "PeriodLabel.h"

namespace quilvet {

PeriodLabelAccessible::PeriodLabelAccessible(PeriodLabel *label)
    : QAccessibleWidget(label, QAccessible::StaticText)
{ }

bool PeriodLabelAccessible::readsTheRow() const
{
    return widget()->objectName() == QLatin1String(PeriodLabel::RowReaderName);
}

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
    if (!readsTheRow()) {
        return static_cast<const QLabel *>(widget())->text();
    }
    // "时间段：", begin, "－", end, as the period row shows them.
    return QStringList { caption("lblNote(16)"), caption("lblTimeBegin"), caption("lblNote(17)"),
        caption("lblTimeEnd") }
        .join(QLatin1Char(' '));
}

QAccessible::State PeriodLabelAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    if (!readsTheRow()) {
        state.invisible = true;
    }
    return state;
}

} // namespace quilvet
