#include "PropertyValue.h"

#include "HalfEven.h"
#include "NumericText.h"
#include "QuilvetError.h"

#include <cmath>
#include <limits>

namespace quilvet::PropertyValue {

namespace {

enum class Kind { Empty, Boolean, Integer, Real, Text, Other };

Kind kindOf(const QVariant &value)
{
    if (!value.isValid()) {
        return Kind::Empty;
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return Kind::Boolean;
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return Kind::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Real;
    case QMetaType::QString:
        return Kind::Text;
    default:
        return Kind::Other;
    }
}

qint32 roundedToInt32(double number)
{
    const double rounded = roundHalfEven(number);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<qint32>::min()
        || rounded > std::numeric_limits<qint32>::max()) {
        throw Error::overflow();
    }
    return static_cast<qint32>(rounded);
}

} // namespace

bool toBoolean(const QVariant &value)
{
    switch (kindOf(value)) {
    case Kind::Empty:
        return false;
    case Kind::Boolean:
        return value.toBool();
    case Kind::Integer:
        return value.toLongLong() != 0;
    case Kind::Real:
        return value.toDouble() != 0.0;
    case Kind::Text: {
        const QString text = NumericText::trimSpaces(value.toString());
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
            return true;
        }
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
            return false;
        }
        if (NumericText::isNumeric(text)) {
            return text.toDouble() != 0.0;
        }
        throw Error::typeMismatch();
    }
    case Kind::Other:
        break;
    }
    throw Error::typeMismatch();
}

qint32 toInt32(const QVariant &value)
{
    switch (kindOf(value)) {
    case Kind::Empty:
        return 0;
    case Kind::Boolean:
        return value.toBool() ? -1 : 0;
    case Kind::Integer: {
        const qlonglong number = value.toLongLong();
        if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max()) {
            throw Error::overflow();
        }
        return static_cast<qint32>(number);
    }
    case Kind::Real:
        return roundedToInt32(value.toDouble());
    case Kind::Text: {
        const QString text = NumericText::trimSpaces(value.toString());
        if (!NumericText::isNumeric(text)) {
            throw Error::typeMismatch();
        }
        return roundedToInt32(text.toDouble());
    }
    case Kind::Other:
        break;
    }
    throw Error::typeMismatch();
}

QString toText(const QVariant &value)
{
    switch (kindOf(value)) {
    case Kind::Empty:
        return QString();
    case Kind::Boolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Integer:
        return QString::number(value.toLongLong());
    case Kind::Real:
        return QString::number(value.toDouble(), 'g', 15);
    case Kind::Text:
        return value.toString();
    case Kind::Other:
        break;
    }
    throw Error::typeMismatch();
}

bool equals(const QVariant &value, const QVariant &defaultValue)
{
    const Kind a = kindOf(value);
    const Kind b = kindOf(defaultValue);
    const bool aNumber = a == Kind::Integer || a == Kind::Real;
    const bool bNumber = b == Kind::Integer || b == Kind::Real;
    if (aNumber && bNumber) {
        return value.toDouble() == defaultValue.toDouble();
    }
    if (a != b) {
        return false;
    }
    switch (a) {
    case Kind::Empty:
        return true;
    case Kind::Boolean:
        return value.toBool() == defaultValue.toBool();
    case Kind::Text:
        return value.toString() == defaultValue.toString();
    default:
        return false;
    }
}

} // namespace quilvet::PropertyValue
