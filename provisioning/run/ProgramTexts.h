#pragma once

#include "MessageTable.h"

#include <QString>

namespace brevane::run {

// The texts brevane-provision prints, from its own message table in the
// four languages of the window's, in the user's language as the window
// chooses it.
class ProgramTexts
{
public:
    static const MessageTable &table();
};

// A row by number: the events the window reports too (1046, 10042 ...),
// whose texts are the window's own.
QString programText(qint32 id);
// A row by its US English text; the text itself where the table lacks it.
QString programText(const QString &english);

} // namespace brevane::run
