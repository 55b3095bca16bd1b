#include "ExamDesk.h"

#include "ExamPaper.h"
#include "fExam.h"
#include "fExamResult.h"
#include "fExamSetup.h"

namespace qcm {

namespace {

const QString kTitle = QStringLiteral("Examen blanc");
const QString kCrLf = QStringLiteral("\r\n");

// Over the middle of the owner, wherever the desktop would have put it.
void centreOn(QWidget *window, const QWidget *owner)
{
    if (owner)
        window->move(owner->geometry().center() - window->rect().center());
}

} // namespace

ExamDesk::ExamDesk(QCMBas &state, QWidget *owner) : QObject(owner), m_state(state), m_owner(owner) { }

ExamDesk::~ExamDesk()
{
    // The windows hold sessions on the store: they go first.
    delete m_exam.data();
    delete m_result.data();
    delete m_setup.data();
}

fExamSetup *ExamDesk::setupBox() const
{
    return m_setup;
}

fExam *ExamDesk::examWindow() const
{
    return m_exam;
}

fExamResult *ExamDesk::resultWindow() const
{
    return m_result;
}

ExamSession::Clock ExamDesk::clock() const
{
    DialogService *dialogs = &m_state.dialogs();
    return [dialogs] { return dialogs->now(); };
}

ResultsStore *ExamDesk::store()
{
    if (m_store)
        return m_store.get();
    const QString path = m_state.AppFolder() + ResultsStore::fileName();
    ResultsOpening opening = ResultsStore::open(path, m_state.dialogs().now());
    if (!opening.setAsidePath.isEmpty())
        m_state.dialogs().MoxBox(QStringLiteral("Le fichier des résultats des examens blancs") + kCrLf + path + kCrLf
                + QStringLiteral("ne peut pas être lu : %1.").arg(opening.setAsideReason) + kCrLf + kCrLf
                + QStringLiteral("Il n'a pas été modifié : il est mis de côté sous le nom") + kCrLf
                + opening.setAsidePath + kCrLf + QStringLiteral("et un nouveau fichier des résultats est commencé."),
            Icon::Warning, QStringLiteral("Résultats illisibles"), QStringLiteral("OK"));
    if (!opening.store) {
        m_state.dialogs().MoxBox(opening.error.description + kCrLf + kCrLf
                + QStringLiteral("Aucun examen blanc ne peut être passé tant que ce fichier n'est pas utilisable."),
            Icon::Error, QStringLiteral("Résultats inutilisables"), QStringLiteral("OK"));
        return nullptr;
    }
    m_store = std::move(opening.store);
    return m_store.get();
}

// Asks about each exam left in progress; true once one is resumed. An exam
// open in another program is left to it.
bool ExamDesk::offerPending()
{
    ResultsStore *results = store();
    if (!results)
        return false;
    StoreError e;
    const auto pending = results->pendingExams(&e);
    if (!pending)
        return false;
    for (const PendingExam &p : *pending) {
        StoreError why;
        auto session = ExamSession::resume(*results, p.id, clock(), &why);
        if (!session)
            continue;
        const QString time = p.secondsLeft ? QStringLiteral("%1 min restantes").arg((*p.secondsLeft + 59) / 60)
                                           : QStringLiteral("sans limite de temps");
        const int answer = m_state.dialogs().MoxBoxOrClose(
            QStringLiteral("Un examen blanc de %1 est en cours (%2). Le reprendre ?").arg(p.candidate, time),
            Icon::Question, kTitle, QStringLiteral("Oui"), QStringLiteral("Non"), {}, 2);
        if (answer == 0) {
            sit(std::move(session));
            return true;
        }
        if (answer == 1) {
            session.reset();
            // Kept with its answers, never deleted.
            if (const StoreError failed = results->abandon(p.id, m_state.dialogs().now()))
                m_state.dialogs().MoxBox(
                    QStringLiteral("L'examen n'a pas pu être marqué comme abandonné :") + kCrLf + failed.description,
                    Icon::Error, kTitle, QStringLiteral("OK"));
        }
    }
    return false;
}

void ExamDesk::offerResume()
{
    // Without a results file there is nothing to resume: none is made just to look.
    if (!m_store && !QCMBas::FileExists(m_state.AppFolder() + ResultsStore::fileName()))
        return;
    if (!m_exam)
        offerPending();
}

void ExamDesk::openSetup()
{
    if (m_exam) {
        m_exam->raise();
        m_exam->activateWindow();
        return;
    }
    ResultsStore *results = store();
    if (!results || offerPending())
        return;
    if (!m_state.isBound()) {
        m_state.dialogs().MoxBox(QStringLiteral("Aucune base de données n'est ouverte : choisissez d'abord une base."),
            Icon::Warning, kTitle, QStringLiteral("OK"));
        return;
    }
    if (m_setup) {
        m_setup->raise();
        m_setup->activateWindow();
        return;
    }
    const QString flagsError = readFlags();
    m_setup = new fExamSetup(m_state, results->candidates().value_or(QStringList()), m_flags, flagsError, m_owner);
    m_setup->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_setup, &QDialog::accepted, this, [this] {
        if (m_setup && m_setup->start())
            begin(*m_setup->start());
    });
    m_setup->open();
}

