#include "MessageTable.h"
#include "QtTranslations.h"
#include "QtUserPrompts.h"
#include "frmDBConnect.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevane"));
    brevane::installQtTranslations(brevane::userInterfaceLanguage());

    brevane::frmDBConnect window;
    window.show();
    return app.exec();
}
