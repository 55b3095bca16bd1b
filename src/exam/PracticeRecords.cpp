#include "PracticeRecords.h"

#include "Marking.h"

namespace qcm {

int practiceScore(const Question &question, quint8 ticks)
{
    ExamQuestion q;
    q.lib = question.lib;
    q.val = question.val;
    q.ticks = ticks;
    return questionScore(q, NegativePoints::FloorEachQuestion);
}

ResultsPracticeLog::ResultsPracticeLog(
    std::function<ResultsStore *(bool create)> store, std::function<QString()> bankPath, DialogService &dialogs)
    : m_store(std::move(store)), m_bankPath(std::move(bankPath)), m_dialogs(dialogs)
{
}

QStringList ResultsPracticeLog::candidates()
{
    ResultsStore *store = m_store(false);
    return store ? store->candidates().value_or(QStringList()) : QStringList();
}

std::optional<int> ResultsPracticeLog::recordCheck(const QString &candidate, const Question &question, quint8 ticks)
{
    ResultsStore *store = m_store(true);
    if (!store)
        return std::nullopt;
    const PracticeCheck check{
        candidate, m_bankPath(), question.code, question.numero, ticks, practiceScore(question, ticks)};
    if (const StoreError e = store->recordCheck(check, m_dialogs.now())) {
        m_dialogs.MoxBox(QStringLiteral("Le contrôle de la question %1.%2 n'a pas pu être enregistré pour %3 :\r\n%4")
                             .arg(question.code)
                             .arg(question.numero)
                             .arg(candidate, e.description),
            Icon::Error, QStringLiteral("Résultats"), QStringLiteral("OK"));
        return std::nullopt;
    }
    return check.score;
}

std::optional<QList<Mistake>> ResultsPracticeLog::mistakes(const QString &candidate)
{
    ResultsStore *store = m_store(false);
    if (!store)
        return QList<Mistake>();
    StoreError e;
    std::optional<QList<AnsweredQuestion>> answers = store->answerHistory(candidate, &e);
    if (!answers) {
        m_dialogs.MoxBox(
            QStringLiteral("Les erreurs de %1 n'ont pas pu être lues :\r\n%2").arg(candidate, e.description),
            Icon::Error, QStringLiteral("Résultats"), QStringLiteral("OK"));
        return std::nullopt;
    }
    return mistakeList(std::move(*answers));
}

} // namespace qcm
