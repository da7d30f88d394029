#include "PeriodLabel.h"

#include <QAccessible>

namespace quilvet {

void PeriodLabel::setText(const QString &text)
{
    if (text == this->text()) {
        return;
    }
    QLabel::setText(text);
    auto *rowReader
        = parentWidget()->findChild<PeriodLabel *>(QLatin1String(RowReaderName), Qt::FindDirectChildrenOnly);
    if (rowReader && rowReader != this && QAccessible::isActive()) {
        QAccessibleEvent event(rowReader, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace quilvet
