#pragma once

#include <QString>
#include <quilvet/quilvet_export.h>

#include <exception>
#include <string>

namespace quilvet {

// Error numbers the control raises or passes on by value.
namespace ErrorNumber {
constexpr qint32 Overflow = 6;
constexpr qint32 SubscriptOutOfRange = 9;
constexpr qint32 TypeMismatch = 13;
constexpr qint32 InvalidPropertyValue = 380;
constexpr qint32 InvalidSlotCount = 901;
} // namespace ErrorNumber

// The one failure type of the Quilvet library: a number, the component it
// came from and a description. It is thrown to the caller of a property
// write or of a persistence operation; the control never catches it itself.
class QUILVET_EXPORT Error : public std::exception
{
public:
    Error(qint32 number, QString description, QString source = QStringLiteral("Quilvet"));

    qint32 number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const QString &source() const noexcept { return m_source; }

    const char *what() const noexcept override { return m_what.c_str(); }

    // The refusal of a slot count that does not divide the day into whole minutes.
    static Error invalidSlotCount();
    static Error typeMismatch();
    static Error overflow();
    static Error invalidPropertyValue();
    static Error subscriptOutOfRange();

private:
    qint32 m_number;
    QString m_description;
    QString m_source;
    std::string m_what;
};

} // namespace quilvet
