// The component registry file: a file with the REGEDIT4 header is read, and a bad line
// loses only itself; what the registry writes back reads again without a skipped line,
// with the same keys, and writes the same text again.
#include "FuzzCheck.h"
#include "Registry.h"

#include <QString>

#include <cstdint>

using quilvet::com::Registry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    Registry first(QStringLiteral("unused"));
    if (!first.parse(text)) {
        FUZZ_CHECK(
            !text.startsWith(QLatin1String("REGEDIT4\n")) && !text.startsWith(QLatin1String("REGEDIT4\r\n")),
            "a registry file is read, its bad lines skipped");
        return 0;
    }
    // One bad line loses only itself: every key line that the file can hold gives its key.
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        line = line.trimmed();
        const QString key = line.mid(1, line.size() - 2);
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')) && line.size() >= 2
            && Registry::isWritableKey(key)) {
            FUZZ_CHECK(first.hasKey(key), "every key line gives its key");
        }
    }
    const QString written = first.text();

    Registry second(QStringLiteral("unused"));
    FUZZ_CHECK(second.parse(written), "the registry reads what it wrote");
    FUZZ_CHECK(second.skippedLines().isEmpty(), "no line of a written registry is skipped");
    FUZZ_CHECK(second.keys().size() == first.keys().size(), "the same number of keys");
    for (const QString &key : first.keys())
        FUZZ_CHECK(second.hasKey(key), "every key comes back");
    FUZZ_CHECK(second.text() == written, "writing again gives the same text");
    return 0;
}
