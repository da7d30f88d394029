#pragma once

#include <QAccessibleWidget>

namespace quilvet {

class PeriodLabel;

// What an accessibility client sees of a label of the period row: the begin
// label is a static text named after the whole row as it reads,
// "时间段： 08:00 － 18:00", whoever wrote the captions last; the row's other
// labels are marked invisible, so that a screen reader reads the row once.
class PeriodLabelAccessible : public QAccessibleWidget
{
public:
    explicit PeriodLabelAccessible(PeriodLabel *label);

    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;

private:
    bool readsTheRow() const;
    QString caption(const char *name) const;
};

} // namespace quilvet
