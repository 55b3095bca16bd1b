#pragma once

#include "ExchangeTypes.h"
#include "bank/BankModel.h"

#include <QHash>
#include <QList>

#include <array>

namespace qcm {

// A question of the file that would be stored.
struct PlannedQuestion {
    QString where;
    Question question;
    QString domainName;
};

// A question of the file that would take the place of a stored one of the
// same domain and number.
struct PlannedReplacement {
    QString where;
    Question incoming;
    Question stored;
    QString domainName;
};

// What an import would do, worked out before anything is written.
struct ImportPlan {
    ExchangeFormat format = ExchangeFormat::Csv;
    int questionsRead = 0; // questions in the file, refused ones included
    int domainsRead = 0; // distinct domains the file names
    QList<Domain> newDomains; // to be created
    QList<PlannedQuestion> added;
    QList<PlannedReplacement> replacements;
    int unchanged = 0; // stored already exactly as the file has them
    QList<ImportRefusal> refused;
    QStringList notes;
    // Questions of the file that tick no speciality: refused unless the
    // import gives them some.
    int withoutSpeciality = 0;

    bool writesSomething(ExistingQuestions existing) const
    {
        return !added.isEmpty() || !newDomains.isEmpty()
            || (existing == ExistingQuestions::Replace && !replacements.isEmpty());
    }
};

// Works out imports of one read file against the bank as it stands: the
// bank's domains and the questions of the domains the file names are read
// once, then any number of plans are made (the specialities given to the
// questions without any may change between them).
class ImportPlanner {
public:
    explicit ImportPlanner(ExchangeRead read);

    bool load(const BankModel &bank, StoreError *error);
    // Each question of the file is given its domain (by code, else by name,
    // else a new one under the next free code) and its number (the next free
    // one when it has none), then judged by the editor's rules.
    ImportPlan plan(const std::array<bool, kSpecialityCount> &givenSpecialities = {}) const;

    const ExchangeRead &read() const { return m_read; }

private:
    ExchangeRead m_read;
    QList<Domain> m_bankDomains;
    // Stored questions of the domains the file names, by folded code then number.
    QHash<QString, QHash<qint64, Question>> m_stored;
    QHash<QString, qint64> m_highestNumber;
};

// Stores what the plan adds, and with Replace what it replaces, in one
// transaction; the domains it needs are created.
StoreError applyImport(
    BankModel &bank, const ImportPlan &plan, ExistingQuestions existing, BankWriteSummary *summary = nullptr);

// Whether two questions hold the same texts, points and specialities.
bool sameQuestion(const Question &a, const Question &b);

} // namespace qcm
