#include "NumericText.h"

#include "Blanks.h"
#include "Failure.h"

#include <QRegularExpression>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace brevane {

namespace {

// Reads numeric text (already checked, so plain ASCII) in the C locale whatever the
// user's locale is. A value too small to represent is 0, as it is for the platform;
// only a value too large to represent fails.
std::optional<double> readNumber(const QString &numericText)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const QByteArray ascii = numericText.toLatin1();
    errno = 0;
    const double value = strtod_l(ascii.constData(), nullptr, cLocale);
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt;
    return value;
}

} // namespace

bool isNumericText(const QString &text)
{
    // Anchored at the very end: a "$" would also match before a final line feed.
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?")));
    return pattern.match(trimBlanksAndTabs(text)).hasMatch();
}

qint32 toInt32(const QString &text)
{
    if (!isNumericText(text))
        throw Failure(FailureNumber::TypeMismatch, QStringLiteral("Type mismatch"));
    const std::optional<double> value = readNumber(trimBlanksAndTabs(text));
    const double rounded = value ? std::nearbyint(*value) : 0.0; // default rounding mode: halves to even
    if (!value || !std::isfinite(rounded) || rounded < double(std::numeric_limits<qint32>::min())
        || rounded > double(std::numeric_limits<qint32>::max())) {
        throw Failure(FailureNumber::Overflow, QStringLiteral("Overflow"));
    }
    return static_cast<qint32>(rounded);
}

} // namespace brevane
