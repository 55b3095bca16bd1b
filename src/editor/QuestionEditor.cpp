#include "QuestionEditor.h"

#include "backup/BankBackups.h"
#include "database/Sqlite.h"

#include <limits>

namespace qcm {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kNotChanged = QStringLiteral("la base de données n'a pas pu être modifiée.");

// Where one question is looked up by its code and number: its domain's rows,
// the same row as in the whole table, without reading the whole bank (tens of
// thousands of rows) at every step of the editor.
StoreQuery questionLookup(const QString &code)
{
    return Queries::domainInOrder(code);
}

// One statement over every question of a domain rather than a step per row,
// so that a domain of tens of thousands of questions is changed at once.
// action is the statement before its WHERE, %1 the table.
bool changeDomainQuestions(
    Connection &connection, const QString &action, const QVariantList &values, const QString &code, StoreError *error)
{
    const TableInfo *table = connection.table(QStringLiteral("Questions"), error);
    if (!table)
        return false;
    const int codeColumn = table->column(QStringLiteral("Code"));
    if (codeColumn < 0) {
        *error = StoreErrors::make(StoreErrorKind::FieldNotFound);
        return false;
    }
    SqliteStatement *st = connection.statement(action.arg(quotedIdentifier(table->name))
            + QStringLiteral(" WHERE %1 = ?").arg(quotedIdentifier(table->columns.at(codeColumn))),
        error);
    if (!st)
        return false;
    st->bindAll(values + QVariantList{code});
    const bool done = st->exec();
    if (!done)
        *error = connection.errorOf(*st);
    st->reset();
    return done;
}

bool setFlagOfDomain(
    Connection &connection, const QString &flagField, int value, const QString &code, StoreError *error)
{
    const TableInfo *table = connection.table(QStringLiteral("Questions"), error);
    if (!table)
        return false;
    const int flag = table->column(flagField);
    if (flag < 0) {
        *error = StoreErrors::make(StoreErrorKind::FieldNotFound);
        return false;
    }
    return changeDomainQuestions(connection,
        QStringLiteral("UPDATE %1 SET ") + quotedIdentifier(table->columns.at(flag)) + QStringLiteral(" = ?"), {value},
        code, error);
}

} // namespace

QuestionEditor::QuestionEditor(QCMBas &state, EditorView &view) : m_state(state), m_view(view) { }

EditorEntry QuestionEditor::entry() const
{
    EditorEntry e;
    for (int i = 0; i < Field::Count; ++i)
        e.txt[size_t(i)] = m_view.text(i);
    for (int s = 0; s < kSpecialityCount; ++s)
        e.specialities[size_t(s)] = m_view.isChecked(s);
    return e;
}

void QuestionEditor::refuse(const Refusal &refusal)
{
    const BoxRequest &b = refusal.box;
    m_state.dialogs().MoxBox(b.message, b.icon, b.title, b.caption0, b.caption1, b.caption2, b.alignment);
    if (refusal.focus >= 0)
        m_view.setFocusTo(refusal.focus);
}

void QuestionEditor::reportFailure(const QString &sentence, const StoreError &error, const QString &procedure)
{
    m_state.dialogs().MoxBox(sentence + kCrLf + kCrLf + procedureErrorText(error, procedure), Icon::Error,
        QStringLiteral("Erreur"), QStringLiteral("OK"));
    if (m_state.offerToReopenMovedBank())
        FillEditorDomainList();
}

// ---------------------------------------------------------------------------
// Window events

void QuestionEditor::shown()
{
    // The bank may have been switched while the window was hidden.
    FillEditorDomainList();
    m_runnerSource = m_state.datQue.recordSource();
    const int position = m_state.EditorDomainIndex;
    m_view.selectDomain(position >= 0 && position < m_domains.size() ? position : -1);
    // Run here rather than left to the list's own event, so that the
    // handed-over number always comes last.
    domainSelected();
    m_view.setText(Field::Number, m_state.EditorQuestionNumber);
    LoadQuestionIntoEditor();
}

