#pragma once

#include <QString>

namespace qcm {

// Copies source over target without ever leaving a half-written target: the
// copy goes to a temporary file in the target's folder and replaces the
// target only once complete. On failure the target keeps its old content and
// *error holds a French explanation.
bool copyFileAtomic(const QString &source, const QString &target, QString *error);

} // namespace qcm
