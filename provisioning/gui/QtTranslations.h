#pragma once

#include "MessageTable.h"

namespace brevane {

// Puts Qt's own texts (the buttons of message boxes, the file dialogs) into
// the language the message table speaks, so that a window never mixes two
// languages. English needs no translation; a language whose translation is not
// installed leaves Qt's texts English. Replaces what an earlier call installed.
void installQtTranslations(LanguageId language);

} // namespace brevane
