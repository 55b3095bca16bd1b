// The consistency check of the points: a walk through the whole bank that
// stops on each faulty question and shows it in the editor for correction.
#include "PointsCheck.h"

#include "QuestionEditor.h"
#include "backup/BankBackups.h"
#include "database/Sqlite.h"

#include <limits>

namespace qcm {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kHowTo = QStringLiteral("Pour éditer la question et la modifier, clique sur 'Modifier'. Pour continuer "
                                      "sans modifier la question, clique sur 'Annuler'.");
const QString kPointsTitle = QStringLiteral("Erreur de points");

enum Answer { Modify = 0, Abandon = 1, CloseBox = 2 };

} // namespace

namespace PointsCheckText {

QString introduction()
{
    return QStringLiteral("Cette option va vérifier les incompatibilités suivantes :") + kCrLf + kCrLf
        + QStringLiteral(" - Questions dont le total des points positifs est différent de 6,") + kCrLf
        + QStringLiteral(" - Questions avec des réponses sans points,") + kCrLf
        + QStringLiteral(" - Questions avec des points sans réponses,") + kCrLf
        + QStringLiteral(" - Elle supprimera d'office les 0 inutiles quand il n'y a pas de réponse.") + kCrLf + kCrLf
        + QString(40, u' ') + QStringLiteral("On y va ?");
}

QString answerWithoutPoints(const QString &reference)
{
    return QStringLiteral("J'ai une réponse sans point à la question ") + reference + u'.' + kCrLf + kCrLf + kHowTo
        + kCrLf;
}

QString pointsWithoutAnswer(const QString &reference)
{
    return QStringLiteral("J'ai des points sans réponse à la question ") + reference + u'.' + kCrLf + kCrLf + kHowTo;
}

QString wrongTotal(const QString &reference, qint64 total)
{
    return QStringLiteral("Erreur dans les points de la question ") + reference + u'.' + kCrLf
        + QStringLiteral("Je trouve un total de %1 points. Il faut 6 points positifs par question.").arg(total) + kCrLf
        + kCrLf + kHowTo;
}

QString finished(qint64 errors)
{
    return errors == 0 ? QStringLiteral("Le contrôle des incompatibilités est terminé. Il n'y en avait aucune. Bravo !")
                       : QStringLiteral("Le contrôle des incompatibilités est terminé. Il y en avait %1.").arg(errors);
}

} // namespace PointsCheckText

bool readCheckedRows(const BankModel &bank, std::vector<CheckedRow> &rows, StoreError *error)
{
    rows.clear();
    return bank.forEachQuestion(
        QuestionParts::Choices,
        [&rows](const QuestionRow &question) {
            CheckedRow row;
            row.code = question.code();
            row.numero = question.numero();
            for (int k = 0; k < kChoiceCount; ++k) {
                row.hasText[size_t(k)] = question.hasChoice(k);
                row.val[size_t(k)] = question.points(k);
            }
            rows.push_back(std::move(row));
        },
        error);
}

void QuestionEditor::CheckPoints()
{
    DialogService &dialogs = m_state.dialogs();
    if (!m_state.CheckInProgress
        && dialogs.MoxBox(PointsCheckText::introduction(), Icon::Information,
               QStringLiteral("Contrôle des incompatibilités"), QStringLiteral("Oui"), QStringLiteral("Annuler"))
            == 1)
        return;
    m_state.CheckInProgress = true;
    m_zerosBackedUp = false;
    // Every run starts again from the first question, also after a stop.
    DataBinding &que = m_state.datQue;
    que.setRecordSource(Queries::wholeBank());
    que.refresh();
    std::vector<CheckedRow> rows;
    StoreError failure;
    if (!readCheckedRows(m_state.bank(), rows, &failure)) {
        m_state.CheckInProgress = false;
        reportFailure(QStringLiteral("Le contrôle des incompatibilités n'a pas pu lire les questions."), failure,
            QStringLiteral("CheckPoints"));
        return;
    }
    for (CheckedRow &row : rows)
        if (!checkQuestion(row, m_state.CheckErrorCount))
            return;
    m_state.CheckInProgress = false;
    dialogs.MoxBox(
        PointsCheckText::finished(m_state.CheckErrorCount), Icon::Information, QStringLiteral("Contrôle terminé"));
    m_state.CheckErrorCount = 0;
}

