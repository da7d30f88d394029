#pragma once

#include <QString>

namespace standin {

// Whether text can be converted to this Windows code page here (1252, 936, 932, 65001, ...).
bool isSupportedCodePage(int codePage);

// The text as it comes back from the code page: each character the code page cannot hold becomes
// "?", as when SQL Server stores Unicode text in its non-Unicode types.
QString throughCodePage(const QString &text, int codePage);

} // namespace standin
