#pragma once

#include "ConversionReport.h"
#include "TableSource.h"

#include <QStringList>

namespace qcm {

// The reading process, run by the program as
//   qcm --lire-access FICHIER TEMPORAIRE
// Reads the Access file FICHIER (read-only), writes the converted bank as
// the new file TEMPORAIRE and its report beside it (accessReportPath). Exit
// status 0 when converted, 1 when the file is no question bank, 2 when it
// cannot be read or the bank cannot be written; the reason is in the report
// and on the error output.
int readAccessCommand(const QStringList &arguments);

QString accessReportPath(const QString &bankPath);

// The conversion after the reading: the tables of source made into a new
// bank file with its questionnaires. Fills *report either way; false when
// nothing was converted (report->status and report->message say why).
bool writeConvertedBank(TableSource &source, const QString &bankPath, ConversionReport *report);

} // namespace qcm
