#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace brevane::run {

// A dotted version such as "15.0.2000.5", compared part by part as numbers.
class ProductVersion
{
public:
    // nullopt for text that is not dot-separated numbers.
    static std::optional<ProductVersion> parse(const QString &text);

    // Compares the first `parts` parts only (missing parts count as 0).
    int compare(const ProductVersion &other, int parts) const;
    QString toString() const;

private:
    QList<int> m_parts;
};

} // namespace brevane::run
