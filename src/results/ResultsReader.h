#pragma once

#include "ResultsStats.h"

#include "database/Connection.h"

#include <memory>
#include <optional>

namespace qcm {

// A candidate's record: every exam, the success per domain over the last
// exams counted, the questions missed most often.
struct CandidateRecord {
    QString name;
    QList<ExamLine> exams; // every state, oldest first
    QList<DomainRate> domains; // weakest first
    QList<MissedQuestion> missed; // most missed first
};
inline constexpr int kRecentDomainExams = 10;

struct ClassView {
    QList<ClassLine> candidates; // by name
    QList<DomainRate> domains; // weakest first
};

struct ItemLine {
    QString code;
    qint64 numero = 0;
    QString statement; // as last sat
    int sat = 0;
    ItemStats stats;
    // As the practice window writes it: "3.12".
    QString reference() const { return code + u'.' + QString::number(numero); }
};

// The views' reads of the results file: a few statements each, values
// bound. The answers of the exams counted are kept in memory once read: an
// exam never changes once marked, so only the exams marked since, or gone,
// are read again when the file has changed.
class ResultsReader {
public:
    explicit ResultsReader(std::shared_ptr<Connection> connection);
    ~ResultsReader();
    ResultsReader(const ResultsReader &) = delete;
    ResultsReader &operator=(const ResultsReader &) = delete;

    // Every candidate of the file, by name.
    std::optional<QStringList> candidates(StoreError *error = nullptr) const;
    std::optional<CandidateRecord> candidate(const QString &name, StoreError *error = nullptr) const;
    std::optional<ClassView> classView(const DateRange &range, StoreError *error = nullptr) const;
    // The questions sat at least kMinimumSittings times in the exams counted.
    std::optional<QList<ItemLine>> items(const DateRange &range, StoreError *error = nullptr) const;

private:
    struct Answers;
    bool syncAnswers(StoreError *error) const;

    std::shared_ptr<Connection> m_connection;
    std::unique_ptr<Answers> m_answers;
};

} // namespace qcm
