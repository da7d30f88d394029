#pragma once

class QWidget;

// How clsQuilvet presents itself to accessibility clients (screen readers, UI
// test tools): the slider and the period labels get interfaces of their own,
// and the slider and the ten boxes names made of the captions around them.
namespace quilvet::Accessibility {

// Installs the factory of those interfaces, once per process; called when the
// first TimeSlider is built.
void installFactory();

// Names the slider after the period row and each of the ten boxes after its
// headings: "星期一 时段价格(元/小时)", "计时超过 … 分钟算包场", "包场费为 … 元".
void nameChildren(QWidget *control);

} // namespace quilvet::Accessibility
