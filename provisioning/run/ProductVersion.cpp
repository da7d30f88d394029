#include "ProductVersion.h"

#include <QStringList>

namespace brevane::run {

std::optional<ProductVersion> ProductVersion::parse(const QString &text)
{
    const QStringList pieces = text.trimmed().split(QLatin1Char('.'));
    ProductVersion version;
    for (const QString &piece : pieces) {
        bool ok = false;
        const int number = piece.toInt(&ok);
        if (!ok || number < 0)
            return std::nullopt;
        version.m_parts.append(number);
    }
    return version;
}

int ProductVersion::compare(const ProductVersion &other, int parts) const
{
    for (int i = 0; i < parts; ++i) {
        const int mine = i < m_parts.size() ? m_parts.at(i) : 0;
        const int theirs = i < other.m_parts.size() ? other.m_parts.at(i) : 0;
        if (mine != theirs)
            return mine < theirs ? -1 : 1;
    }
    return 0;
}

QString ProductVersion::toString() const
{
    QStringList pieces;
    for (const int part : m_parts)
        pieces.append(QString::number(part));
    return pieces.join(QLatin1Char('.'));
}

} // namespace brevane::run
