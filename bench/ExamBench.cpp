// Speed of the mock exam on generated banks of 2,000, 20,000 and 200,000
// questions: the speciality flags the set-up box reads when it opens,
// starting a 60-question exam (the balanced draw, the copy of its questions
// from the bank, the exam stored in the results file), storing one tick, and
// the results window with its review, shown and painted. The floors timed in
// the same run: one flush of 4 KiB to the same disk, and a bare window shown
// and painted.
#include "BenchSupport.h"
#include "exam/ExamPaper.h"
#include "exam/ExamSession.h"
#include "exam/Marking.h"
#include "exam/ResultsStore.h"
#include "exam/fExamResult.h"
#include "state/QCMBas.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QVBoxLayout>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <random>

#include <fcntl.h>
#include <unistd.h>

using namespace qcm;
using namespace qcm::bench;

namespace {

class DrawingDialogs : public SilentDialogs {
public:
    double rnd() override { return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine); }

private:
    std::mt19937_64 m_engine{2026};
};

const std::array<int, kSpecialityCount> kParapente{1, 0, 0, 0, 0, 0};

// A bank and a results file of their own, as the program has them.
struct BenchDesk {
    DrawingDialogs dialogs;
    QTemporaryDir results;
    QCMBas state;
    std::unique_ptr<ResultsStore> store;

    explicit BenchDesk(int questions) : state(dialogs, programFolderWithBank(questions))
    {
        state.readSettings();
        state.BindDatabase();
        store = std::move(
            ResultsStore::open(QDir(results.path()).filePath(ResultsStore::fileName()), dialogs.now()).store);
    }
    ExamSession::Clock clock()
    {
        return [this] { return dialogs.now(); };
    }
    std::unique_ptr<ExamSession> start(const QList<QuestionFlags> &flags)
    {
        ExamStart start;
        start.candidate = QStringLiteral("Camille");
        start.specialities = kParapente;
        const Paper paper = drawPaper(state.bank(), flags, kParapente, 60, [this] { return dialogs.rnd(); });
        start.questions = paper.questions;
        start.paperName = drawName(60, kParapente);
        return ExamSession::start(*store, std::move(start), clock(), nullptr);
    }
};

void DiskFlushFloor(benchmark::State &s)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(QDir(dir.path()).filePath(QStringLiteral("plancher")));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const QByteArray page(4096, 'x');
    for (auto _ : s) {
        if (::pwrite(fd, page.constData(), size_t(page.size()), 0) != page.size() || ::fsync(fd) != 0)
            s.SkipWithError("write failed");
    }
    ::close(fd);
}
BENCHMARK(DiskFlushFloor)->Unit(benchmark::kMillisecond);

void ReadSpecialityFlags(benchmark::State &s)
{
    BenchDesk desk(int(s.range(0)));
    for (auto _ : s) {
        const auto flags = desk.state.bank().questionFlags();
        if (!flags || flags->size() != s.range(0))
            s.SkipWithError("flags not read");
    }
}
BENCHMARK(ReadSpecialityFlags)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// From "Commencer" to the exam stored: the pool from the flags the box has,
// the draw, the copy of 60 questions and the exam with them in the file.
void StartSixtyQuestionExam(benchmark::State &s)
{
    BenchDesk desk(int(s.range(0)));
    const QList<QuestionFlags> flags = *desk.state.bank().questionFlags();
    for (auto _ : s) {
        const auto session = desk.start(flags);
        if (!session || session->count() != 60)
            s.SkipWithError("exam not started");
    }
}
BENCHMARK(StartSixtyQuestionExam)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void StoreOneTick(benchmark::State &s)
{
    BenchDesk desk(int(s.range(0)));
    const auto session = desk.start(*desk.state.bank().questionFlags());
    int position = 0;
    for (auto _ : s) {
        session->go(position);
        if (session->toggle(0))
            s.SkipWithError("tick not stored");
        position = (position + 1) % 60;
    }
}
BENCHMARK(StoreOneTick)->Arg(200000)->Unit(benchmark::kMillisecond);

// Paint events reaching a widget: a window that is not exposed paints nothing.
class PaintCount : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// Shown, exposed by the platform, laid out and painted.
void showAndPaint(QWidget &window)
{
    window.show();
    while (!window.windowHandle()->isExposed())
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    window.repaint();
}

void BareWindowShownAndPainted(benchmark::State &s)
{
    PaintCount painted;
    for (auto _ : s) {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *label = new QLabel(QStringLiteral("Résultats de l'examen blanc"), &window);
        layout->addWidget(label);
        label->installEventFilter(&painted);
        window.resize(1000, 680);
        showAndPaint(window);
    }
    if (painted.count < s.iterations())
        s.SkipWithError("not painted");
}
BENCHMARK(BareWindowShownAndPainted)->Unit(benchmark::kMillisecond);

void ResultsWindowWithReview(benchmark::State &s)
{
    BenchDesk desk(int(s.range(0)));
    auto session = desk.start(*desk.state.bank().questionFlags());
    for (int p = 0; p < 60; p += 2) {
        session->go(p);
        session->toggle(p % 3);
    }
    session->handIn(ExamState::HandedIn);
    const ExamRecord exam = session->exam();
    PaintCount painted;
    for (auto _ : s) {
        fExamResult window(desk.state, exam);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.review()->viewport()->installEventFilter(&painted);
        window.domains()->viewport()->installEventFilter(&painted);
        showAndPaint(window);
    }
    if (painted.count < 2 * s.iterations())
        s.SkipWithError("review or table not painted");
}
BENCHMARK(ResultsWindowWithReview)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
