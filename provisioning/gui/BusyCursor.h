#pragma once

#include <QCursor>
#include <QGuiApplication>
#include <QList>

namespace brevane {

// Shows the busy pointer (an arrow with an hourglass) while the window
// waits for the server; restores the pointer when it goes out of scope.
class BusyCursor
{
public:
    BusyCursor()
    {
        QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
        live().append(this);
    }
    ~BusyCursor() { restore(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    void restore()
    {
        if (m_active) {
            QGuiApplication::restoreOverrideCursor();
            m_active = false;
            live().removeOne(this);
        }
    }

    // Ends every busy pointer still shown: a message box never sits under one.
    static void restoreAll()
    {
        while (!live().isEmpty())
            live().constLast()->restore();
    }

private:
    static QList<BusyCursor *> &live()
    {
        static QList<BusyCursor *> cursors;
        return cursors;
    }

    bool m_active = true;
};

} // namespace brevane
