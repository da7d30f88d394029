#include "HostWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    HostWindow window;
    window.show();
    return QApplication::exec();
}
