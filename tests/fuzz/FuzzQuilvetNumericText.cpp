// Quilvet's numeric text against strtod: trimming takes spaces from the ends only, text
// the numeric test accepts is read whole by strtod, and a stored text of that form
// converts to strtod's value rounded half to even, or overflows past 32 bits.
#include "FuzzCheck.h"
#include "NumericText.h"
#include "PropertyValue.h"
#include "QuilvetError.h"
#include "StrtodReference.h"

#include <QVariant>

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString trimmed = quilvet::NumericText::trimSpaces(text);
    FUZZ_CHECK(
        !trimmed.startsWith(QLatin1Char(' ')) && !trimmed.endsWith(QLatin1Char(' ')), "spaces trimmed");
    FUZZ_CHECK(text.contains(trimmed), "trimming keeps the inside");
    if (!quilvet::NumericText::isNumeric(trimmed))
        return 0;
    double expected = 0;
    FUZZ_CHECK(strtodReadsWhole(trimmed, &expected), "numeric text is a number to strtod");
    try {
        const qint32 converted = quilvet::PropertyValue::toInt32(QVariant(trimmed));
        FUZZ_CHECK(double(converted) == std::nearbyint(expected), "stored text converts as strtod reads it");
    } catch (const quilvet::Error &) {
        FUZZ_CHECK(!fitsInt32(std::nearbyint(expected)), "stored text overflows only past 32 bits");
    }
    return 0;
}
