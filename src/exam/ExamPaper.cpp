#include "ExamPaper.h"

#include "BalancedDraw.h"
#include "Marking.h"

#include <QHash>
#include <QLocale>

namespace qcm {

namespace {

QHash<QString, QString> domainNames(const BankModel &bank)
{
    QHash<QString, QString> names;
    if (const auto domains = bank.domains())
        for (const Domain &d : *domains)
            names.insert(d.code.toCaseFolded(), d.libelle);
    return names;
}

ExamQuestion copied(const QString &code, qint64 numero, const QString &statement,
    const std::array<QString, kChoiceCount> &lib, const std::array<std::optional<qint64>, kChoiceCount> &val,
    const QHash<QString, QString> &names)
{
    ExamQuestion q;
    q.domainCode = code;
    q.domainName = names.value(code.toCaseFolded());
    q.numero = numero;
    q.statement = statement;
    q.lib = lib;
    q.val = val;
    return q;
}

Paper refused(const QString &why)
{
    Paper p;
    p.refusal = why;
    return p;
}

} // namespace

bool eligible(const QuestionFlags &question, const std::array<int, kSpecialityCount> &boxes)
{
    for (int s = 0; s < kSpecialityCount; ++s)
        if (boxes[size_t(s)] && question.flags[size_t(s)] == 1)
            return true;
    return false;
}

qsizetype eligibleCount(const QList<QuestionFlags> &bank, const std::array<int, kSpecialityCount> &boxes)
{
    return std::count_if(bank.begin(), bank.end(), [&boxes](const QuestionFlags &q) { return eligible(q, boxes); });
}

QString drawName(int n, const std::array<int, kSpecialityCount> &boxes)
{
    QStringList ticked;
    for (int s = 0; s < kSpecialityCount; ++s)
        if (boxes[size_t(s)])
            ticked.append(specialityInfo(Speciality(s)).caption);
    return QStringLiteral("Tirage de %1 question%2 – %3")
        .arg(n)
        .arg(n > 1 ? QStringLiteral("s") : QString())
        .arg(QLocale(QLocale::French).createSeparatedList(ticked));
}

Paper drawPaper(const BankModel &bank, const QList<QuestionFlags> &flags,
    const std::array<int, kSpecialityCount> &boxes, int n, const std::function<double()> &rnd)
{
    // Places in the bank and domain numbers only: no text is copied for the
    // questions left out, however big the bank.
    QList<QuestionFlags>::const_iterator previous = flags.cend();
    QList<int> pool;
    QList<int> domainOf;
    QHash<QString, int> numberOf;
    int domain = -1;
    for (auto it = flags.cbegin(); it != flags.cend(); ++it) {
        if (!eligible(*it, boxes))
            continue;
        if (previous == flags.cend() || previous->code != it->code) {
            const QString key = it->code.toCaseFolded();
            auto known = numberOf.constFind(key);
            if (known == numberOf.cend())
                known = numberOf.insert(key, int(numberOf.size()));
            domain = *known;
        }
        previous = it;
        pool.append(int(it - flags.cbegin()));
        domainOf.append(domain);
    }
    if (n < 1)
        return refused(QStringLiteral("Indiquez un nombre de questions d'au moins 1."));
    if (pool.size() < n)
        return refused(pool.isEmpty()
                ? QStringLiteral("Aucune question de la banque ne correspond aux spécialités cochées.")
                : QStringLiteral("Les spécialités cochées ne comptent que %1 question%2 : choisissez-en au plus %1, "
                                 "ou cochez d'autres spécialités.")
                      .arg(pool.size())
                      .arg(pool.size() > 1 ? QStringLiteral("s") : QString()));
    const QHash<QString, QString> names = domainNames(bank);
    Paper paper;
    for (int i : balancedDraw(domainOf, n, rnd)) {
        const QuestionFlags &place = flags.at(pool.at(i));
        StoreError e;
        const std::optional<Question> q = bank.question(place.code, place.numero, &e);
        if (!q)
            return refused(e ? QStringLiteral("La question %1.%2 n'a pas pu être lue dans la banque : %3")
                                   .arg(place.code)
                                   .arg(place.numero)
                                   .arg(e.description)
                             : QStringLiteral("La question %1.%2 a été supprimée de la banque entre-temps : "
                                              "recommencez le tirage.")
                                   .arg(place.code)
                                   .arg(place.numero));
        paper.questions.append(copied(q->code, q->numero, q->libelle, q->lib, q->val, names));
    }
    return paper;
}

Paper questionnairePaper(const BankModel &bank, const QString &name)
{
    StoreError e;
    const std::optional<StoredQuestionnaire> stored = bank.questionnaire(name, &e);
    if (!stored)
        return refused(e ? QStringLiteral("Le QCM « %1 » n'a pas pu être lu : %2").arg(name, e.description)
                         : QStringLiteral("Le QCM « %1 » n'existe plus dans la banque.").arg(name));
    if (stored->rows.isEmpty())
        return refused(QStringLiteral("Le QCM « %1 » ne contient aucune question.").arg(name));
    const QHash<QString, QString> names = domainNames(bank);
    Paper paper;
    paper.name = stored->name;
    for (const QcmRow &row : stored->rows)
        paper.questions.append(copied(row.code, row.numero, row.libelle, row.lib, row.val, names));
    return paper;
}

Paper retakePaper(const ExamRecord &done)
{
    Paper paper;
    for (ExamQuestion q : done.questions) {
        if (!missed(q, done.negative))
            continue;
        q.ticks = 0;
        q.flagged = false;
        paper.questions.append(q);
    }
    if (paper.questions.isEmpty())
        paper.refusal
            = QStringLiteral("Toutes les questions de cet examen ont obtenu 6 points : il n'y a rien à refaire.");
    const QString date = done.started.toString(QStringLiteral("dd/MM/yyyy"));
    paper.name = QStringLiteral("Questions manquées de l'examen du %1").arg(date);
    return paper;
}

} // namespace qcm
