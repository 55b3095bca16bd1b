#pragma once

#include "Schema.h"

namespace qcm {

// Reads the reviewable text form of a question bank (see data/banque-exemple.txt).
// On failure, *error names the line and what is wrong with it.
bool parseBankText(const QString &text, BankContent &out, QString *error);

} // namespace qcm
