#pragma once

#include "database/Connection.h"
#include "database/Records.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

namespace qcm {

// A stored questionnaire: its rows as the table QCM holds them, in stored
// order, and what every row repeats. The composer reopens it and the reports
// print it; both read this one type.
struct StoredQuestionnaire {
    QString name;
    QString date; // "dd/mm/yyyy", as stored
    // Its certificate title: from its rows, or from the table Spécialité for
    // rows written before a title was known. Empty when there is none.
    QString speciality;
    bool hasSpeciality = false; // a title is stored, even an empty one
    std::array<int, kSpecialityCount> boxes{}; // the speciality boxes ticked, 0 or 1
    QList<QcmRow> rows;
};

// How a batch of questions meets those already stored under the same domain
// and number.
enum class ExistingQuestions { Keep, Replace };

// What a batch write did.
struct BankWriteSummary {
    int domainsAdded = 0;
    int questionsAdded = 0;
    int questionsReplaced = 0;
    int questionsKept = 0; // already stored and left as they were
};

// The question bank as values: domains, questions and stored questionnaires,
// read and written over the connection the program already has open, without
// moving the cursor of any data binding. Fields are found by name without
// regard to case, as in every bank; a speciality flag missing from an older
// bank reads as 0. Every write of several rows is one transaction: on failure
// the file is left as it was and the error comes back.
class BankModel {
public:
    explicit BankModel(std::shared_ptr<Connection> connection);

    const std::shared_ptr<Connection> &connection() const { return m_connection; }

    // The table Domaines in its stored order.
    std::optional<QList<Domain>> domains(StoreError *error = nullptr) const;
    // Every question, in the bank's order (Code, then Numero).
    std::optional<QList<Question>> questions(StoreError *error = nullptr) const;
    // The questions of one domain in order; the code matches without regard to case.
    std::optional<QList<Question>> domainQuestions(const QString &code, StoreError *error = nullptr) const;
    // One question; nothing, with no error, when it does not exist.
    std::optional<Question> question(const QString &code, qint64 numero, StoreError *error = nullptr) const;
    // How many questions a domain holds, counted by the file's index.
    std::optional<qint64> questionCount(const QString &code, StoreError *error = nullptr) const;

    // The distinct names of the stored questionnaires, in order.
    std::optional<QStringList> questionnaireNames(StoreError *error = nullptr) const;
    // One questionnaire (its name matched as the file matches it); nothing,
    // with no error, when no row carries that name.
    std::optional<StoredQuestionnaire> questionnaire(const QString &name, StoreError *error = nullptr) const;
    // Every questionnaire, by name.
    std::optional<QList<StoredQuestionnaire>> questionnaires(StoreError *error = nullptr) const;

    // Adds the question, or replaces the one stored under its domain and number.
    StoreError saveQuestion(const Question &question);
    // Adds the domains that are missing (by code; an existing one keeps its
    // name) and the questions, keeping or replacing those already stored. One
    // transaction.
    StoreError saveBatch(const QList<Domain> &domains, const QList<Question> &questions, ExistingQuestions existing,
        BankWriteSummary *summary = nullptr);
    // Replaces every row of the questionnaire's name and its Spécialité row. One transaction.
    StoreError saveQuestionnaire(const StoredQuestionnaire &questionnaire);
    StoreError removeQuestion(const QString &code, qint64 numero);

private:
    struct Columns;
    const TableInfo *questionsTable(StoreError *error) const;
    std::optional<QList<Question>> readQuestions(
        const QString &where, const QVariantList &values, StoreError *error) const;
    std::optional<QList<StoredQuestionnaire>> readQuestionnaires(
        const std::optional<QString> &name, StoreError *error) const;
    bool writeQuestion(
        const Columns &columns, const Question &question, ExistingQuestions existing, bool *added, StoreError *error);

    std::shared_ptr<Connection> m_connection;
};

} // namespace qcm
