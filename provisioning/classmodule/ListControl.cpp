#include "ListControl.h"

#include <QComboBox>
#include <QListWidget>

namespace brevane {

int listCount(const QComboBox &control)
{
    return control.count();
}

QString listText(const QComboBox &control, int index)
{
    return control.itemText(index);
}

int listCount(const QListWidget &control)
{
    return control.count();
}

QString listText(const QListWidget &control, int index)
{
    const QListWidgetItem *item = control.item(index);
    return item ? item->text() : QString();
}

} // namespace brevane
