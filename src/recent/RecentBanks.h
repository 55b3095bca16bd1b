#pragma once

#include "state/QCMBas.h"

#include <QString>
#include <QStringList>

namespace qcm {

// The last banks opened, most recent first, kept in the settings file
// (section "Bases récentes", keys "Base1" to "Base5") so that "Choisir une
// base" can offer them again.
namespace RecentBanks {

inline constexpr int kCount = 5;

QStringList read(const QString &settingsPath);
// Rewrites the list; on failure *error says why and the file stays as it was.
bool write(const QString &settingsPath, const QStringList &banks, QString *error = nullptr);

// The list with this bank first, each bank once, at most kCount.
QStringList withFirst(const QStringList &banks, const QString &bank);

// From now on, every bank the program binds goes first in the list.
void follow(QCMBas &state);

} // namespace RecentBanks

} // namespace qcm
