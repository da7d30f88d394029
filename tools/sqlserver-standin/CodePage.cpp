#include "CodePage.h"

#include <cerrno>
#include <iconv.h>

namespace standin {

namespace {

QByteArray iconvName(int codePage)
{
    if (codePage == 65001)
        return QByteArrayLiteral("UTF-8");
    return QByteArrayLiteral("CP") + QByteArray::number(codePage);
}

// One iconv conversion descriptor, closed on leaving the scope.
class Converter
{
public:
    explicit Converter(int codePage)
        : m_descriptor(iconv_open(iconvName(codePage).constData(), "UTF-8"))
    { }
    ~Converter()
    {
        if (valid())
            iconv_close(m_descriptor);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_descriptor != iconv_t(-1); }

    // Whether the whole of `utf8` converts.
    bool converts(QByteArray utf8)
    {
        iconv(m_descriptor, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        char output[16];
        char *in = utf8.data();
        size_t inLeft = size_t(utf8.size());
        char *out = output;
        size_t outLeft = sizeof output;
        return iconv(m_descriptor, &in, &inLeft, &out, &outLeft) != size_t(-1) && inLeft == 0;
    }

private:
    iconv_t m_descriptor;
};

} // namespace

bool isSupportedCodePage(int codePage)
{
    return codePage > 0 && Converter(codePage).valid();
}

QString throughCodePage(const QString &text, int codePage)
{
    Converter converter(codePage);
    if (!converter.valid())
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            result += c;
            continue;
        }
        // A pair of surrogates is one character.
        const qsizetype length
            = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString character = text.mid(i, length);
        result += converter.converts(character.toUtf8()) ? character : QStringLiteral("?");
        i += length - 1;
    }
    return result;
}

} // namespace standin
