#pragma once

namespace qcm {

// The program-wide settings of the application object: its name and version,
// French for Qt's own dialogs and buttons whatever the system's language, and
// Shift+F10 for the context menus.
// No display name is set: the platform would append it to every window and
// box title.
void configureApplication();

} // namespace qcm
