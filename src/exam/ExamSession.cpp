#include "ExamSession.h"

#include "Marking.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

namespace qcm {

namespace {

// One exam is sat by one program at a time: a second program started on the
// same computer must not resume, nor abandon, an exam that is on screen.
std::unique_ptr<QLockFile> lockExam(const ResultsStore &store, const QString &uuid, StoreError *error)
{
    const QFileInfo results(store.path());
    auto lock = std::make_unique<QLockFile>(
        results.dir().filePath(QStringLiteral(".%1.%2.lock").arg(results.fileName(), uuid)));
    lock->setStaleLockTime(0); // only a dead program's lock is taken over
    if (!lock->tryLock(0)) {
        setError(error,
            StoreErrors::make(StoreErrorKind::Locked,
                QStringLiteral("Cet examen blanc est ouvert dans un autre programme QCM de cet ordinateur.")));
        return nullptr;
    }
    return lock;
}

} // namespace

QString clockText(qint64 seconds)
{
    seconds = std::max<qint64>(0, seconds);
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

ExamSession::ExamSession(ResultsStore &store, ExamRecord exam, const Clock &clock, std::unique_ptr<QLockFile> lock)
    : m_store(store), m_exam(std::move(exam)), m_clock(clock), m_lock(std::move(lock)), m_since(clock())
{
}

ExamSession::~ExamSession() = default;

std::unique_ptr<ExamSession> ExamSession::start(
    ResultsStore &store, ExamStart start, const Clock &clock, StoreError *error)
{
    ExamRecord exam;
    exam.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    exam.candidate = start.candidate;
    exam.bankPath = start.bankPath;
    exam.paperKind = start.paperKind;
    exam.paperName = start.paperName;
    exam.specialities = start.specialities;
    if (start.durationMinutes > 0)
        exam.durationSeconds = qint64(start.durationMinutes) * 60;
    exam.negative = start.negative;
    exam.maximum = paperMaximum(start.questions.size());
    exam.passMark = passMarkFor(exam.maximum, start.passPercent);
    exam.retakeOf = start.retakeOf;
    exam.questions = std::move(start.questions);
    exam.started = clock();

    if (const StoreError room = store.checkRoom()) {
        setError(error, room);
        return nullptr;
    }
    auto lock = lockExam(store, exam.uuid, error);
    if (!lock)
        return nullptr;
    if (const StoreError e = store.createExam(exam, exam.started)) {
        setError(error, e);
        return nullptr;
    }
    return std::unique_ptr<ExamSession>(new ExamSession(store, std::move(exam), clock, std::move(lock)));
}

std::unique_ptr<ExamSession> ExamSession::resume(
    ResultsStore &store, qint64 examId, const Clock &clock, StoreError *error)
{
    StoreError e;
    std::optional<ExamRecord> exam = store.exam(examId, &e);
    if (!exam || exam->state != ExamState::InProgress) {
        setError(error,
            e ? e : StoreErrors::make(StoreErrorKind::Other, QStringLiteral("Cet examen blanc n'est plus en cours.")));
        return nullptr;
    }
    auto lock = lockExam(store, exam->uuid, error);
    if (!lock)
        return nullptr;
    auto session = std::unique_ptr<ExamSession>(new ExamSession(store, std::move(*exam), clock, std::move(lock)));
    // Back where the candidate most likely was: the first question without an answer.
    for (int p = 0; p < session->count(); ++p)
        if (!session->question(p).answered()) {
            session->m_current = p;
            break;
        }
    return session;
}

void ExamSession::go(int position)
{
    if (position >= 0 && position < count())
        m_current = position;
}

bool ExamSession::next()
{
    if (m_current + 1 >= count())
        return false;
    ++m_current;
    return true;
}

bool ExamSession::previous()
{
    if (m_current == 0)
        return false;
    --m_current;
    return true;
}

void ExamSession::takeTime()
{
    const QDateTime now = m_clock();
    const qint64 elapsed = m_since.secsTo(now);
    // Whole seconds only, the rest kept for later; a clock set back restarts from now.
    if (elapsed > 0) {
        m_exam.secondsUsed += elapsed;
        m_since = m_since.addSecs(elapsed);
    } else if (elapsed < 0) {
        m_since = now;
    }
}

qint64 ExamSession::secondsUsed()
{
    takeTime();
    return m_exam.secondsUsed;
}

std::optional<qint64> ExamSession::secondsLeft()
{
    takeTime();
    return m_exam.secondsLeft();
}

bool ExamSession::timeIsUp()
{
    const std::optional<qint64> left = secondsLeft();
    return left && *left <= 0;
}

StoreError ExamSession::storeQuestion(int position, const ExamQuestion &changed)
{
    takeTime();
    ExamRecord draft = m_exam;
    draft.questions[position] = changed;
    if (const StoreError e = m_store.saveAnswer(draft, position, questionScore(changed, m_exam.negative), m_clock()))
        return e;
    m_exam.questions[position] = changed;
    return {};
}

StoreError ExamSession::toggle(int choice)
{
    if (choice < 0 || choice >= kChoiceCount || m_exam.state != ExamState::InProgress)
        return {};
    ExamQuestion q = m_exam.questions.at(m_current);
    if (!q.hasChoice(choice))
        return {};
    q.ticks ^= quint8(1u << choice);
    return storeQuestion(m_current, q);
}

StoreError ExamSession::setFlag(bool flagged)
{
    ExamQuestion q = m_exam.questions.at(m_current);
    if (q.flagged == flagged || m_exam.state != ExamState::InProgress)
        return {};
    q.flagged = flagged;
    return storeQuestion(m_current, q);
}

int ExamSession::unansweredCount() const
{
    int n = 0;
    for (const ExamQuestion &q : m_exam.questions)
        n += q.answered() ? 0 : 1;
    return n;
}

int ExamSession::flaggedCount() const
{
    int n = 0;
    for (const ExamQuestion &q : m_exam.questions)
        n += q.flagged ? 1 : 0;
    return n;
}

StoreError ExamSession::saveTime()
{
    if (m_exam.state != ExamState::InProgress)
        return {};
    takeTime();
    return m_store.saveTime(m_exam);
}

StoreError ExamSession::handIn(ExamState how)
{
    if (m_exam.state != ExamState::InProgress)
        return {};
    takeTime();
    ExamRecord done = m_exam;
    if (done.durationSeconds)
        done.secondsUsed = std::min(done.secondsUsed, *done.durationSeconds);
    done.state = how;
    done.ended = m_clock();
    done.mark = paperMark(done.questions, done.negative);
    QList<int> scores;
    for (const ExamQuestion &q : done.questions)
        scores.append(questionScore(q, done.negative));
    if (const StoreError e = m_store.finish(done, scores))
        return e;
    m_exam = std::move(done);
    return {};
}

} // namespace qcm
