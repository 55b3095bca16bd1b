#pragma once

namespace qcm {

// The program-wide settings of the application object: its name and version,
// and French for Qt's own dialogs and buttons whatever the system's language.
// No display name is set: the platform would append it to every window and
// box title.
void configureApplication();

} // namespace qcm
