#include "PrivateProfile.h"

#include "AtomicFileWriter.h"
#include "ProfileDocument.h"

#include <QFile>
#include <QFileInfo>

namespace brevane::profile {

namespace {

std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes;
}

bool holdsLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

QString withoutTrailingBlanks(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ') {
        --end;
    }
    text.truncate(end);
    return text;
}

} // namespace

QByteArray PrivateProfile::readString(const QString &section, const QString &key, const QString &defaultValue,
    int bufferSize, const QString &path) const
{
    if (bufferSize <= 0) {
        return {};
    }
    std::optional<QString> found;
    if (!path.isEmpty()) {
        if (const auto bytes = readFile(path)) {
            const ProfileDocument document(*bytes, m_codePage);
            found = document.value(m_codePage.roundTrip(section), m_codePage.roundTrip(key));
        }
    }
    const QString text = found ? *found : withoutTrailingBlanks(defaultValue);
    return m_codePage.encodePrefix(text, bufferSize - 1);
}

template<typename Edit> bool PrivateProfile::edit(const QString &path, Edit &&apply) const
{
    if (path.isEmpty()) {
        return false;
    }
    const QFileInfo info(path);
    AtomicFileWriter writer(path);
    QByteArray bytes;
    const bool exists = info.exists();
    if (exists) {
        const auto contents = info.isFile() ? writer.read() : std::nullopt;
        if (!contents) {
            return false;
        }
        bytes = *contents;
    } else if (!QFileInfo(info.absolutePath()).isDir()) {
        return false;
    }

    ProfileDocument document(bytes, m_codePage);
    apply(document);
    if (exists && !document.isModified()) {
        return true;
    }
    return writer.write(document.toBytes());
}

bool PrivateProfile::writeString(const QString &section, const std::optional<QString> &key,
    const std::optional<QString> &value, const QString &path) const
{
    if (refusal(section, key, value)) {
        return false;
    }
    const QString sectionName = m_codePage.roundTrip(section);
    return edit(path, [&](ProfileDocument &document) {
        if (!key) {
            document.removeSection(sectionName);
        } else if (!value) {
            document.removeKey(sectionName, m_codePage.roundTrip(*key));
        } else {
            document.setValue(sectionName, m_codePage.roundTrip(*key), m_codePage.roundTrip(*value));
        }
    });
}

std::optional<WriteRefusal> PrivateProfile::refusal(
    const QString &section, const std::optional<QString> &key, const std::optional<QString> &value)
{
    if (holdsLineBreak(section)) {
        return WriteRefusal::SectionHoldsLineBreak;
    }
    if (key && holdsLineBreak(*key)) {
        return WriteRefusal::KeyHoldsLineBreak;
    }
    if (value && holdsLineBreak(*value)) {
        return WriteRefusal::ValueHoldsLineBreak;
    }
    return std::nullopt;
}

bool PrivateProfile::clearSection(const QString &section, const QString &path) const
{
    const QString sectionName = m_codePage.roundTrip(section);
    return edit(path, [&](ProfileDocument &document) { document.clearSection(sectionName); });
}

} // namespace brevane::profile