bool QuestionEditor::confirmClosing()
{
    if (!m_state.QuestionModified)
        return true;
    return m_state.dialogs().MoxBox(QStringLiteral("La saisie n'est pas enregistrée. Voulez-vous quitter quand même ?"),
               Icon::Warning, QStringLiteral("Saisie non enregistrée !"), QStringLiteral("Oui"), QStringLiteral("Non"))
        != 1;
}

void QuestionEditor::handBack()
{
    m_state.EditorQuestionNumber.clear();
    m_state.EditorDomainIndex = 0;
    const QString code = m_view.text(Field::Code);
    // Domain codes need not follow their positions (a deleted domain leaves a
    // hole), so the list entry is looked up by its code.
    const int position = domainPosition(code);
    if (position < 0) {
        // No listed domain to go back to: the practice window starts again
        // on its first domain rather than showing rows that match no entry.
        refillRunnerList();
        return;
    }
    DataBinding &que = m_state.datQue;
    que.setRecordSource(Queries::domainInOrder(code));
    que.refresh();
    Q_EMIT m_state.runnerDomainSelectRequested(position);
    // The practice window counts its questions only when the user picks a
    // domain; it must not go on with the count of the one it showed before.
    if (const qint64 count = m_state.countDomainQuestions(code); count > 0)
        m_state.QuestionCount = count;
    const auto number = wholeNumber(m_view.text(Field::Number));
    m_state.CurrentIndex = number ? runnerIndexOf(*number) : 0;
    Q_EMIT m_state.runnerQuestionRequested(m_state.CurrentIndex);
}

