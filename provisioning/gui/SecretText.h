#pragma once

#include <QString>

namespace brevane {

// Keeps a password out of reach of other processes: from the first call on,
// the process can no longer be dumped or traced by an unprivileged user.
void keepProcessOutOfDumps();

// Overwrites the characters of a text that holds a secret, then empties it.
// The buffer is shared with every copy of the text (a field's own text
// included), so those read zeros afterwards as well.
void wipeSecret(QString &text);

} // namespace brevane
