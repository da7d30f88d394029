#pragma once

#include "Failure.h"

#include <QString>

namespace brevane::db {

// Failures the access layer raises itself, with the numbers and texts callers
// of the old ADO objects know. Failures that come from the driver or the
// server are built in OdbcDiagnostics.
namespace AccessFailure {
constexpr qint32 InvalidArgument = 3001;
constexpr qint32 ItemNotFound = 3265;
constexpr qint32 ObjectClosed = 3704;
constexpr qint32 ObjectOpen = 3705;
constexpr qint32 ProviderNotFound = 3706;
constexpr qint32 ConnectionUnusable = 3709;

// The fixed text of one of the numbers above, or of FailureNumber::NoCurrentRecord.
QString text(qint32 number);

// A failure with the number's fixed text, raised by `source` ("Connection", "Recordset").
Failure make(qint32 number, const QString &source);
} // namespace AccessFailure

} // namespace brevane::db
