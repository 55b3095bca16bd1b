#pragma once

#include "ConversionReport.h"
#include "TableSource.h"

#include "bank/BankModel.h"

#include <optional>

namespace qcm {

// A foreign bank made into the values of ours, with what did not carry over.
struct ConvertedBank {
    QStringList tables; // the user tables found
    QStringList missingTables; // tables of a bank that the file lacks
    QList<Domain> domains;
    QList<Question> questions; // domain and number unique, as the file's key wants
    QList<StoredQuestionnaire> questionnaires;
    QList<ConversionNote> notes;
};

// Reads the tables and fields of a bank (Questions, Domaines, QCM,
// Spécialité; Sessions and Examen are only counted), found by their names
// without regard to letter case. A missing table or field that every bank
// needs refuses the whole file: nothing, with *refusal naming it (and
// *unreadable false); so does a table that cannot be read (*unreadable true,
// the reason in *refusal). Otherwise
// every question is taken as the editor would store it (texts as they are,
// points read as whole numbers, speciality flags 0 or 1), and what was
// defaulted, refused or left out is noted with its question.
std::optional<ConvertedBank> convertTables(TableSource &source, QString *refusal, bool *unreadable = nullptr);

} // namespace qcm
