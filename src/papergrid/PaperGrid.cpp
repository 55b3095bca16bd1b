#include "PaperGrid.h"

#include "exam/Marking.h"

#include <QRegularExpression>
#include <QUuid>

namespace qcm {

GridRow parseGridRow(const QString &typed, const ExamQuestion &question)
{
    GridRow row;
    for (const QChar c : typed) {
        if (c.isSpace())
            continue;
        const QChar letter = c.toUpper();
        if (letter < u'A' || letter >= QChar(u'A' + kChoiceCount))
            return {0, QStringLiteral("« %1 » n'est pas une réponse : tapez les lettres A à F.").arg(c)};
        const int choice = letter.unicode() - u'A';
        if (!question.hasChoice(choice))
            return {0, QStringLiteral("Cette question n'a pas de réponse %1.").arg(letter)};
        row.ticks |= quint8(1u << choice);
    }
    return row;
}

PaperGrid::PaperGrid(QList<ExamQuestion> questions) : m_questions(std::move(questions))
{
    for (ExamQuestion &q : m_questions) {
        q.ticks = 0;
        q.flagged = false;
    }
    m_typed.fill(false, m_questions.size());
}

QString PaperGrid::setRow(int row, const QString &typed)
{
    if (row < 0 || row >= rowCount())
        return QStringLiteral("Cette ligne n'est pas sur la grille.");
    const GridRow parsed = parseGridRow(typed, m_questions.at(row));
    if (!parsed.accepted())
        return parsed.refusal;
    m_questions[row].ticks = parsed.ticks;
    m_typed[row] = true;
    return {};
}

int PaperGrid::typedCount() const
{
    return int(m_typed.count(true));
}

int PaperGrid::firstUntyped() const
{
    const qsizetype i = m_typed.indexOf(false);
    return i < 0 ? rowCount() : int(i);
}

QList<int> PaperGrid::scores(NegativePoints rule) const
{
    QList<int> s;
    s.reserve(m_questions.size());
    for (const ExamQuestion &q : m_questions)
        s.append(questionScore(q, rule));
    return s;
}

int PaperGrid::mark(NegativePoints rule) const
{
    return paperMark(m_questions, rule);
}

ExamRecord PaperGrid::record(const PaperCopyDetails &details) const
{
    ExamRecord exam;
    exam.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    exam.candidate = details.candidate.trimmed();
    exam.bankPath = details.bankPath;
    exam.paperKind = PaperKind::Questionnaire;
    exam.paperName = details.paperName;
    exam.negative = details.negative;
    exam.maximum = paperMaximum(m_questions.size());
    exam.passMark = passMarkFor(exam.maximum, details.passPercent);
    exam.started = details.sat;
    exam.ended = details.sat;
    exam.state = ExamState::PaperCopy;
    exam.questions = m_questions;
    exam.mark = paperMark(exam.questions, exam.negative);
    return exam;
}

StoreError storePaperCopy(ResultsStore &store, const PaperGrid &grid, const PaperCopyDetails &details,
    const QDateTime &now, ExamRecord *stored)
{
    if (const QString why = candidateRefusal(details.candidate); !why.isEmpty())
        return StoreErrors::make(StoreErrorKind::Other, why);
    if (grid.rowCount() == 0)
        return StoreErrors::make(StoreErrorKind::Other, QStringLiteral("La grille ne contient aucune question."));
    ExamRecord exam = grid.record(details);
    if (const StoreError e = store.storePaperCopy(exam, grid.scores(details.negative), now))
        return e;
    if (stored)
        *stored = std::move(exam);
    return {};
}

} // namespace qcm
