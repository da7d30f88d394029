#pragma once

#include <QByteArray>
#include <QString>

namespace hall::test {

// The bytes of the file at path; empty when it cannot be read.
QByteArray readAll(const QString &path);
// Replaces the file's contents with bytes; false when they were not all written.
bool writeAll(const QString &path, const QByteArray &bytes);

} // namespace hall::test
