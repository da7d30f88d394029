#include "SecretText.h"

#include <algorithm>
#include <sys/prctl.h>

namespace brevane {

void keepProcessOutOfDumps()
{
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

void wipeSecret(QString &text)
{
    // Text in the program's read-only data has no buffer of its own to wipe.
    if (text.data_ptr().d_ptr() != nullptr) {
        auto *characters = const_cast<QChar *>(text.constData());
        std::fill_n(characters, text.size(), QChar(0));
    }
    text.clear();
}

} // namespace brevane
