#pragma once

#include <QString>

#include <concepts>

class QComboBox;
class QListWidget;

namespace brevane {

// The two members a list look-up needs of a control: its number of items
// (ListCount) and the text of an item (List). A control type takes part by
// offering listCount() and listText() found by argument-dependent lookup or
// declared here.
int listCount(const QComboBox &control);
QString listText(const QComboBox &control, int index);
int listCount(const QListWidget &control);
QString listText(const QListWidget &control, int index);

template<typename Control>
concept ListControl = requires(const Control &control, int index)
{
    {
        listCount(control)
        } -> std::convertible_to<int>;
    {
        listText(control, index)
        } -> std::convertible_to<QString>;
};

} // namespace brevane
