#include "MessageTable.h"
#include "QtTranslations.h"
#include "QtUserPrompts.h"
#include "frmDBConnect.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevane"));
    brevane::installQtTranslations(brevane::userInterfaceLanguage());
    // The icon the package puts into the hicolor theme, as the menu shows it.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("brevane")));

    brevane::frmDBConnect window;
    window.show();
    return app.exec();
}
