#pragma once

#include "database/Connection.h"
#include "database/Records.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace qcm {

class DataBinding;

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

// A question's place and speciality flags, without its texts: what a
// selection by speciality needs from a bank of any size.
struct QuestionFlags {
    QString code;
    qint64 numero = 0;
    std::array<int, kSpecialityCount> flags{}; // 0 or 1
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

// What a pass over the questions reads besides their code and number.
namespace QuestionParts {
inline constexpr unsigned Statement = 1;
inline constexpr unsigned Choices = 2; // texts and points
inline constexpr unsigned Flags = 4;
inline constexpr unsigned All = Statement | Choices | Flags;
} // namespace QuestionParts

// One row of Questions as a pass hands it over. A field is converted only
// when asked for, so that a pass over hundreds of thousands of questions pays
// only for what it uses. Valid during the call that receives it; the parts
// that were not read are empty.
class QuestionRow {
public:
    QString code() const;
    QByteArrayView codeUtf8() const; // valid during the call
    qint64 numero() const;
    QVariant storedNumero() const; // as the file holds it
    bool numeroIsWhole() const; // the file holds an integer
    QString statement() const;
    QByteArrayView statementUtf8() const; // valid during the call
    // A choice exists when its text is neither Null nor empty.
    bool hasChoice(int i) const;
    QString choice(int i) const; // a null text when Null
    QVariant storedPoints(int i) const; // as the file holds them
    std::optional<qint64> points(int i) const; // absent when Null or no whole number
    int flag(int speciality) const; // 0 or 1; a flag the bank lacks reads as 0
    unsigned flagBits() const; // bit k set when flag(k) is 1
    Question question() const;

private:
    friend class BankModel;
    QuestionRow(const SqliteStatement &statement, unsigned parts);

    const SqliteStatement &m_st;
    int m_statement = -1;
    int m_choices = -1;
    int m_flags = -1;
};

// The question bank as values: domains, questions and stored questionnaires,
// read and written over a connection the program already has open, without
// moving the cursor of any data binding. Fields are found by name without
// regard to case, as in every bank; a speciality flag missing from an older
// bank reads as 0. Texts compare as the file compares them. Every write of
// several rows is one transaction: on failure the file is left as it was and
// the error comes back.
class BankModel {
public:
    explicit BankModel(std::shared_ptr<Connection> connection);

    const std::shared_ptr<Connection> &connection() const { return m_connection; }

    // The table Domaines in its stored order.
    std::optional<QList<Domain>> domains(StoreError *error = nullptr) const;
    // Every question, in the bank's order (Code, then Numero).
    std::optional<QList<Question>> questions(StoreError *error = nullptr) const;
    // The questions of one domain in order.
    std::optional<QList<Question>> domainQuestions(const QString &code, StoreError *error = nullptr) const;
    // One question; nothing, with no error, when it does not exist.
    std::optional<Question> question(const QString &code, qint64 numero, StoreError *error = nullptr) const;
    // The same, only when its statement is this one too.
    std::optional<Question> questionWithStatement(
        const QString &code, qint64 numero, const QString &statement, StoreError *error = nullptr) const;
    // The question on the current row of a binding over Questions, wherever
    // its query put it; nothing when it has no current row.
    std::optional<Question> currentQuestion(const DataBinding &binding, StoreError *error = nullptr) const;
    // Hands every question to visit in the bank's order, with the parts asked
    // for. The visit must not read the bank itself.
    bool forEachQuestion(
        unsigned parts, const std::function<void(const QuestionRow &)> &visit, StoreError *error = nullptr) const;
    // The same in the order the file stores them, cheaper: for a pass whose
    // outcome does not hang on the order.
    bool forEachStoredQuestion(
        unsigned parts, const std::function<void(const QuestionRow &)> &visit, StoreError *error = nullptr) const;
    // Whether Questions carries all six speciality flags.
    std::optional<bool> hasSpecialityFlags(StoreError *error = nullptr) const;
    // How many questions a domain holds, counted by the file's index.
    std::optional<qint64> questionCount(const QString &code, StoreError *error = nullptr) const;
    // The number that the domain's order puts last, read from the file's
    // index; no value inside when the domain holds no question.
    std::optional<std::optional<QVariant>> lastNumero(const QString &code, StoreError *error = nullptr) const;
    // Every question's place and flags, in the bank's order.
    std::optional<QList<QuestionFlags>> questionFlags(StoreError *error = nullptr) const;

    // The distinct names of the stored questionnaires, in order.
    std::optional<QStringList> questionnaireNames(StoreError *error = nullptr) const;
    // One questionnaire, its rows in stored order; nothing, with no error,
    // when no row carries that name.
    std::optional<StoredQuestionnaire> questionnaire(const QString &name, StoreError *error = nullptr) const;
    // Every questionnaire, by name. Rows without a name belong to none.
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
    // Removes the question; *removed tells whether there was one.
    StoreError removeQuestion(const QString &code, qint64 numero, bool *removed = nullptr);

private:
    const TableInfo *table(const QString &name, StoreError *error) const;
    bool readQuestions(unsigned parts, const QStringList &keys, const QVariantList &values, bool bankOrder,
        const std::function<void(const QuestionRow &)> &visit, StoreError *error) const;
    std::optional<QList<Question>> questionList(
        const QStringList &keys, const QVariantList &values, StoreError *error) const;
    std::optional<QList<StoredQuestionnaire>> readQuestionnaires(
        const std::optional<QString> &name, StoreError *error) const;

    std::shared_ptr<Connection> m_connection;
};

} // namespace qcm
