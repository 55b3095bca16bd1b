#pragma once

#include "ExchangeTypes.h"

#include <QStringList>
#include <QTextStream>

namespace qcm::Exchange {

// The import and export as commands, without a display: a French summary on
// out, errors on err. Exit status 0 on success, 1 when something was
// refused, 2 on a file or argument error.

// FORMAT BANQUE FICHIER
int exportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
// FICHIER BANQUE [--remplacer]
int importCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

// The refusals as the summaries list them, one per line, indented.
QString refusalLines(const QList<ImportRefusal> &refused, const QString &indent);

} // namespace qcm::Exchange
