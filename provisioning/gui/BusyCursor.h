#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace brevane {

// Shows the busy pointer (an arrow with an hourglass) while the window
// waits for the server; restores the pointer when it goes out of scope.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor)); }
    ~BusyCursor() { restore(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    void restore()
    {
        if (m_active) {
            QGuiApplication::restoreOverrideCursor();
            m_active = false;
        }
    }

private:
    bool m_active = true;
};

} // namespace brevane
