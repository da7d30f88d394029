#pragma once

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <clocale>
#include <cstdlib>

// The C library's reading of a number, in the C locale: the reference numeric text is checked against.
inline bool strtodReadsWhole(const QString &text, double *value)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const QByteArray bytes = text.toLatin1();
    char *end = nullptr;
    errno = 0;
    *value = strtod_l(bytes.constData(), &end, cLocale);
    return !bytes.isEmpty() && end == bytes.constData() + bytes.size();
}

inline bool fitsInt32(double whole)
{
    return whole >= -2147483648.0 && whole <= 2147483647.0; // false for infinities and NaN
}
