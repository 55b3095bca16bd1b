#pragma once

#include "bank/BankModel.h"

#include <QList>
#include <QString>

#include <optional>

namespace qcm {

// The selection formula handed to the report engine. Only two forms exist:
// empty (every stored questionnaire) and {QCM.NomQCM} = "name", the name
// written as it is, quotes included.
struct SelectionFormula {
    bool accepted = false;
    std::optional<QString> name; // absent: every questionnaire
    QString error; // French, when refused

    static SelectionFormula parse(const QString &formula);
};

// Reads the questionnaires through the bank model from a database file opened
// read-only: the one named, or every one ordered by name. Returns nothing on
// failure, with a French reason in *error.
std::optional<QList<StoredQuestionnaire>> readQuestionnaires(
    const QString &path, const std::optional<QString> &name, QString *error);

} // namespace qcm
