// Renders Brevane's main window in a chosen language to a PNG file, without
// a display, for the documentation:
//   brevane-shot LANGUAGE OUTPUT.png [restore]
// LANGUAGE is a locale name such as en_US or zh_CN; "restore" shows the
// restore page instead of the server page.
#include "DocumentationPlatform.h"
#include "MessageTable.h"
#include "frmDBConnect.h"

#include <QApplication>
#include <QGroupBox>
#include <QPixmap>
#include <QTextStream>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevane"));
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: brevane-shot LANGUAGE OUTPUT.png [restore]\n";
        return 2;
    }
    brevane::setUserInterfaceLanguageOverride(brevane::languageForLocale(QLocale(args.at(1))));
    brevane::Platform::setCurrent(std::make_shared<brevane::tools::DocumentationPlatform>());

    brevane::frmDBConnect window;
    if (args.size() > 3 && args.at(3) == QStringLiteral("restore"))
        window.findChild<QGroupBox *>(QStringLiteral("FraRestore"))->show();
    window.show();
    QApplication::processEvents();
    const QPixmap shot = window.grab();
    if (!shot.save(args.at(2))) {
        QTextStream(stderr) << "cannot write " << args.at(2) << '\n';
        return 1;
    }
    return 0;
}
