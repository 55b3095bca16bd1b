#pragma once

class QWidget;

namespace qcm {

class QCMBas;

// The editor's tools "Exporter la base…" and "Importer des questions…", with
// every box and file dialog through the dialog service.
namespace ExchangeActions {

// The whole bank or the ticked domains, to a file whose format its
// extension gives.
void exportBank(QCMBas &state, QWidget *parent);

// Reads a file, shows what the import would do, and on the user's word
// writes it in one transaction. True when the bank was changed.
bool importQuestions(QCMBas &state, QWidget *parent);

} // namespace ExchangeActions

} // namespace qcm
