// Speed of paper grids and of the mistakes list on a results file of 200
// candidates × 50 exams × 60 questions (600,000 answers): a typed grid of 60
// rows marked and stored, and one candidate's answers read into the list of
// their mistakes, as the practice window opens it.
#include "BenchSupport.h"
#include "database/Sqlite.h"
#include "exam/ExamPaper.h"
#include "exam/ResultsStore.h"
#include "mistakes/MistakesList.h"
#include "papergrid/PaperGrid.h"
#include "state/QCMBas.h"

#include <benchmark/benchmark.h>

using namespace qcm;
using namespace qcm::bench;

namespace {

constexpr int kCandidates = 200;
constexpr int kExamsEach = 50;
constexpr int kQuestions = 60;

// Exams of every candidate, spread over a year, each question scored 0 to 6:
// written by SQL in one go, as the program's own writes would take hours.
QString filledResults(const QString &folder)
{
    const QString path = QDir(folder).filePath(ResultsStore::fileName());
    SilentDialogs dialogs;
    ResultsStore::open(path, dialogs.now()).store.reset();
    SqliteDb db;
    QString why;
    QString choices, values;
    for (int i = 0; i < kChoiceCount; ++i) {
        choices += QStringLiteral(", lib%1, val%1").arg(i);
        values += i < 4 ? QStringLiteral(", 'Réponse %1', %2").arg(QChar(u'A' + i)).arg(i == 0 ? 6 : -1)
                        : QStringLiteral(", NULL, NULL");
    }
    const bool done = db.open(path, SqliteDb::Mode::ReadWrite, &why)
        && db.exec(QStringLiteral("BEGIN;"
                                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                  "INSERT INTO candidates (id, name, last_used) SELECT i, 'Candidat ' || i, "
                                  "'2026-12-01T09:00:00+01:00' FROM n;"
                                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
                                  "INSERT INTO exams (id, uuid, candidate_id, bank_path, paper_kind, paper_name, "
                                  "negative_points, pass_mark, maximum, started_at, ended_at, state, mark) "
                                  "SELECT i, 'uuid-' || i, 1 + (i - 1) % %1, 'banque', 'tirage', 'Tirage', "
                                  "'par question', 270, 360, strftime('%Y-%m-%dT%H:%M:%S+01:00', '2026-01-01', "
                                  "'+' || (i * 37 % 525600) || ' minutes'), strftime('%Y-%m-%dT%H:%M:%S+01:00', "
                                  "'2026-01-01', '+' || (i * 37 % 525600 + 60) || ' minutes'), 'rendu', 250 FROM n;"
                                  "WITH RECURSIVE p(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM p WHERE k < %3) "
                                  "INSERT INTO exam_questions (exam_id, position, domain_code, domain_name, numero, "
                                  "statement%4, ticks, score) SELECT e.id, p.k, '' || (1 + (e.id + p.k) % 10), "
                                  "'Domaine', 1 + (e.id * 7 + p.k * 13) % 2000, 'Énoncé de la question'%5, 'A', "
                                  "(e.id + p.k) % 7 FROM exams e, p;"
                                  "COMMIT;")
                       .arg(kCandidates)
                       .arg(kCandidates * kExamsEach)
                       .arg(kQuestions - 1)
                       .arg(choices, values),
            &why);
    if (!done)
        qFatal("results not generated: %s", qPrintable(why));
    return path;
}

struct GridDesk {
    SilentDialogs dialogs;
    QTemporaryDir folder;
    QCMBas state;
    std::unique_ptr<ResultsStore> store;
    QList<ExamQuestion> paper;

    GridDesk() : state(dialogs, programFolderWithBank(2000))
    {
        state.readSettings();
        state.BindDatabase();
        store = std::move(ResultsStore::open(filledResults(folder.path()), dialogs.now()).store);
        const Paper drawn = drawPaper(
            state.bank(), *state.bank().questionFlags(), {1, 0, 0, 0, 0, 0}, kQuestions, [] { return 0.5; });
        paper = drawn.questions;
    }
    static GridDesk &instance()
    {
        static GridDesk desk;
        return desk;
    }
};

// From the last row typed to the copy in the file: the grid marked, the exam
// and its 60 questions written in one transaction.
void StoreTypedPaperGrid(benchmark::State &s)
{
    GridDesk &desk = GridDesk::instance();
    if (!desk.store || desk.paper.size() != kQuestions
        || desk.store->examCount().value_or(0) < kCandidates * kExamsEach) {
        s.SkipWithError("no results file or no paper");
        return;
    }
    PaperGrid grid(desk.paper);
    for (int row = 0; row < grid.rowCount(); ++row)
        grid.setRow(row, row % 3 ? QStringLiteral("A") : QStringLiteral("B"));
    int n = 0;
    for (auto _ : s) {
        const PaperCopyDetails details{QStringLiteral("Candidat %1").arg(1 + n++ % kCandidates), {},
            QStringLiteral("Brevet"), desk.dialogs.now(), 75, NegativePoints::FloorEachQuestion};
        if (storePaperCopy(*desk.store, grid, details, desk.dialogs.now()))
            s.SkipWithError("not stored");
    }
}
BENCHMARK(StoreTypedPaperGrid)->Unit(benchmark::kMillisecond);

// One candidate's 3,000 exam answers read and turned into their mistakes.
void MistakesOfOneCandidate(benchmark::State &s)
{
    GridDesk &desk = GridDesk::instance();
    for (auto _ : s) {
        auto answers = desk.store->answerHistory(QStringLiteral("Candidat 17"));
        if (!answers || answers->size() < kExamsEach * kQuestions)
            s.SkipWithError("answers not read");
        benchmark::DoNotOptimize(mistakeList(std::move(*answers)));
    }
}
BENCHMARK(MistakesOfOneCandidate)->Unit(benchmark::kMillisecond);

} // namespace
