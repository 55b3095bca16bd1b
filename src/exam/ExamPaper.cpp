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

QList<QuestionFlags> eligibleQuestions(const QList<QuestionFlags> &bank, const std::array<int, kSpecialityCount> &boxes)
{
    QList<QuestionFlags> eligible;
    for (const QuestionFlags &q : bank) {
        bool match = false;
        for (int s = 0; s < kSpecialityCount && !match; ++s)
            match = boxes[size_t(s)] && q.flags[size_t(s)] == 1;
        if (match)
            eligible.append(q);
    }
    return eligible;
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

Paper drawPaper(const BankModel &bank, const QList<QuestionFlags> &eligible, int n, const std::function<double()> &rnd)
{
    if (n < 1)
        return refused(QStringLiteral("Indiquez un nombre de questions d'au moins 1."));
    if (eligible.size() < n)
        return refused(eligible.isEmpty()
                ? QStringLiteral("Aucune question de la banque ne correspond aux spécialités cochées.")
                : QStringLiteral("Les spécialités cochées ne comptent que %1 question%2 : choisissez-en au plus %1, "
                                 "ou cochez d'autres spécialités.")
                      .arg(eligible.size())
                      .arg(eligible.size() > 1 ? QStringLiteral("s") : QString()));
    QStringList domainOf;
    domainOf.reserve(eligible.size());
    for (const QuestionFlags &q : eligible)
        domainOf.append(q.code);
    const QHash<QString, QString> names = domainNames(bank);
    Paper paper;
    for (int i : balancedDraw(domainOf, n, rnd)) {
        StoreError e;
        const std::optional<Question> q = bank.question(eligible.at(i).code, eligible.at(i).numero, &e);
        if (!q)
            return refused(e ? QStringLiteral("La question %1.%2 n'a pas pu être lue dans la banque : %3")
                                   .arg(eligible.at(i).code)
                                   .arg(eligible.at(i).numero)
                                   .arg(e.description)
                             : QStringLiteral("La question %1.%2 a été supprimée de la banque entre-temps : "
                                              "recommencez le tirage.")
                                   .arg(eligible.at(i).code)
                                   .arg(eligible.at(i).numero));
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
