#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace brevane {

namespace {

// The catalogue of Qt's widgets and dialogs for each Chinese variant, as
// Debian's Qt translations name it.
QString catalogueFor(LanguageId language)
{
    switch (language) {
    case LanguageId::ChineseSimplified:
        return QStringLiteral("qtbase_zh_CN");
    case LanguageId::ChineseTraditional:
        return QStringLiteral("qtbase_zh_TW");
    case LanguageId::EnglishUnitedStates:
    case LanguageId::EnglishUnitedKingdom:
        break;
    }
    return QString();
}

} // namespace

void installQtTranslations(LanguageId language)
{
    static QTranslator translator;
    QCoreApplication::removeTranslator(&translator);
    const QString catalogue = catalogueFor(language);
    if (!catalogue.isEmpty()
        && translator.load(catalogue, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&translator);
    }
}

} // namespace brevane
