#pragma once

#include <QString>

namespace qcm {

inline constexpr char kDefaultBankName[] = "VAR-irururiza.zov";

// The folder that holds the settings, the default bank and the working copy.
// A program installed with its files beside it (a portable install) uses its
// own folder; otherwise a per-user data folder, filled on first start from the
// files the program ships, without ever replacing one already there.
QString resolveProgramFolder(const QString &executableFolder);

} // namespace qcm
