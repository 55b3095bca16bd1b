#include "Corrections.h"

#include "state/QCMBas.h"

namespace qcm::Corrections {

namespace {

const QString kPrompt = QStringLiteral("Corrigez le libellé et enregistrez votre modification en cliquant sur 'OK'");

QString ask(QCMBas &state, const QString &title, const QString &oldText)
{
    int left = 0, top = 0;
    return state.dialogs().InBox(kPrompt, title, oldText, left, top);
}

// Finds the question and stores one text field of it. A question gone from
// the file, or a write that fails, is said: the window must not show a text
// the file does not hold.
bool store(QCMBas &state, const QString &reference, const QString &field, const QString &text, const QString &procedure)
{
    const std::optional<QuestionKey> key = splitReference(reference);
    bool number = false;
    const qint64 numero = key ? key->numero.toLongLong(&number) : 0;
    if (!key || !number)
        return false;
    DataBinding &que = state.datQue;
    bool stored = false;
    if (que.refresh() && que.findFirst(Criteria::questionKey(key->code, numero))) {
        if (que.noMatch()) {
            state.dialogs().MoxBox(QStringLiteral("La question ") + reference
                    + QStringLiteral(" n'existe plus dans la base : la correction n'a pas été enregistrée."),
                Icon::Warning, QStringLiteral("Correction impossible"), QStringLiteral("OK"));
            return false;
        }
        stored = que.edit() && que.setField(field, text) && que.update();
    }
    if (stored)
        return true;
    const StoreError failure = que.lastError();
    que.cancelUpdate();
    que.refresh();
    state.dialogs().MoxBox(
        procedureErrorText(failure, procedure), Icon::Error, QStringLiteral("Erreur"), QStringLiteral("OK"));
    state.offerToReopenMovedBank();
    return false;
}

} // namespace

std::optional<QuestionKey> splitReference(const QString &reference)
{
    const qsizetype dot = reference.indexOf(u'.');
    if (dot < 0)
        return std::nullopt;
    return QuestionKey{reference.left(dot), reference.mid(dot + 1)};
}

std::optional<QString> correctStatement(QCMBas &state, const QString &reference, const QString &oldText)
{
    if (!splitReference(reference))
        return std::nullopt; // no question on view: nothing to ask for
    const QString answer = ask(state, QStringLiteral("Corriger un libellé"), oldText);
    const QString trimmed = answer.trimmed();
    if (trimmed == oldText || trimmed.isEmpty())
        return std::nullopt;
    if (!store(state, reference, QStringLiteral("Libellé"), answer, QStringLiteral("mnuPop_Click")))
        return std::nullopt;
    return answer;
}

std::optional<QString> correctChoice(QCMBas &state, const QString &reference, int slot, const QString &oldText)
{
    if (slot < 0 || slot > 5 || !splitReference(reference))
        return std::nullopt;
    const QString answer = ask(state, QStringLiteral("Corriger une réponse"), oldText);
    const QString trimmed = answer.trimmed();
    if (trimmed == oldText)
        return std::nullopt;
    if (trimmed.isEmpty()) {
        state.dialogs().MoxBox(QStringLiteral("Désolé, je ne peux pas enregistrer une réponse vide !"), Icon::Error,
            QStringLiteral("Erreur de saisie !"), QStringLiteral("OK"));
        return std::nullopt;
    }
    if (!store(state, reference, QStringLiteral("lib%1").arg(slot), answer, QStringLiteral("mnuPopRep_Click")))
        return std::nullopt;
    return answer;
}

void openInEditor(QCMBas &state, const QString &reference)
{
    const std::optional<QuestionKey> key = splitReference(reference);
    if (!key)
        return;
    bool number = false;
    const qint64 numero = key->numero.toLongLong(&number);
    if (number && state.datQue.refresh())
        state.datQue.findFirst(Criteria::questionKey(key->code, numero));
    // The editor selects a domain by its place in the domain list.
    const int position = domainPosition(state.domains(), key->code);
    if (position < 0) {
        state.dialogs().MoxBox(QStringLiteral("Le domaine « ") + key->code
                + QStringLiteral(" » de cette question n'est pas dans la liste des domaines."),
            Icon::Warning, QStringLiteral("Domaine introuvable"), QStringLiteral("OK"));
        return;
    }
    state.EditorDomainIndex = position;
    state.EditorQuestionNumber = key->numero;
    state.windows().showEditor();
}

} // namespace qcm::Corrections
