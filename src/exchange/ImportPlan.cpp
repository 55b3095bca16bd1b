#include "ImportPlan.h"

#include <QSet>

namespace qcm {

namespace {

// Free codes are given in the order the editor's list shows domains.
const QString kCodeOrder = QStringLiteral("1234567890");

bool isDomainCode(const QString &code)
{
    return code.size() == 1 && code.at(0) >= u'0' && code.at(0) <= u'9';
}

QString reasonOf(const Refusal &refusal)
{
    QString message = refusal.box.message;
    message.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    if (refusal.box.title == QStringLiteral("Saisie incomplète !"))
        message += QStringLiteral(" (le fichier n'en donne aucune à cette question)");
    const QString field = Exchange::fieldName(refusal.focus);
    return field.isEmpty() ? message : field + QStringLiteral(" : ") + message;
}

} // namespace

bool sameQuestion(const Question &a, const Question &b)
{
    return a.code.compare(b.code, Qt::CaseInsensitive) == 0 && a.numero == b.numero && a.libelle == b.libelle
        && a.lib == b.lib && a.val == b.val && a.flags == b.flags;
}

ImportPlanner::ImportPlanner(ExchangeRead read) : m_read(std::move(read)) { }

bool ImportPlanner::load(const BankModel &bank, StoreError *error)
{
    const auto domains = bank.domains(error);
    if (!domains)
        return false;
    m_bankDomains = *domains;
    // The domains the file may land in: every code it names, every bank
    // domain whose name it names, and the codes a new domain may be given.
    QSet<QString> codes;
    for (QChar c : kCodeOrder)
        codes.insert(QString(c));
    auto named = [this, &codes](const QString &code, const QString &name) {
        if (!code.trimmed().isEmpty()) {
            codes.insert(code.trimmed().toCaseFolded());
            return;
        }
        const QString wanted = Exchange::foldedName(name.isEmpty() ? Exchange::defaultDomainName() : name);
        for (const Domain &d : std::as_const(m_bankDomains))
            if (Exchange::foldedName(d.libelle) == wanted)
                codes.insert(d.code.toCaseFolded());
    };
    for (const Domain &d : std::as_const(m_read.domains))
        named(d.code, d.libelle);
    for (const ReadQuestion &q : std::as_const(m_read.questions))
        named(q.entry.txt[Field::Code], q.entry.txt[Field::Title]);
    m_stored.clear();
    m_highestNumber.clear();
    for (const QString &code : std::as_const(codes)) {
        if (code.size() > 1)
            continue; // no such code can be stored
        const auto questions = bank.domainQuestions(code, error);
        if (!questions)
            return false;
        if (questions->isEmpty())
            continue;
        auto &byNumber = m_stored[code];
        for (const Question &q : *questions) {
            byNumber.insert(q.numero, q);
            m_highestNumber[code] = std::max(m_highestNumber.value(code), q.numero);
        }
    }
    return true;
}

ImportPlan ImportPlanner::plan(const std::array<bool, kSpecialityCount> &givenSpecialities) const
{
    ImportPlan plan;
    plan.format = m_read.format;
    plan.refused = m_read.refused;
    plan.notes = m_read.notes;
    plan.questionsRead = int(m_read.questions.size() + m_read.refused.size());

    // Domains: the bank's, then those the import creates.
    QHash<QString, Domain> byCode; // folded code
    QHash<QString, QString> codeByName; // folded name -> code
    for (const Domain &d : m_bankDomains) {
        byCode.insert(d.code.toCaseFolded(), d);
        codeByName.insert(Exchange::foldedName(d.libelle), d.code);
    }
    QSet<QString> usedCodes(byCode.keyBegin(), byCode.keyEnd());
    for (auto it = m_stored.cbegin(); it != m_stored.cend(); ++it)
        usedCodes.insert(it.key());
    for (const ReadQuestion &q : m_read.questions)
        if (isDomainCode(q.entry.txt[Field::Code].trimmed()))
            usedCodes.insert(q.entry.txt[Field::Code].trimmed().toCaseFolded());
    for (const Domain &d : m_read.domains)
        if (isDomainCode(d.code.trimmed()))
            usedCodes.insert(d.code.trimmed().toCaseFolded());
    QList<Domain> created;
    QSet<QString> fileDomains, renamedNoted;
    QString why;
    auto resolve = [&](const QString &givenCode, const QString &givenName) -> std::optional<Domain> {
        const QString code = givenCode.trimmed();
        // A domain's name is one line, as the editor types it.
        QString name = Exchange::plainLineBreaks(givenName);
        name.replace(u'\n', u' ');
        name = name.trimmed();
        if (!code.isEmpty()) {
            if (!isDomainCode(code)) {
                why = QStringLiteral("code de domaine « %1 » : le code d'un domaine est un chiffre de 0 à 9.")
                          .arg(code.left(20));
                return std::nullopt;
            }
            fileDomains.insert(code.toCaseFolded());
            if (const auto found = byCode.constFind(code.toCaseFolded()); found != byCode.cend()) {
                if (!name.isEmpty() && Exchange::foldedName(name) != Exchange::foldedName(found->libelle)
                    && !renamedNoted.contains(found->code)) {
                    renamedNoted.insert(found->code);
                    plan.notes.append(QStringLiteral("Le domaine %1 garde le nom qu'il a dans la banque, « %2 » (le "
                                                     "fichier le nomme « %3 »).")
                                          .arg(found->code, found->libelle, name));
                }
                return *found;
            }
            const Domain d{code, name.isEmpty() ? QStringLiteral("Domaine %1").arg(code) : name};
            byCode.insert(code.toCaseFolded(), d);
            codeByName.insert(Exchange::foldedName(d.libelle), code);
            created.append(d);
            return d;
        }
        const QString wanted = name.isEmpty() ? Exchange::defaultDomainName() : name;
        if (const auto found = codeByName.constFind(Exchange::foldedName(wanted)); found != codeByName.cend()) {
            fileDomains.insert(found->toCaseFolded());
            return byCode.value(found->toCaseFolded());
        }
        for (QChar c : kCodeOrder) {
            const QString free(c);
            if (usedCodes.contains(free))
                continue;
            usedCodes.insert(free);
            const Domain d{free, wanted};
            byCode.insert(free, d);
            codeByName.insert(Exchange::foldedName(wanted), free);
            created.append(d);
            fileDomains.insert(free);
            return d;
        }
        why = QStringLiteral("domaine « %1 » : aucun code de domaine n'est libre (la banque et le fichier occupent "
                             "déjà les dix codes de 0 à 9).")
                  .arg(wanted);
        return std::nullopt;
    };

    // The file's domains first, so that new ones are made in its order.
    for (const Domain &d : m_read.domains)
        resolve(d.code, d.libelle);
    QSet<QString> emptyInFile;
    for (const Domain &d : m_read.emptyDomains)
        if (const auto resolved = resolve(d.code, d.libelle))
            emptyInFile.insert(resolved->code.toCaseFolded());

    // Each question's domain, then its number.
    struct Pending {
        const ReadQuestion *read;
        Domain domain;
        std::optional<qint64> number; // nothing: to be given
    };
    QList<Pending> pending;
    pending.reserve(m_read.questions.size());
    QHash<QString, qint64> highest = m_highestNumber;
    for (const ReadQuestion &q : m_read.questions) {
        const auto domain = resolve(q.entry.txt[Field::Code], q.entry.txt[Field::Title]);
        if (!domain) {
            plan.refused.append({q.where, why});
            continue;
        }
        const QString key = domain->code.toCaseFolded();
        std::optional<qint64> number;
        const QString numberText = q.entry.txt[Field::Number];
        if (!numberText.isEmpty()) {
            number = wholeNumber(numberText);
            if (number && *number >= 1 && *number <= kHighestQuestionNumber)
                highest[key] = std::max(highest.value(key), *number);
            else
                number = -1; // refused by the rules, under the number as written
        }
        pending.append({&q, *domain, number});
    }
    plan.domainsRead = int(fileDomains.size());

    QHash<QString, QHash<qint64, QString>> seen; // folded code -> number -> where
    QSet<QString> receiving;
    // Stored questions of a domain by their statement.
    QHash<QString, QMultiHash<QString, const Question *>> byStatement;
    auto storedAlike = [&](const QString &key, const EditorEntry &entry) -> const Question * {
        const auto domain = m_stored.constFind(key);
        if (domain == m_stored.cend())
            return nullptr;
        auto &index = byStatement[key];
        if (index.isEmpty())
            for (const Question &q : *domain)
                index.insert(q.libelle, &q);
        for (auto it = index.constFind(entry.txt[Field::Statement]);
             it != index.cend() && it.key() == entry.txt[Field::Statement]; ++it) {
            const Question &q = **it;
            bool same = true;
            for (int k = 0; k < kChoiceCount && same; ++k)
                same = q.lib[size_t(k)] == entry.txt[size_t(Field::choiceText(k))];
            if (same)
                return &q;
        }
        return nullptr;
    };
    for (Pending &p : pending) {
        const QString key = p.domain.code.toCaseFolded();
        EditorEntry entry = p.read->entry;
        entry.txt[Field::Code] = p.domain.code;
        entry.txt[Field::Title] = p.domain.libelle;
        if (!p.number) {
            // Without a number, a question stored already word for word is
            // that one: importing the same file twice adds nothing.
            if (const Question *same = storedAlike(key, entry)) {
                entry.txt[Field::Number] = QString::number(same->numero);
                if (std::none_of(entry.specialities.cbegin(), entry.specialities.cend(), [](bool b) { return b; }))
                    entry.specialities = givenSpecialities;
                if (!saveRefusal(entry) && sameQuestion(*same, questionFromEntry(entry))) {
                    ++plan.unchanged;
                    receiving.insert(key);
                    continue;
                }
                entry.txt[Field::Number].clear();
            }
            const qint64 next = highest.value(key) + 1;
            if (next > kHighestQuestionNumber) {
                plan.refused.append(
                    {p.read->where, QStringLiteral("le domaine %1 n'a plus de numéro libre.").arg(p.domain.code)});
                continue;
            }
            highest[key] = next;
            p.number = next;
            entry.txt[Field::Number] = QString::number(next);
        }
        if (*p.number > 0) {
            auto &numbers = seen[key];
            if (const auto first = numbers.constFind(*p.number); first != numbers.cend()) {
                plan.refused.append({p.read->where,
                    QStringLiteral("même domaine (%1) et même numéro (%2) que la question de %3.")
                        .arg(p.domain.code)
                        .arg(*p.number)
                        .arg(*first)});
                continue;
            }
            numbers.insert(*p.number, p.read->where);
        }
        if (std::none_of(entry.specialities.cbegin(), entry.specialities.cend(), [](bool b) { return b; })) {
            ++plan.withoutSpeciality;
            entry.specialities = givenSpecialities;
        }
        if (const auto refusal = saveRefusal(entry)) {
            plan.refused.append({p.read->where, reasonOf(*refusal)});
            continue;
        }
        const Question question = questionFromEntry(entry);
        receiving.insert(key);
        const Question *stored = nullptr;
        if (const auto domain = m_stored.constFind(key); domain != m_stored.cend())
            if (const auto found = domain->constFind(question.numero); found != domain->cend())
                stored = &*found;
        if (!stored)
            plan.added.append({p.read->where, question, p.domain.libelle});
        else if (sameQuestion(*stored, question))
            ++plan.unchanged;
        else
            plan.replacements.append({p.read->where, question, *stored, p.domain.libelle});
    }
    // A new domain is created when a question goes in it, or when the file
    // has it without any question (an empty domain travels too).
    for (const Domain &d : std::as_const(created))
        if (receiving.contains(d.code.toCaseFolded()) || emptyInFile.contains(d.code.toCaseFolded()))
            plan.newDomains.append(d);
    return plan;
}

StoreError applyImport(BankModel &bank, const ImportPlan &plan, ExistingQuestions existing, BankWriteSummary *summary)
{
    QList<Question> questions;
    questions.reserve(plan.added.size() + plan.replacements.size());
    for (const PlannedQuestion &q : plan.added)
        questions.append(q.question);
    if (existing == ExistingQuestions::Replace)
        for (const PlannedReplacement &r : plan.replacements)
            questions.append(r.incoming);
    // An absent choice is stored Null, as the editor and the older banks have it.
    for (Question &q : questions)
        for (QString &text : q.lib)
            if (text.isEmpty())
                text = QString();
    return bank.saveBatch(plan.newDomains, questions, existing, summary);
}

} // namespace qcm
