// The consistency check of the points: a walk through the whole bank that
// stops on each faulty question and shows it in the editor for correction.
#include "PointsCheck.h"

#include "QuestionEditor.h"
#include "backup/BankBackups.h"
#include "database/Sqlite.h"

#include <limits>
#include <utility>

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

StoreError removeUselessZeros(const std::shared_ptr<Connection> &connection, const std::vector<UselessZeros> &zeros)
{
    Transaction transaction(connection);
    if (!transaction.isActive())
        return transaction.error();
    StoreError error;
    const TableInfo *table = connection->table(QStringLiteral("Questions"), &error);
    if (!table)
        return error;
    QStringList columns;
    for (const QString &field :
        {QStringLiteral("Code"), QStringLiteral("Numero"), QStringLiteral("Val0"), QStringLiteral("Val1"),
            QStringLiteral("Val2"), QStringLiteral("Val3"), QStringLiteral("Val4"), QStringLiteral("Val5")}) {
        const int index = table->column(field);
        if (index < 0)
            return StoreErrors::make(StoreErrorKind::FieldNotFound);
        columns.append(quotedIdentifier(table->columns.at(index)));
    }
    // One statement per question, whichever of its choices are emptied.
    QStringList sets;
    for (int k = 0; k < kChoiceCount; ++k)
        sets.append(QStringLiteral("%1 = CASE WHEN ?%2 THEN NULL ELSE %1 END").arg(columns[2 + k]).arg(k + 1));
    SqliteStatement *st = connection->statement(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?7 AND %4 = ?8")
            .arg(quotedIdentifier(table->name), sets.join(QStringLiteral(", ")), columns[0], columns[1]),
        &error);
    if (!st)
        return error;
    for (const UselessZeros &z : zeros) {
        st->reset();
        QVariantList values;
        for (bool emptied : z.choices)
            values.append(emptied ? 1 : 0);
        values << z.code << z.numero;
        st->bindAll(values);
        if (!st->exec()) {
            error = connection->errorOf(*st);
            st->reset();
            return error;
        }
    }
    st->reset();
    if (!transaction.commit())
        return transaction.error();
    return {};
}

namespace {

// What the check makes of one choice.
enum class ChoiceFinding { None, NoPoints, NoChoice, UselessZero };

ChoiceFinding choiceFinding(const CheckedRow &row, int k)
{
    const bool hasText = row.hasText[size_t(k)];
    const auto &v = row.val[size_t(k)];
    if (hasText && v)
        return ChoiceFinding::None;
    if (hasText)
        return ChoiceFinding::NoPoints;
    if (v && *v != 0)
        return ChoiceFinding::NoChoice;
    return v ? ChoiceFinding::UselessZero : ChoiceFinding::None;
}

// The positive points of the choices that have a text, each capped so that
// absurd stored values cannot wrap the total.
qint64 positiveTotal(const CheckedRow &row)
{
    qint64 total = 0;
    for (int k = 0; k < kChoiceCount; ++k)
        if (const auto &v = row.val[size_t(k)]; row.hasText[size_t(k)] && v && *v > 0)
            total += std::min<qint64>(*v, std::numeric_limits<qint64>::max() / (2 * kChoiceCount));
    return total;
}

// Whether the check stops on this question or empties one of its points.
bool hasFinding(const CheckedRow &row)
{
    for (int k = 0; k < kChoiceCount; ++k)
        if (choiceFinding(row, k) != ChoiceFinding::None)
            return true;
    return positiveTotal(row) != 6;
}

} // namespace

