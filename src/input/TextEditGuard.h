#pragma once

#include <functional>

class QPlainTextEdit;

namespace qcm {

// Keeps the refused control characters (see ControlCharacters.h) out of what
// the user enters in a multi-line field: typed, pasted (keyboard, context
// menu, middle button), dropped or committed by an input method, the text
// goes in without them, and refused is told when some were left out. Text
// the program sets is left as it is: a bank that already holds such
// characters shows them, and the save names the field.
void installControlCharacterGuard(QPlainTextEdit *edit, std::function<void()> refused);

} // namespace qcm
