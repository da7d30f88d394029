#include "ProfileDocument.h"

#include "Blanks.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace brevane::profile {

namespace {

const QByteArray Utf16ByteOrderMark("\xFF\xFE", 2);

// Blanks, tabs and vertical tabs surround names and values in the file.
bool isFileSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v';
}

QStringView trimFileSpace(QStringView text)
{
    return trimCharacters(text, u" \t\v");
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString withoutOuterQuotes(const QString &value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front()) {
        return value.sliced(1, value.size() - 2);
    }
    return value;
}

} // namespace

ProfileDocument::ProfileDocument(const QByteArray &bytes, AnsiCodePage codePage)
    : m_codePage(codePage)
{
    if (bytes.startsWith(Utf16ByteOrderMark)) {
        m_byteOrderMark = Utf16ByteOrderMark;
    }
    split(bytes, m_byteOrderMark.size());
}

char16_t ProfileDocument::unitAt(const QByteArray &bytes, qsizetype index) const
{
    if (isUnicode()) {
        return static_cast<char16_t>(
            static_cast<uchar>(bytes[index]) | static_cast<uchar>(bytes[index + 1]) << 8);
    }
    return static_cast<uchar>(bytes[index]);
}

// CR LF, a lone LF and a lone CR all end a line. In the Chinese code pages
// neither byte ever occurs inside a double-byte character.
void ProfileDocument::split(const QByteArray &bytes, qsizetype start)
{
    const qsizetype unit = unitSize();
    qsizetype lineStart = start;
    qsizetype pos = start;
    while (pos + unit <= bytes.size()) {
        const char16_t c = unitAt(bytes, pos);
        if (c != u'\r' && c != u'\n') {
            pos += unit;
            continue;
        }
        qsizetype breakSize = unit;
        if (c == u'\r' && pos + 2 * unit <= bytes.size() && unitAt(bytes, pos + unit) == u'\n') {
            breakSize = 2 * unit;
        }
        m_lines.append(makeLine(bytes.sliced(lineStart, pos - lineStart), bytes.sliced(pos, breakSize)));
        pos += breakSize;
        lineStart = pos;
    }
    if (lineStart < bytes.size()) {
        m_lines.append(makeLine(bytes.sliced(lineStart), {}));
    }
}

QString ProfileDocument::decode(const QByteArray &text) const
{
    if (isUnicode()) {
        return QStringDecoder(QStringConverter::Utf16LE,
            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom)
            .decode(text);
    }
    return m_codePage.decode(text);
}

QByteArray ProfileDocument::encode(QStringView text) const
{
    if (isUnicode()) {
        return QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless).encode(text);
    }
    return m_codePage.encode(text);
}

ProfileDocument::Line ProfileDocument::makeLine(QByteArray text, QByteArray lineBreak) const
{
    Line line;
    line.text = std::move(text);
    line.lineBreak = std::move(lineBreak);
    const QString decoded = decode(line.text);
    const QStringView content = trimFileSpace(decoded);
    if (content.isEmpty()) {
        line.kind = Kind::Blank;
    } else if (content.front() == u';') {
        line.kind = Kind::Comment;
    } else if (content.front() == u'[') {
        // The name runs to the first "]", or to the end of a line without one;
        // whatever follows the "]" is ignored.
        line.kind = Kind::Header;
        QStringView name = content.sliced(1);
        const qsizetype close = name.indexOf(u']');
        if (close >= 0) {
            name.truncate(close);
        }
        line.name = trimFileSpace(name).toString();
    } else {
        line.kind = Kind::Entry;
        const qsizetype equals = content.indexOf(u'=');
        if (equals < 0) {
            line.name = content.toString();
        } else {
            line.name = trimFileSpace(content.first(equals)).toString();
            line.value = trimFileSpace(content.sliced(equals + 1)).toString();
        }
    }
    return line;
}

// The key of an entry line exactly as its bytes stand in the file. Neither
// "=" nor the blank characters can be part of a double-byte character, so
// the bytes can be cut without decoding them.
QByteArray ProfileDocument::keyBytes(const Line &line) const
{
    const qsizetype unit = unitSize();
    qsizetype end = 0;
    while (end + unit <= line.text.size() && unitAt(line.text, end) != u'=') {
        end += unit;
    }
    qsizetype begin = 0;
    while (begin < end && isFileSpace(QChar(unitAt(line.text, begin)))) {
        begin += unit;
    }
    while (end > begin && isFileSpace(QChar(unitAt(line.text, end - unit)))) {
        end -= unit;
    }
    return line.text.sliced(begin, end - begin);
}

// Every line the platform writes ends in CR LF, also in a file whose other
// lines end in LF or CR alone; those keep their own endings.
QByteArray ProfileDocument::conventionalLineBreak() const
{
    return encode(u"\r\n");
}

