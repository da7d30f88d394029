// Brevane's numeric text against strtod: text the numeric test accepts is read whole by
// strtod, and the conversion to a 32-bit integer gives strtod's value rounded half to
// even, or overflow past 32 bits; other text is a type mismatch.
#include "Failure.h"
#include "FuzzCheck.h"
#include "NumericText.h"
#include "StrtodReference.h"

#include <cmath>
#include <cstdint>

namespace {

QString blanksTrimmed(const QString &text)
{
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool numeric = brevane::isNumericText(text);
    double expected = 0;
    if (numeric)
        FUZZ_CHECK(strtodReadsWhole(blanksTrimmed(text), &expected), "numeric text is a number to strtod");
    try {
        const qint32 converted = brevane::toInt32(text);
        FUZZ_CHECK(numeric, "only numeric text converts");
        FUZZ_CHECK(double(converted) == std::nearbyint(expected), "the conversion agrees with strtod");
    } catch (const brevane::Failure &failure) {
        if (!numeric) {
            FUZZ_CHECK(failure.number() == 13, "text that is no number is a type mismatch");
        } else {
            FUZZ_CHECK(failure.number() == 6, "a number fails only by overflow");
            FUZZ_CHECK(!fitsInt32(std::nearbyint(expected)), "overflow only past 32 bits");
        }
    }
    return 0;
}