QString ExamDesk::readFlags()
{
    const std::shared_ptr<Connection> &connection = m_state.connection();
    if (!connection)
        return StoreErrors::noDatabase().description;
    const DataVersion version = connection->version();
    if (m_flagsBank == m_state.DbPath && m_flagsVersion == version)
        return {};
    StoreError e;
    const auto flags = m_state.bank().questionFlags(&e);
    if (!flags) {
        m_flagsBank.clear();
        return e.description;
    }
    m_flags = *flags;
    m_flagsBank = m_state.DbPath;
    m_flagsVersion = version;
    return {};
}

void ExamDesk::begin(ExamStart start)
{
    ResultsStore *results = store();
    if (!results)
        return;
    StoreError e;
    auto session = ExamSession::start(*results, std::move(start), clock(), &e);
    if (!session) {
        m_state.dialogs().MoxBox(QStringLiteral("L'examen blanc ne peut pas commencer :") + kCrLf + e.description,
            Icon::Error, kTitle, QStringLiteral("OK"));
        return;
    }
    sit(std::move(session));
}

void ExamDesk::sit(std::unique_ptr<ExamSession> session)
{
    m_exam = new fExam(m_state, std::move(session), m_owner);
    connect(m_exam, &fExam::handedIn, this, &ExamDesk::showResult);
    centreOn(m_exam, m_owner);
    m_exam->show();
    m_exam->raise();
    m_exam->activateWindow();
}

void ExamDesk::showResult(qint64 examId)
{
    ResultsStore *results = store();
    if (!results)
        return;
    StoreError e;
    std::optional<ExamRecord> exam = results->exam(examId, &e);
    if (!exam) {
        m_state.dialogs().MoxBox(
            QStringLiteral("Les résultats de l'examen n'ont pas pu être lus :") + kCrLf + e.description, Icon::Error,
            kTitle, QStringLiteral("OK"));
        return;
    }
    if (m_result)
        m_result->close();
    m_result = new fExamResult(m_state, std::move(*exam), m_owner);
    connect(m_result, &fExamResult::retakeRequested, this, &ExamDesk::retake);
    centreOn(m_result, m_owner);
    m_result->show();
    m_result->raise();
    m_result->activateWindow();
}

void ExamDesk::retake(const ExamRecord &done)
{
    const Paper paper = retakePaper(done);
    if (!paper.refusal.isEmpty()) {
        m_state.dialogs().MoxBox(paper.refusal, Icon::Information, kTitle, QStringLiteral("OK"));
        return;
    }
    ExamStart start;
    start.candidate = done.candidate;
    start.paperKind = PaperKind::Retake;
    start.paperName = paper.name;
    start.durationMinutes = 0;
    start.passPercent = done.maximum > 0 ? int((qint64(done.passMark) * 100 + done.maximum - 1) / done.maximum) : 75;
    start.negative = done.negative;
    start.bankPath = done.bankPath;
    start.retakeOf = done.uuid;
    start.questions = paper.questions;
    if (m_result)
        m_result->close();
    begin(std::move(start));
}

} // namespace qcm