void ProfileDocument::ensureLineBreak(qsizetype index)
{
    // A UTF-16 file cut after an odd number of bytes ends in half a unit;
    // completing it keeps everything appended after it in step.
    if (isUnicode() && m_lines[index].text.size() % 2 != 0) {
        m_lines[index].text.append('\0');
        m_modified = true;
    }
    if (m_lines[index].lineBreak.isEmpty()) {
        m_lines[index].lineBreak = conventionalLineBreak();
        m_modified = true;
    }
}

std::optional<ProfileDocument::Section> ProfileDocument::findSection(QStringView section) const
{
    const QStringView name = trimBlanks(section);
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind != Kind::Header || !sameName(m_lines[i].name, name)) {
            continue;
        }
        qsizetype end = i + 1;
        while (end < m_lines.size() && m_lines[end].kind != Kind::Header) {
            ++end;
        }
        return Section { i, end };
    }
    return std::nullopt;
}

std::optional<qsizetype> ProfileDocument::findKey(const Section &section, QStringView key) const
{
    const QStringView name = trimBlanks(key);
    for (qsizetype i = section.header + 1; i < section.end; ++i) {
        if (m_lines[i].kind == Kind::Entry && sameName(m_lines[i].name, name)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<QString> ProfileDocument::value(QStringView section, QStringView key) const
{
    const auto found = findSection(section);
    if (!found) {
        return std::nullopt;
    }
    const auto index = findKey(*found, key);
    if (!index || !m_lines[*index].value) {
        return std::nullopt;
    }
    return withoutOuterQuotes(*m_lines[*index].value);
}

void ProfileDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    const QByteArray equals = encode(u"=");
    const auto found = findSection(section);
    if (!found) {
        // A file that does not end with a line break gets one first; so does
        // a Unicode file that holds nothing but its byte order mark.
        if (!m_lines.isEmpty()) {
            ensureLineBreak(m_lines.size() - 1);
        } else if (isUnicode()) {
            m_lines.append(makeLine({}, conventionalLineBreak()));
        }
        const QByteArray lineBreak = conventionalLineBreak();
        m_lines.append(makeLine(encode(u"[") + encode(trimBlanks(section)) + encode(u"]"), lineBreak));
        m_lines.append(makeLine(encode(trimBlanks(key)) + equals + encode(value), lineBreak));
        m_modified = true;
        return;
    }

    if (const auto index = findKey(*found, key)) {
        Line &line = m_lines[*index];
        QByteArray text = keyBytes(line) + equals + encode(value);
        if (text == line.text && !line.lineBreak.isEmpty()) {
            return;
        }
        line = makeLine(std::move(text), conventionalLineBreak());
        m_modified = true;
        return;
    }

    // A new key follows the last key of the section, so comments and blank
    // lines after it stay below; in a section without keys it follows the header.
    qsizetype anchor = found->header;
    for (qsizetype i = found->header + 1; i < found->end; ++i) {
        if (m_lines[i].kind == Kind::Entry) {
            anchor = i;
        }
    }
    ensureLineBreak(anchor);
    m_lines.insert(
        anchor + 1, makeLine(encode(trimBlanks(key)) + equals + encode(value), conventionalLineBreak()));
    m_modified = true;
}

// A line that ends in a lone CR, once the lines after it are gone, may come to
// stand before a blank line that is a lone LF; written together they would
// make one CR LF and the blank line would vanish. The CR becomes CR LF.
void ProfileDocument::keepLineBreaksApart()
{
    const QByteArray cr = encode(u"\r");
    const QByteArray lf = encode(u"\n");
    for (qsizetype i = 0; i + 1 < m_lines.size(); ++i) {
        if (m_lines[i].lineBreak == cr && m_lines[i + 1].text.isEmpty() && m_lines[i + 1].lineBreak == lf) {
            m_lines[i].lineBreak = conventionalLineBreak();
        }
    }
}

void ProfileDocument::removeKey(QStringView section, QStringView key)
{
    const auto found = findSection(section);
    if (!found) {
        return;
    }
    if (const auto index = findKey(*found, key)) {
        m_lines.removeAt(*index);
        m_modified = true;
        keepLineBreaksApart();
    }
}

void ProfileDocument::removeSection(QStringView section)
{
    if (const auto found = findSection(section)) {
        removeLines(*found, true);
    }
}

void ProfileDocument::clearSection(QStringView section)
{
    if (const auto found = findSection(section)) {
        removeLines(*found, false);
    }
}

void ProfileDocument::removeLines(const Section &section, bool withHeader)
{
    for (qsizetype i = section.end - 1; i >= section.header; --i) {
        const Kind kind = m_lines[i].kind;
        if (kind == Kind::Entry || (withHeader && kind == Kind::Header)) {
            m_lines.removeAt(i);
            m_modified = true;
        }
    }
    keepLineBreaksApart();
}

QByteArray ProfileDocument::toBytes() const
{
    QByteArray bytes = m_byteOrderMark;
    for (const Line &line : m_lines) {
        bytes += line.text;
        bytes += line.lineBreak;
    }
    return bytes;
}

} // namespace brevane::profile
