#pragma once

namespace qcm {

// Shift+F10 opens the context menu of the control that has the focus, as the
// Menu key does, in every window of the program.
void installShiftF10Menus();

} // namespace qcm
