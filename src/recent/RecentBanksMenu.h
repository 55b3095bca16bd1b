#pragma once

#include "state/QCMBas.h"

#include <QMenu>

namespace qcm {

// What "Choisir une base" offers once other banks were opened before: a
// menu of the recent banks (a missing one greyed), "Parcourir…" for the
// file dialog, and the removal of the missing ones from the list. Null when
// there is nothing to offer beyond the file dialog.
QMenu *recentBanksMenu(QCMBas &state, QWidget *parent);

} // namespace qcm
