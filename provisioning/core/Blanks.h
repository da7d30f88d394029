#pragma once

#include <QString>
#include <QStringView>

namespace brevane {

// Removes the blank character (U+0020) from both ends; other white space stays.
QString trimBlanks(const QString &text);
QStringView trimBlanks(QStringView text);

// Removes blanks and tabs from both ends; other white space stays.
QString trimBlanksAndTabs(const QString &text);

// Removes the blanks at the end only.
QString trimTrailingBlanks(const QString &text);

// Removes every character of `characters` from both ends.
QStringView trimCharacters(QStringView text, QStringView characters);

} // namespace brevane