// The position in the domain's ordered rows of the question with this
// number, or of the last one before it (numbers may have gaps, and the
// editor often stands on a free number after a save); 0 when none is before.
qint64 QuestionEditor::runnerIndexOf(qint64 number)
{
    DataBinding &que = m_state.datQue;
    qint64 low = 0, high = que.recordCount() - 1, found = 0;
    while (low <= high) {
        const qint64 middle = low + (high - low) / 2;
        que.moveFirst();
        que.move(middle);
        if (que.field(QStringLiteral("Numero")).toLongLong() <= number) {
            found = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return found;
}

void QuestionEditor::restoreRunnerSource()
{
    if (m_runnerSource.text.isEmpty())
        return;
    m_state.datQue.setRecordSource(m_runnerSource);
    m_state.datQue.refresh();
}

void QuestionEditor::refillRunnerList()
{
    Q_EMIT m_state.fillDomainListRequested();
    // The practice window now shows its first domain through datQue.
    m_runnerSource = m_state.datQue.recordSource();
}

void QuestionEditor::domainSelected()
{
    ShowSelectedDomain();
    m_view.setText(Field::Number, NextQuestionNumber());
    ClearQuestionFields();
}

void QuestionEditor::numberLeft()
{
    if (wholeNumber(m_view.text(Field::Number)))
        LoadQuestionIntoEditor();
}

bool QuestionEditor::pointsLeft(int index)
{
    if (!Field::isPoints(index))
        return false;
    const auto refusal = pointsRangeRefusal(m_view.text(index));
    if (!refusal)
        return false;
    refuse(*refusal);
    m_view.setText(index, {});
    m_view.setFocusTo(index);
    return true;
}

void QuestionEditor::keyReleased(int index)
{
    if (index >= Field::Number && index < Field::Count)
        m_state.QuestionModified = true;
}

void QuestionEditor::groupClicked(int firstBox)
{
    const bool check = !m_view.isChecked(firstBox);
    for (int s = firstBox; s < firstBox + 3; ++s)
        m_view.setChecked(s, check);
}

void QuestionEditor::checkAllSpecialities()
{
    for (int s = 0; s < kSpecialityCount; ++s)
        m_view.setChecked(s, true);
}

bool QuestionEditor::openQuestion(const QString &code, qint64 numero)
{
    if (m_state.QuestionModified
        && m_state.dialogs().MoxBox(
               QStringLiteral(
                   "La saisie n'est pas enregistrée. Voulez-vous l'abandonner pour ouvrir la question %1.%2 ?")
                   .arg(code)
                   .arg(numero),
               Icon::Warning, QStringLiteral("Saisie non enregistrée !"), QStringLiteral("Oui"), QStringLiteral("Non"))
            != 0)
        return false;
    const int position = domainPosition(code);
    m_view.selectDomain(position);
    if (position >= 0) {
        ShowSelectedDomain();
    } else {
        // A question whose domain was deleted is still reached by its code.
        m_view.setText(Field::Code, code);
        m_view.setText(Field::Title, {});
    }
    m_view.setText(Field::Number, QString::number(numero));
    LoadQuestionIntoEditor();
    m_state.QuestionModified = false;
    return true;
}

// ---------------------------------------------------------------------------
// Domains

QString QuestionEditor::selectedCode() const
{
    const int position = m_view.selectedDomain();
    return position >= 0 && position < m_domains.size() ? m_domains.at(position).code : QString();
}

int QuestionEditor::domainPosition(const QString &code) const
{
    return qcm::domainPosition(m_domains, code);
}

void QuestionEditor::FillEditorDomainList()
{
    m_domains = m_state.domains();
    m_view.showDomains(m_domains);
}

void QuestionEditor::ShowSelectedDomain()
{
    const QString code = selectedCode();
    if (code.isEmpty())
        return;
    DataBinding &dom = m_state.datDom;
    if (!dom.refresh() || !dom.findFirst(Criteria::domainCode(code)) || dom.noMatch())
        return;
    m_view.setText(Field::Code, dom.field(QStringLiteral("Code")).toString());
    m_view.setText(Field::Title, dom.field(QStringLiteral("Libellé")).toString());
}

void QuestionEditor::SaveDomain()
{
    for (int index : {Field::Code, Field::Title}) {
        if (m_view.text(index).isEmpty()) {
            refuse({{QStringLiteral("Saisie obligatoire !"), Icon::Warning, QStringLiteral("Attention"), {}, {}, {}, 0},
                index});
            return;
        }
    }
    const QString code = m_view.text(Field::Code);
    DataBinding &dom = m_state.datDom;
    dom.refresh();
    dom.findFirst(Criteria::domainCode(code));
    bool started = false;
    if (dom.noMatch()) {
        started = dom.addNew();
    } else {
        if (m_state.dialogs().MoxBox(QStringLiteral("Ce domaine existe déjà. Le modifier ?"), Icon::Question,
                QStringLiteral("Attention"), QStringLiteral("Oui"), QStringLiteral("Non"))
            != 0)
            return;
        started = dom.edit();
    }
    if (!started || !dom.setField(QStringLiteral("Code"), code)
        || !dom.setField(QStringLiteral("Libellé"), m_view.text(Field::Title)) || !dom.update()) {
        const StoreError failure = dom.lastError();
        dom.cancelUpdate();
        reportFailure(QStringLiteral("Le domaine n'a pas été enregistré : ") + kNotChanged, failure,
            QStringLiteral("SaveDomain"));
        return;
    }
    m_view.setText(Field::Code, {});
    m_view.setText(Field::Title, {});
    m_view.setFocusTo(Field::Code);
    FillEditorDomainList();
    refillRunnerList();
}

bool QuestionEditor::deleteDomainRow(const QString &code)
{
    DataBinding &dom = m_state.datDom;
    if (!dom.refresh() || !dom.findFirst(Criteria::domainCode(code)))
        return false;
    return dom.noMatch() || dom.deleteRecord();
}

void QuestionEditor::DeleteDomain()
{
    DialogService &dialogs = m_state.dialogs();
    const int position = m_view.selectedDomain();
    const QString code = m_view.text(Field::Code);
    const QString title = m_view.text(Field::Title);
    DataBinding &dom = m_state.datDom;
    if (selectedCode().isEmpty() || !dom.refresh() || !dom.findFirst(Criteria::domainCode(code)) || dom.noMatch())
        return;

    // The close box is no choice: it deletes nothing, like "Annuler".
    const int how = dialogs.MoxBoxOrClose(QStringLiteral("Supprimer le domaine") + kCrLf + u'\'' + title + u'\'' + kCrLf
            + QStringLiteral("avec ou sans les questions qui lui sont liées ?"),
        Icon::Warning, QStringLiteral("Attention ! Suppression de domaine"), QStringLiteral("Annuler"),
        QStringLiteral("SANS les questions"), QStringLiteral("AVEC les questions"), 2);
    if (how != 1 && how != 2)
        return;

    // Every question is asked before anything is written.
    bool withQuestions = false;
    if (how == 2) {
        m_view.selectDomain(position);
        const int really = dialogs.MoxBox(QStringLiteral("Attention ! Une fois les questions supprimées, elles ne "
                                                         "seront plus récupérables ! Je les supprime réellement ?"),
            Icon::Warning, QStringLiteral("Attention !"), QStringLiteral("Non"), QStringLiteral("Supprimer !"));
        withQuestions = really != 0
            && dialogs.MoxBox(QStringLiteral("Toutes les questions du domaine n°") + code
                       + QStringLiteral(" seront supprimées.") + kCrLf
                       + QStringLiteral("Supprimer toutes les questions ?"),
                   Icon::Bin, QStringLiteral("Supprimer les questions"), QStringLiteral("Oui"), QStringLiteral("Non"))
                == 0;
    }

    // Questions deleted can be brought back from this copy; one that cannot
    // be made is said and the deletion goes on.
    if (withQuestions)
        BankBackups::of(m_state).beforeBulkChange(QStringLiteral("avant suppression d'un domaine"));

    StoreError failure;
    {
        // The domain and its questions go together or not at all.
        Transaction transaction(m_state.connection());
        bool ok = transaction.isActive();
        if (!ok)
            failure = transaction.error();
        if (ok && withQuestions) {
            // datQue finds its place again among the questions left.
            BindingPlace keeper(m_state.datQue);
            ok = changeDomainQuestions(*m_state.connection(), QStringLiteral("DELETE FROM %1"), {}, code, &failure);
        }
        if (ok && !deleteDomainRow(code)) {
            ok = false;
            failure = dom.lastError();
        }
        if (ok && !transaction.commit())
            failure = transaction.error();
    }
    if (failure) {
        // Rolled back: whatever the bindings read inside is gone.
        m_state.datQue.refresh();
        reportFailure(
            QStringLiteral("Rien n'a été supprimé : ") + kNotChanged, failure, QStringLiteral("DeleteDomain"));
    } else if (withQuestions) {
        ClearQuestionFields();
    }
    FillEditorDomainList();
    refillRunnerList();
}

// ---------------------------------------------------------------------------
// Questions

void QuestionEditor::ClearQuestionFields()
{
    for (int i = Field::Statement; i < Field::Count; ++i)
        m_view.setText(i, {});
    if (!m_view.isChecked(kKeepSpecialitiesBox))
        for (int s = 0; s < kSpecialityCount; ++s)
            m_view.setChecked(s, false);
}

void QuestionEditor::LoadQuestionIntoEditor()
{
    const auto number = wholeNumber(m_view.text(Field::Number));
    if (!number)
        return;
    ClearQuestionFields();
    DataBinding &que = m_state.datQue;
    que.setRecordSource(questionLookup(m_view.text(Field::Code)));
    if (!que.refresh() || !que.findFirst(Criteria::questionKey(m_view.text(Field::Code), *number)) || que.noMatch())
        return;
    if (const std::optional<Question> q = m_state.bank().currentQuestion(que))
        showQuestionFields(*q, false);
}

void QuestionEditor::showQuestionFields(const Question &q, bool pointsBesideEmptyChoice)
{
    m_view.setText(Field::Statement, q.libelle);
    for (int k = 0; k < kChoiceCount; ++k) {
        const QString &text = q.lib[size_t(k)];
        const auto &points = q.val[size_t(k)];
        m_view.setText(Field::choiceText(k), text);
        m_view.setText(Field::choicePoints(k),
            points && (pointsBesideEmptyChoice || !text.isEmpty()) ? QString::number(*points) : QString());
    }
    for (int s = 0; s < kSpecialityCount; ++s)
        m_view.setChecked(s, q.flags[size_t(s)] != 0);
}

bool QuestionEditor::writeFromFields(DataBinding &binding)
{
    const Question q = questionFromEntry(entry());
    bool ok = binding.setField(QStringLiteral("Code"), q.code) && binding.setField(QStringLiteral("Numero"), q.numero)
        && binding.setField(QStringLiteral("Libellé"), q.libelle);
    for (int k = 0; ok && k < kChoiceCount; ++k) {
        // An empty choice is stored as an empty text, not as no text.
        const QString &text = q.lib[size_t(k)];
        const auto &points = q.val[size_t(k)];
        ok = binding.setField(QStringLiteral("lib%1").arg(k), text.isEmpty() ? QStringLiteral("") : text)
            && binding.setField(QStringLiteral("Val%1").arg(k), points ? QVariant(*points) : QVariant());
    }
    for (int s = 0; ok && s < kSpecialityCount; ++s)
        ok = binding.setField(QString::fromLatin1(specialityInfo(Speciality(s)).flagField), q.flags[size_t(s)]);
    return ok && binding.update();
}

bool QuestionEditor::SaveQuestion()
{
    if (const auto refusal = saveRefusal(entry())) {
        refuse(*refusal);
        return false;
    }
    DataBinding &que = m_state.datQue;
    BindingPlace keeper(que);
    que.setRecordSource(questionLookup(m_view.text(Field::Code)));
    const qint64 number = *wholeNumber(m_view.text(Field::Number));
    que.refresh();
    que.findFirst(Criteria::questionKey(m_view.text(Field::Code), number));
    if (!(que.noMatch() ? que.addNew() : que.edit()) || !writeFromFields(que)) {
        const StoreError failure = que.lastError();
        que.cancelUpdate();
        keeper.restore();
        reportFailure(QStringLiteral("La question n'a pas été enregistrée : ") + kNotChanged, failure,
            QStringLiteral("SaveQuestion"));
        return false;
    }
    // While the points check is under way the editor stays on the corrected question.
    if (!m_state.CheckInProgress) {
        m_view.setText(Field::Number, QString::number(number + 1));
        LoadQuestionIntoEditor();
    }
    keeper.restore();
    m_state.QuestionModified = false;
    return true;
}

QString QuestionEditor::NextQuestionNumber()
{
    const QString code = selectedCode();
    if (code.isEmpty())
        return {};
    // Read from the index, without moving the editor's recordset: walking a
    // domain of tens of thousands of questions to its end would cost as much.
    // A domain that cannot be read gives no number rather than "1", which
    // would lead to question 1 being overwritten.
    const std::optional<std::optional<QVariant>> last = m_state.bank().lastNumero(code);
    if (!last)
        return {};
    if (!*last)
        return QStringLiteral("1");
    const qint64 number = (**last).toLongLong();
    return QString::number(number < std::numeric_limits<qint64>::max() ? number + 1 : number);
}

void QuestionEditor::PreviousQuestion()
{
    const auto number = wholeNumber(m_view.text(Field::Number));
    if (!number)
        return;
    if (*number > 1) {
        m_view.setText(Field::Number, QString::number(*number - 1));
        LoadQuestionIntoEditor();
    } else {
        m_state.dialogs().MoxBox(QStringLiteral("On est à la première question !"), Icon::Information, {});
    }
}

void QuestionEditor::NextQuestion()
{
    const auto number = wholeNumber(m_view.text(Field::Number));
    if (!number) {
        m_view.setText(Field::Number, QStringLiteral("1"));
        LoadQuestionIntoEditor();
        return;
    }
    const qint64 next = wholeNumber(NextQuestionNumber()).value_or(0);
    if (*number >= next) {
        ClearQuestionFields();
        return;
    }
    m_view.setText(Field::Number, QString::number(*number + 1));
    LoadQuestionIntoEditor();
}

void QuestionEditor::DeleteQuestion()
{
    DataBinding &que = m_state.datQue;
    BindingPlace keeper(que);
    // Looked up in its own domain: datQue may hold the practice window's
    // domain at this point, and the question may belong to another one.
    que.setRecordSource(questionLookup(m_view.text(Field::Code)));
    const auto number = wholeNumber(m_view.text(Field::Number));
    if (!number || !que.refresh() || !que.findFirst(Criteria::questionKey(m_view.text(Field::Code), *number))
        || que.noMatch()) {
        m_state.dialogs().MoxBox(QStringLiteral("Pas de question sélectionnée. Suppression impossible."), Icon::Error,
            QStringLiteral("Attention !"));
        return;
    }
    if (m_state.dialogs().MoxBox(QStringLiteral("Supprimer  cette question ?"), Icon::Bin, QStringLiteral("Attention"),
            QStringLiteral("Supprimer"), QStringLiteral("Conserver"))
        != 0)
        return;
    if (!que.deleteRecord()) {
        const StoreError failure = que.lastError();
        keeper.restore();
        reportFailure(QStringLiteral("La question n'a pas été supprimée : ") + kNotChanged, failure,
            QStringLiteral("DeleteQuestion"));
        return;
    }
    ClearQuestionFields();
}

// ---------------------------------------------------------------------------
// Batch marking

void QuestionEditor::batchMark(int box)
{
    if (box < 0 || box >= kSpecialityCount)
        return;
    DialogService &dialogs = m_state.dialogs();
    const QString code = m_view.text(Field::Code);
    const int position = m_view.selectedDomain();
    const int answer = dialogs.MoxBoxOrClose(QStringLiteral("Cette option permet de cocher ou de décocher cette case "
                                                            "pour toutes les questions du domaine sélectionné.")
            + kCrLf + QStringLiteral("On le fait ?"),
        Icon::Question, QStringLiteral("Traitement par lot"), QStringLiteral("Cocher"), QStringLiteral("Annuler"),
        QStringLiteral("Décocher"), 0);
    // The close box is no choice between ticking and unticking.
    if (answer != 0 && answer != 2) {
        dialogs.MoxBox(QStringLiteral("Opération annulée."), Icon::Information, QStringLiteral("Annulation"),
            QStringLiteral("OK"));
        return;
    }
    BankBackups::of(m_state).beforeBulkChange(QStringLiteral("avant marquage par lot"));
    const int value = answer == 0 ? 1 : 0;
    const QString flag = QString::fromLatin1(specialityInfo(Speciality(box)).flagField);
    DataBinding &que = m_state.datQue;
    StoreError failure;
    {
        Transaction transaction(m_state.connection());
        if (!transaction.isActive())
            failure = transaction.error();
        else if (setFlagOfDomain(*m_state.connection(), flag, value, code, &failure) && !transaction.commit())
            failure = transaction.error();
    }
    que.setRecordSource(Queries::wholeBank());
    que.refresh();
    if (failure)
        reportFailure(QStringLiteral("Aucune question n'a été modifiée : ") + kNotChanged, failure,
            QStringLiteral("Traitement par lot"));
    else
        dialogs.MoxBox(QStringLiteral("Opération effectuée."), Icon::Information, QStringLiteral("Traitement par lot"),
            QStringLiteral("OK"));
    m_view.selectDomain(position);
    ShowSelectedDomain();
}

} // namespace qcm
