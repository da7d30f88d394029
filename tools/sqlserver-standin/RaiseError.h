#pragma once

#include "SqlCursor.h"
#include "StatementRunner.h"

namespace standin {

// RAISERROR (text | number, severity, state [, argument ...]) [WITH option ...], from the keyword.
RaiseErrorStatement parseRaiseError(SqlCursor &cursor);
// Sends the message: 50000 for a text, as an error when the severity is above 10.
void runRaiseError(BatchState &batch, const RaiseErrorStatement &raise, int line);
// The text with its printf-style placeholders (%s, %d, %i, %u, %ls, ...) filled in order; %% is %.
QString formatRaisedText(const QString &text, const QList<SqlValue> &arguments);

} // namespace standin
