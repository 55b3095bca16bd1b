#pragma once

#include "exam/ExamRecords.h"
#include "exam/ResultsStore.h"
#include "mistakes/PracticeLog.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace qcm {

// A typed row: its ticks, or why it is refused (short, in French).
struct GridRow {
    quint8 ticks = 0;
    QString refusal;

    bool accepted() const { return refusal.isEmpty(); }
};

// The letters ticked on a row of the printed grid: "AC", "ca", nothing for no
// tick; blanks are ignored. A letter that is no choice, or a choice the
// question does not have, refuses the row.
GridRow parseGridRow(const QString &typed, const ExamQuestion &question);

// Who sat the paper, when, and the rules it is marked by.
struct PaperCopyDetails {
    QString candidate;
    QString bankPath;
    QString paperName;
    QDateTime sat;
    int passPercent = 75;
    NegativePoints negative = NegativePoints::FloorEachQuestion;
};

// A paper grid being typed: one row per question of the questionnaire, in
// its order. Each row can be typed again until the grid is stored; a row
// never typed counts as no tick.
class PaperGrid {
public:
    explicit PaperGrid(QList<ExamQuestion> questions = {});

    int rowCount() const { return int(m_questions.size()); }
    const ExamQuestion &question(int row) const { return m_questions.at(row); }
    // The refusal; the row is left as it was when refused.
    QString setRow(int row, const QString &typed);
    QString rowLetters(int row) const { return tickLetters(m_questions.at(row).ticks); }
    bool isTyped(int row) const { return m_typed.at(row); }
    int typedCount() const;
    // The first row not typed yet; rowCount() when all are.
    int firstUntyped() const;

    QList<int> scores(NegativePoints rule) const;
    int mark(NegativePoints rule) const;
    // The exam as it is stored: finished, marked, state "copie papier".
    ExamRecord record(const PaperCopyDetails &details) const;

private:
    QList<ExamQuestion> m_questions;
    QList<bool> m_typed;
};

// Marks the grid and stores it as an exam of the candidate in one
// transaction; *stored receives it with its id.
StoreError storePaperCopy(ResultsStore &store, const PaperGrid &grid, const PaperCopyDetails &details,
    const QDateTime &now, ExamRecord *stored = nullptr);

} // namespace qcm
