#pragma once

#include <QStringList>

#include <optional>

namespace qcm {

// The program's commands that work without a display (an export, an import,
// the help). Returns the exit status when the arguments named such a command,
// nothing when the program is to open its windows as usual.
std::optional<int> runCommandLine(const QStringList &arguments);

} // namespace qcm