// Puts datQue on the question and shows it in the editor.
void QuestionEditor::showCheckedQuestion(const CheckedRow &row)
{
    DataBinding &que = m_state.datQue;
    if (!que.findFirst(Criteria::questionKey(row.code, row.numero)) || que.noMatch())
        return;
    if (const std::optional<Question> q = m_state.bank().currentQuestion(que))
        showStoredQuestion(*q);
}

int QuestionEditor::pointsErrorAnswer(const QString &message, qint64 &errors, const CheckedRow &row)
{
    ++errors;
    showCheckedQuestion(row);
    return m_state.dialogs().MoxBox(
        message, Icon::Warning, kPointsTitle, QStringLiteral("Modifier"), QStringLiteral("Annuler"));
}

bool QuestionEditor::checkQuestion(CheckedRow &row, qint64 &errors)
{
    qint64 total = 0;
    for (int k = 0; k < kChoiceCount; ++k) {
        const bool hasText = row.hasText[size_t(k)];
        const auto &v = row.val[size_t(k)];
        if (hasText && v) {
            // Capped so that absurd stored values cannot wrap the total.
            if (*v > 0)
                total += std::min<qint64>(*v, std::numeric_limits<qint64>::max() / (2 * kChoiceCount));
        } else if (hasText || (v && *v != 0)) {
            const QString reference = row.reference();
            const int answer = pointsErrorAnswer(hasText ? PointsCheckText::answerWithoutPoints(reference)
                                                         : PointsCheckText::pointsWithoutAnswer(reference),
                errors, row);
            if (answer == Modify)
                return false;
            if (answer != CloseBox) {
                m_state.CheckInProgress = false;
                return false;
            }
        } else if (v) {
            if (!removeUselessZeros(row))
                return false;
        }
    }
    if (total != 6 && pointsErrorAnswer(PointsCheckText::wrongTotal(row.reference(), total), errors, row) == Modify)
        return false;
    return true;
}

// A 0 beside no choice means nothing: the editor empties it and the row is
// stored again from the editor's fields, without a word.
bool QuestionEditor::removeUselessZeros(CheckedRow &row)
{
    DataBinding &que = m_state.datQue;
    // One copy per run, before its first removal.
    if (!std::exchange(m_zerosBackedUp, true))
        BankBackups::of(m_state).beforeBulkChange(QStringLiteral("avant contrôle des points"));
    showCheckedQuestion(row);
    for (int k = 0; k < kChoiceCount; ++k) {
        if (m_view.text(Field::choiceText(k)).isEmpty() && m_view.text(Field::choicePoints(k)) == QStringLiteral("0")) {
            m_view.setText(Field::choicePoints(k), {});
            row.val[size_t(k)].reset();
        }
    }
    StoreError failure;
    {
        Transaction transaction(m_state.connection());
        if (!transaction.isActive())
            failure = transaction.error();
        else if (que.noMatch() || !que.edit() || !writeFromFields(que))
            failure = que.lastError();
        else if (!transaction.commit())
            failure = transaction.error();
        que.cancelUpdate();
    }
    if (!failure)
        return true;
    m_state.CheckInProgress = false;
    reportFailure(QStringLiteral("Les 0 inutiles de la question %1 n'ont pas pu être supprimés : la base de données "
                                 "n'a pas pu être modifiée. Le contrôle est interrompu.")
                      .arg(row.reference()),
        failure, QStringLiteral("CheckPoints"));
    return false;
}

void QuestionEditor::showStoredQuestion(const Question &q)
{
    m_view.setText(Field::Code, q.code);
    DataBinding &dom = m_state.datDom;
    if (dom.refresh() && dom.findFirst(Criteria::domainCode(q.code)) && !dom.noMatch())
        m_view.setText(Field::Title, dom.field(QStringLiteral("Libellé")).toString());
    m_view.setText(Field::Number, QString::number(q.numero));
    // Points beside an empty choice stay in sight: they are what the check
    // found wrong, or the useless zero it removes.
    showQuestionFields(q, true);
}

} // namespace qcm
