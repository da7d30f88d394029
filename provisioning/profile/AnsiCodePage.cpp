#include "AnsiCodePage.h"

#include <QStringDecoder>

#include <algorithm>
#include <iconv.h>
#include <limits>
#include <memory>

namespace brevane::profile {

namespace {

const char *iconvName(AnsiCodePage::Number number)
{
    switch (number) {
    case AnsiCodePage::SimplifiedChinese:
        return "CP936";
    case AnsiCodePage::TraditionalChinese:
        return "CP950";
    case AnsiCodePage::WesternEuropean:
        break;
    }
    return "CP1252";
}

// Five bytes of code page 1252 have no character assigned; the platform maps
// each of them to the C1 control of the same value, in both directions.
bool isUnassigned1252(uint value)
{
    return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

class Iconv
{
public:
    Iconv(const char *to, const char *from)
        : m_cd(iconv_open(to, from))
    { }
    ~Iconv()
    {
        if (isValid()) {
            iconv_close(m_cd);
        }
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;

    bool isValid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of [*in, *in + *inLeft) as possible; false on an
    // invalid or incomplete sequence, with *in left at the offending byte.
    bool convert(char **in, size_t *inLeft, char **out, size_t *outLeft)
    {
        if (iconv(m_cd, in, inLeft, out, outLeft) != static_cast<size_t>(-1)) {
            return true;
        }
        // Stateless code pages: forget any half-read sequence before going on.
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return false;
    }

private:
    iconv_t m_cd;
};

class Encoder
{
public:
    explicit Encoder(AnsiCodePage::Number number)
        : m_number(number)
    { }

    // Appends the bytes of one code point that took `units` UTF-16 units.
    void append(QByteArray &out, char32_t codePoint, int units)
    {
        if (codePoint < 0x80 || (m_number == AnsiCodePage::WesternEuropean && isUnassigned1252(codePoint))) {
            out.append(static_cast<char>(codePoint));
            return;
        }
        char in[4] = { static_cast<char>(codePoint & 0xFF), static_cast<char>((codePoint >> 8) & 0xFF),
            static_cast<char>((codePoint >> 16) & 0xFF), static_cast<char>(codePoint >> 24) };
        char buffer[16];
        char *inPtr = in;
        char *outPtr = buffer;
        size_t inLeft = sizeof in;
        size_t outLeft = sizeof buffer;
        if (!m_iconv) {
            m_iconv = std::make_unique<Iconv>(iconvName(m_number), "UTF-32LE");
        }
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            out.append(units, '?');
        } else if (m_iconv->isValid() && m_iconv->convert(&inPtr, &inLeft, &outPtr, &outLeft) && inLeft == 0
            && outPtr != buffer) {
            out.append(buffer, outPtr - buffer);
        } else {
            out.append(units, '?');
        }
    }

private:
    AnsiCodePage::Number m_number;
    std::unique_ptr<Iconv> m_iconv; // opened at the first character beyond ASCII
};

} // namespace

AnsiCodePage AnsiCodePage::forLocale(const QLocale &locale)
{
    if (locale.language() != QLocale::Chinese) {
        return AnsiCodePage(WesternEuropean);
    }
    switch (locale.script()) {
    case QLocale::SimplifiedHanScript:
        return AnsiCodePage(SimplifiedChinese);
    case QLocale::TraditionalHanScript:
        return AnsiCodePage(TraditionalChinese);
    default:
        break;
    }
    switch (locale.territory()) {
    case QLocale::Taiwan:
    case QLocale::HongKong:
    case QLocale::Macao:
        return AnsiCodePage(TraditionalChinese);
    default:
        return AnsiCodePage(SimplifiedChinese);
    }
}

QByteArray AnsiCodePage::encode(QStringView text) const
{
    return encodePrefix(text, std::numeric_limits<qsizetype>::max());
}

QByteArray AnsiCodePage::encodePrefix(QStringView text, qsizetype maxBytes) const
{
    QByteArray out;
    out.reserve(qMin(maxBytes, text.size() * 2));
    Encoder encoder(m_number);
    QByteArray character;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t codePoint = text[i].unicode();
        int units = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text[i], text[i + 1]);
            units = 2;
        }
        character.clear();
        encoder.append(character, codePoint, units);
        if (out.size() + character.size() > maxBytes) {
            break;
        }
        out.append(character);
        i += units - 1;
    }
    return out;
}

QString AnsiCodePage::decode(QByteArrayView bytes) const
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char byte) { return static_cast<uchar>(byte) < 0x80; })) {
        return QString::fromLatin1(bytes);
    }
    // A byte yields at most one UTF-16 unit; twice that room is to spare.
    QByteArray utf16(bytes.size() * 4, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char *out = utf16.data();
    size_t outLeft = static_cast<size_t>(utf16.size());
    Iconv iconv("UTF-16LE", iconvName(m_number));
    while (inLeft > 0 && outLeft >= 2) {
        if (iconv.isValid() && iconv.convert(&in, &inLeft, &out, &outLeft)) {
            break;
        }
        const auto byte = static_cast<uchar>(*in);
        const bool passThrough = byte < 0x80 || (m_number == WesternEuropean && isUnassigned1252(byte));
        out[0] = passThrough ? static_cast<char>(byte) : '?';
        out[1] = 0;
        out += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
    }
    utf16.truncate(out - utf16.data());
    return QStringDecoder(QStringConverter::Utf16LE,
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom)
        .decode(utf16);
}

} // namespace brevane::profile
