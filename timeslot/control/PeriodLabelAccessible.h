#pragma once

#include <QAccessibleWidget>

namespace quilvet {

class PeriodLabel;

// What an accessibility client sees of the begin or the end label of the
// period: a static text named after the whole period as the row reads,
// "时间段： 08:00 － 18:00", whichever of the two it is and whoever wrote the
// captions last.
class PeriodLabelAccessible : public QAccessibleWidget
{
public:
    explicit PeriodLabelAccessible(PeriodLabel *label);

    QString text(QAccessible::Text kind) const override;

private:
    QString caption(const char *name) const;
};

} // namespace quilvet
