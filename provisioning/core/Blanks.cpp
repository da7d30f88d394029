#include "Blanks.h"

namespace brevane {

QStringView trimCharacters(QStringView text, QStringView characters)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && characters.contains(text[begin])) {
        ++begin;
    }
    while (end > begin && characters.contains(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

QStringView trimBlanks(QStringView text)
{
    return trimCharacters(text, u" ");
}

QString trimBlanks(const QString &text)
{
    return trimBlanks(QStringView(text)).toString();
}

QString trimBlanksAndTabs(const QString &text)
{
    return trimCharacters(text, u" \t").toString();
}

QString trimTrailingBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ') {
        --end;
    }
    return text.first(end);
}

} // namespace brevane
