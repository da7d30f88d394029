#pragma once

#include <QRegularExpression>
#include <QString>

namespace standin {

// Misbehaviour on demand, so tests can see how clients cope with a server that fails.
struct FaultOptions
{
    bool silent = false; // accept connections, never answer (not even PRELOGIN)
    int dropAfterStatements = -1; // answer this many batches per connection, then close on the next one
    bool dropMidRestore = false; // close the connection after the first "Processed ... pages" of a restore
    int delayMs = 0; // wait this long before answering a batch (an attention cancels it)
    QRegularExpression delayMatch; // when valid and not empty: delay only batches it matches

    bool shouldDelay(const QString &batch) const;
    // Whether the connection is to be closed on receiving batch number `batchNumber` (from 1).
    bool shouldDropAt(int batchNumber) const;
};

} // namespace standin
