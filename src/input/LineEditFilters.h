#pragma once

class QLineEdit;

namespace qcm {

// Puts everything the user enters into edit through FilterKey in the given
// mode (see FilterMode), as if each character had been typed on its own:
// typed keys are replaced or discarded, and text pasted (keyboard, context
// menu, middle button), dropped or committed by an input method keeps only
// what typing the same characters one by one would keep. Pasted control
// characters are dropped. Enter moves the focus on as Tab does. Text the
// program sets is left as it is. Installing again changes the mode.
void installKeyFilter(QLineEdit *edit, int mode);

// Runs DateAutoSlash on every change of edit's text, the program's own
// included, and puts the rewritten text back. DatePreviousLength is the state
// shared by the date fields; it must outlive edit. The rewrite happens while
// textChanged is being emitted, so a slot connected after this one may get
// the superseded text once more after the new one: such slots read
// edit->text() rather than the signal's argument.
void installDateAutoSlash(QLineEdit *edit, int &DatePreviousLength);

} // namespace qcm