bool readCheckedRows(const BankModel &bank, std::vector<CheckedRow> &rows, StoreError *error, qint64 expected)
{
    rows.clear();
    rows.reserve(size_t(std::max<qint64>(0, expected)));
    // The rows come grouped by domain: one text per domain code, shared by
    // its questions, rather than one per question.
    QByteArray lastCode;
    QString lastCodeText;
    // The file's own order first, cheaper; the bank's order is needed only
    // when something is found, for the boxes and the last change shown.
    bool found = false;
    auto read = [&](const QuestionRow &question) {
        CheckedRow row;
        if (const QByteArrayView code = question.codeUtf8(); lastCodeText.isNull() || code != lastCode) {
            lastCode = code.toByteArray();
            lastCodeText = question.code();
        }
        row.code = lastCodeText;
        row.numero = question.numero();
        for (int k = 0; k < kChoiceCount; ++k) {
            row.hasText[size_t(k)] = question.hasChoice(k);
            row.val[size_t(k)] = question.points(k);
        }
        found = found || hasFinding(row);
        rows.push_back(std::move(row));
    };
    if (!bank.forEachStoredQuestion(QuestionParts::Choices, read, error))
        return false;
    if (!found)
        return true;
    rows.clear();
    lastCodeText.clear();
    return bank.forEachQuestion(QuestionParts::Choices, read, error);
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
    // Every run starts again from the first question, also after a stop.
    DataBinding &que = m_state.datQue;
    que.setRecordSource(Queries::wholeBank());
    que.refresh();
    std::vector<CheckedRow> rows;
    StoreError failure;
    if (!readCheckedRows(m_state.bank(), rows, &failure, que.recordCount())) {
        m_state.CheckInProgress = false;
        reportFailure(QStringLiteral("Le contrôle des incompatibilités n'a pas pu lire les questions."), failure,
            QStringLiteral("CheckPoints"));
        return;
    }
    m_uselessZeros.clear();
    m_zerosBackedUp = false;
    bool stopped = false;
    {
        // Hundreds of thousands of questions take seconds: the window repaints and the user may stop.
        const std::unique_ptr<Progress> progress = dialogs.progress({QStringLiteral("Contrôle des incompatibilités"),
            QStringLiteral("Contrôle des points des questions…"), qint64(rows.size()), true});
        for (size_t i = 0; i < rows.size() && !stopped; ++i) {
            if (!progress->advance(qint64(i)))
                stopped = true;
            else if (!checkQuestion(rows[i], m_state.CheckErrorCount))
                return;
        }
        if (!stopped && !writeUselessZeros())
            return;
    }
    m_state.CheckInProgress = false;
    if (stopped) {
        // What was found since the last question shown is not written.
        m_uselessZeros.clear();
        dialogs.MoxBox(QStringLiteral("Le contrôle des incompatibilités a été arrêté."), Icon::Information,
            QStringLiteral("Opération annulée"), QStringLiteral("OK"));
        return;
    }
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
    // The question is shown as the file now holds it, its useless zeros gone.
    if (!writeUselessZeros())
        return -1;
    showCheckedQuestion(row);
    return m_state.dialogs().MoxBox(
        message, Icon::Warning, kPointsTitle, QStringLiteral("Modifier"), QStringLiteral("Annuler"));
}

bool QuestionEditor::checkQuestion(CheckedRow &row, qint64 &errors)
{
    const qint64 total = positiveTotal(row);
    for (int k = 0; k < kChoiceCount; ++k) {
        switch (choiceFinding(row, k)) {
        case ChoiceFinding::None:
            break;
        case ChoiceFinding::NoPoints:
        case ChoiceFinding::NoChoice: {
            const QString reference = row.reference();
            const int answer
                = pointsErrorAnswer(row.hasText[size_t(k)] ? PointsCheckText::answerWithoutPoints(reference)
                                                           : PointsCheckText::pointsWithoutAnswer(reference),
                    errors, row);
            if (answer == Modify || answer < 0)
                return false;
            if (answer != CloseBox) {
                m_state.CheckInProgress = false;
                return false;
            }
            break;
        }
        case ChoiceFinding::UselessZero:
            // A 0 beside no choice means nothing: it goes without a word.
            if (m_uselessZeros.empty() || m_uselessZeros.back().code != row.code
                || m_uselessZeros.back().numero != row.numero)
                m_uselessZeros.push_back({row.code, row.numero, {}});
            m_uselessZeros.back().choices[size_t(k)] = true;
            row.val[size_t(k)].reset();
            break;
        }
    }
    if (total != 6) {
        const int answer = pointsErrorAnswer(PointsCheckText::wrongTotal(row.reference(), total), errors, row);
        if (answer == Modify || answer < 0)
            return false;
    }
    return true;
}

bool QuestionEditor::writeUselessZeros()
{
    if (m_uselessZeros.empty())
        return true;
    const std::vector<UselessZeros> zeros = std::exchange(m_uselessZeros, {});
    // One copy per run, before its first removal.
    if (!std::exchange(m_zerosBackedUp, true))
        BankBackups::of(m_state).beforeBulkChange(QStringLiteral("avant contrôle des points"));
    const StoreError failure = removeUselessZeros(m_state.connection(), zeros);
    if (!failure) {
        // The editor shows the last question it changed, as the check left it.
        CheckedRow last;
        last.code = zeros.back().code;
        last.numero = zeros.back().numero;
        showCheckedQuestion(last);
        return true;
    }
    m_state.CheckInProgress = false;
    const QString which = zeros.size() == 1
        ? QStringLiteral("de la question %1")
              .arg(QStringLiteral("%1.%2").arg(zeros.front().code).arg(zeros.front().numero))
        : QStringLiteral("des questions %1.%2 à %3.%4")
              .arg(zeros.front().code)
              .arg(zeros.front().numero)
              .arg(zeros.back().code)
              .arg(zeros.back().numero);
    reportFailure(QStringLiteral("Les 0 inutiles %1 n'ont pas pu être supprimés : la base de données n'a pas pu être "
                                 "modifiée. Le contrôle est interrompu.")
                      .arg(which),
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
