#pragma once

#include <QPushButton>
#include <QString>
#include <QWidget>

namespace brevane::test {

// Presses the push button `name` of `window`, as a click of the user does.
inline void pressButton(QWidget &window, const char *name)
{
    window.findChild<QPushButton *>(QString::fromLatin1(name))->click();
}

} // namespace brevane::test
