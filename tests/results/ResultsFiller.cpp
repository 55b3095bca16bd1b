#include "ResultsFiller.h"

#include <QRandomGenerator>
#include <QUuid>

namespace qcm::test {

namespace {

const QStringList kDomains{QStringLiteral("Météorologie"), QStringLiteral("Aérologie"),
    QStringLiteral("Mécanique du vol"), QStringLiteral("Matériel"), QStringLiteral("Pilotage"),
    QStringLiteral("Réglementation"), QStringLiteral("Sécurité"), QStringLiteral("Facteurs humains"),
    QStringLiteral("Navigation"), QStringLiteral("Biplace")};

const QStringList kNames{QStringLiteral("Élodie Martin"), QStringLiteral("Lucas Bernard"),
    QStringLiteral("Chloé Dubois"), QStringLiteral("Hugo Thomas"), QStringLiteral("Léa Robert"),
    QStringLiteral("Nathan Richard"), QStringLiteral("Manon Petit"), QStringLiteral("Théo Durand"),
    QStringLiteral("Camille Leroy"), QStringLiteral("Jules Moreau")};

} // namespace

qint64 fillExam(ResultsStore &store, const FilledExam &filled)
{
    ExamRecord exam;
    exam.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    exam.candidate = filled.candidate;
    exam.bankPath = QStringLiteral("banque.zov");
    exam.paperKind = PaperKind::Questionnaire;
    exam.paperName = QStringLiteral("QCM du club");
    exam.durationSeconds = 3600;
    exam.maximum = int(filled.answers.size()) * kPointsPerQuestion;
    exam.passMark = (exam.maximum * filled.passPercent + 99) / 100;
    exam.started = filled.started;
    QList<int> scores;
    int mark = 0;
    for (const FilledAnswer &a : filled.answers) {
        ExamQuestion q;
        q.domainCode = a.code;
        const int d = a.code.toInt() - 1;
        q.domainName = d >= 0 && d < kDomains.size() ? kDomains.at(d) : QStringLiteral("Domaine ") + a.code;
        q.numero = a.numero;
        q.statement = QStringLiteral("Question %1.%2 : que faire ?").arg(a.code).arg(a.numero);
        q.lib[0] = QStringLiteral("Bonne réponse");
        q.lib[1] = QStringLiteral("Mauvaise réponse");
        q.val[0] = 6;
        q.val[1] = 0;
        q.ticks = a.score == kPointsPerQuestion ? 1 : 2;
        exam.questions.append(q);
        scores.append(a.score);
        mark += a.score;
    }
    if (store.createExam(exam, filled.started))
        return 0;
    if (filled.state == ExamState::InProgress)
        return exam.id;
    if (filled.state == ExamState::Abandoned)
        return store.abandon(exam.id, filled.started.addSecs(60)) ? 0 : exam.id;
    exam.state = filled.state;
    exam.ended = filled.started.addSecs(1800);
    exam.secondsUsed = 1800 + mark * 3;
    exam.mark = mark;
    return store.finish(exam, scores) ? 0 : exam.id;
}

bool fillClass(ResultsStore &store, int candidates, int examsEach, int questionsEach, int bank, quint32 seed)
{
    QRandomGenerator random(seed);
    Transaction transaction(store.connection());
    const QDateTime first(QDate(2026, 9, 1), QTime(14, 0));
    for (int c = 0; c < candidates; ++c) {
        const QString name
            = c < kNames.size() ? kNames.at(c) : QStringLiteral("Candidat %1").arg(c + 1, 3, 10, QLatin1Char('0'));
        const double talent = 0.45 + 0.35 * random.generateDouble();
        for (int x = 0; x < examsEach; ++x) {
            FilledExam exam;
            exam.candidate = name;
            exam.started = first.addDays(x * 90 / std::max(1, examsEach)).addSecs(c * 600);
            const double skill = std::min(0.97, talent + 0.3 * x / std::max(1, examsEach));
            for (int q = 0; q < questionsEach; ++q) {
                const int n = int(random.bounded(bank));
                // A few questions everybody fails, as badly worded ones are.
                const bool hard = n % 97 == 0;
                const bool right = random.generateDouble() < (hard ? 0.1 : skill);
                exam.answers.append({QString::number(n % 10 + 1), n / 10 + 1, right ? 6 : (random.bounded(3) ? 0 : 3)});
            }
            if (!fillExam(store, exam))
                return false;
        }
    }
    return transaction.commit();
}

} // namespace qcm::test
