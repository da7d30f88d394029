// The settings-file layer on real files: the input chooses a code page, a section, a key,
// a value and the file's bytes. Reading the file and writing it unchanged keeps every
// byte; only line breaks are refused; a write changes at most the one line of the key,
// every other line (and so every other section) keeping its bytes, and reads back as
// written unless the names are of those that read back as other names.
#include "AnsiCodePage.h"
#include "FuzzCheck.h"
#include "PrivateProfile.h"
#include "ProfileDocument.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>

using namespace brevane::profile;

namespace {

QString textFrom(FuzzedDataProvider &input, size_t maxLength)
{
    const std::string bytes = input.ConsumeRandomLengthString(maxLength);
    QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    text.remove(QChar(0)); // the platform's calls take zero-terminated texts
    return text;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\v');
}

// A value that reads back as written: reading strips blanks around it and one pair of outer quotes.
bool readsBackVerbatim(const QString &value)
{
    if (value.isEmpty())
        return true;
    if (isBlank(value.front()) || isBlank(value.back()))
        return false;
    const bool quoted = value.size() >= 2 && value.front() == value.back()
        && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''));
    return !quoted;
}

QString withoutOuterBlanks(QString name)
{
    while (name.startsWith(QLatin1Char(' ')))
        name.remove(0, 1);
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

// A name is written less its outer blanks, as the platform writes it; it reads
// back as itself unless reading cuts it: a header ends at its first "]", a key
// at its first "=", both lose outer tabs, and a key line that starts with "["
// or ";" is a header or a comment.
bool nameReadsBack(const QString &written, bool isSection)
{
    const QString name = withoutOuterBlanks(written);
    if (name.isEmpty())
        return false;
    if (isBlank(name.front()) || isBlank(name.back()))
        return false;
    if (isSection)
        return !name.contains(QLatin1Char(']'));
    return !name.contains(QLatin1Char('=')) && !name.startsWith(QLatin1Char('['))
        && !name.startsWith(QLatin1Char(';'));
}

bool isLineBreakUnit(const QByteArray &bytes, qsizetype index, bool utf16)
{
    const char byte = bytes.at(index);
    const bool breakByte = byte == '\r' || byte == '\n';
    return utf16 ? breakByte && index + 1 < bytes.size() && bytes.at(index + 1) == 0 : breakByte;
}

// Whether the part of before that after replaced lies inside one line (its break included).
bool changesAtMostOneLine(const QByteArray &before, const QByteArray &after, bool utf16)
{
    const qsizetype shorter = qMin(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before.at(prefix) == after.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix
        && before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix))
        ++suffix;
    const qsizetype unit = utf16 ? 2 : 1;
    qsizetype begin = prefix - prefix % unit;
    qsizetype end = before.size() - suffix;
    end = qMin(before.size(), end + (end - begin) % unit);
    // One line break at the end of the replaced part belongs to the replaced line.
    if (end - begin >= unit && isLineBreakUnit(before, end - unit, utf16)) {
        end -= unit;
        if (end - begin >= unit && before.at(end) == '\n' && before.at(end - unit) == '\r')
            end -= unit;
    }
    for (qsizetype i = begin; i + unit <= end; i += unit) {
        if (isLineBreakUnit(before, i, utf16))
            return false;
    }
    return true;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Connect.sys"));

    FuzzedDataProvider input(data, size);
    const AnsiCodePage codePage(input.PickValueInArray({ AnsiCodePage::WesternEuropean,
        AnsiCodePage::SimplifiedChinese, AnsiCodePage::TraditionalChinese }));
    const QString section = textFrom(input, 24);
    const QString key = textFrom(input, 24);
    const QString value = textFrom(input, 48);
    const bool fileExists = input.ConsumeBool();
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray before(rest.data(), qsizetype(rest.size()));
    fuzzContext = QStringLiteral("code page %1, section \"%2\", key \"%3\", value \"%4\"%5")
                      .arg(int(codePage.number()))
                      .arg(section, key, value, fileExists ? QString() : QStringLiteral(", no file"))
                      .toStdString();

    const ProfileDocument document(before, codePage);
    FUZZ_CHECK(document.toBytes() == before, "an unedited file keeps every byte");
    document.value(section, key);

    QFile::remove(path);
    if (fileExists) {
        QFile file(path);
        FUZZ_CHECK(
            file.open(QIODevice::WriteOnly) && file.write(before) == before.size(), "the file is written");
    }
    const PrivateProfile profile(codePage);
    const bool written = profile.writeString(section, key, value, path);
    FUZZ_CHECK(written == !PrivateProfile::refusal(section, key, value), "only line breaks are refused");
    if (!written)
        return 0;
    const QByteArray after = fileBytes(path);
    if (fileExists)
        FUZZ_CHECK(changesAtMostOneLine(before, after, document.isUnicode()), "other lines keep their bytes");
    if (!nameReadsBack(section, true) || !nameReadsBack(key, false) || !readsBackVerbatim(value))
        return 0;
    const QByteArray read = profile.readString(section, key, QStringLiteral("(default)"), 1 << 20, path);
    FUZZ_CHECK(read == codePage.encode(value), "a written value reads back");
    return 0;
}
