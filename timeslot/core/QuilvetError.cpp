#include "QuilvetError.h"

namespace quilvet {

Error::Error(qint32 number, QString description, QString source)
    : m_number(number)
    , m_description(std::move(description))
    , m_source(std::move(source))
{
    m_what = (QString::number(m_number) + QLatin1Char(':') + m_description).toStdString();
}

Error Error::invalidSlotCount()
{
    // One ideographic space (U+3000) stands between "Max" and the Chinese text.
    return Error(ErrorNumber::InvalidSlotCount,
        QStringLiteral("Max\u3000必需是24的整数倍,如：24(Step=60分钟),48,72,96,144,288(Step=5分钟)"));
}

Error Error::typeMismatch()
{
    return Error(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
}

Error Error::overflow()
{
    return Error(ErrorNumber::Overflow, QStringLiteral("Overflow"));
}

Error Error::invalidPropertyValue()
{
    return Error(ErrorNumber::InvalidPropertyValue, QStringLiteral("Invalid property value"));
}

Error Error::subscriptOutOfRange()
{
    return Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
}

} // namespace quilvet
