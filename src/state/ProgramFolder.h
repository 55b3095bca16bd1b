#pragma once

#include <QString>

namespace qcm {

inline constexpr char kDefaultBankName[] = "VAR-irururiza.zov";

// The folder that holds the settings, the default bank and the working copy.
// A program installed with its files beside it (a portable install) uses its
// own folder; otherwise a per-user data folder, filled on first start from the
// files the program ships, without ever replacing one already there. When
// that folder cannot be created or filled, *error says so in French and the
// folder is returned all the same: the program runs without its files.
QString resolveProgramFolder(const QString &executableFolder, QString *error = nullptr);

} // namespace qcm
