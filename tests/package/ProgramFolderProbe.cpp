// Prints the folder the platform reports as the program's own: the folder that
// Brevane reads DB/rivazadUZ.Bak beside and writes Connect.sys above.
#include "Platform.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    brevane::SystemPlatform platform;
    std::fputs(qPrintable(platform.programFolder() + QLatin1Char('\n')), stdout);
    return 0;
}
