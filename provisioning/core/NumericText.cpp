#include "NumericText.h"

#include "Failure.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace brevane {

namespace {

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text.at(begin) == QLatin1Char(' ') || text.at(begin) == QLatin1Char('\t')))
        ++begin;
    while (end > begin && (text.at(end - 1) == QLatin1Char(' ') || text.at(end - 1) == QLatin1Char('\t')))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

bool isNumericText(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    return pattern.match(trimBlanks(text)).hasMatch();
}

qint32 toInt32(const QString &text)
{
    if (!isNumericText(text))
        throw Failure(FailureNumber::TypeMismatch, QStringLiteral("Type mismatch"));
    bool ok = false;
    const double value = trimBlanks(text).toDouble(&ok);
    const double rounded = std::nearbyint(value); // default rounding mode: halves to even
    if (!ok || !std::isfinite(rounded) || rounded < double(std::numeric_limits<qint32>::min())
        || rounded > double(std::numeric_limits<qint32>::max())) {
        throw Failure(FailureNumber::Overflow, QStringLiteral("Overflow"));
    }
    return static_cast<qint32>(rounded);
}

} // namespace brevane
