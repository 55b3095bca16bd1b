// Speed of the results views on a file of 200 candidates × 50 exams × 60
// questions (600,000 answers) drawn from a bank of 2,000 questions: a
// candidate's record, the class view, the item analysis of the 2,000
// questions, each read alone; the first read of every answer; then the
// window filling its tables and charts (see BM_Window). The file is made
// once per run.
#include "BenchSupport.h"
#include "PaintedWindow.h"
#include "results/ResultsFiller.h"
#include "results/ResultsReader.h"
#include "results/fResultats.h"
#include "state/QCMBas.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <iostream>

using namespace qcm;
using namespace qcm::bench;

namespace {

struct ClassFile {
    SilentDialogs dialogs;
    QTemporaryDir folder;
    QCMBas state{dialogs, folder.path()};
    std::unique_ptr<ResultsStore> store;

    ClassFile()
    {
        store = std::move(
            ResultsStore::open(QDir(folder.path()).filePath(ResultsStore::fileName()), dialogs.now()).store);
        QElapsedTimer timer;
        timer.start();
        if (!store || !test::fillClass(*store, 200, 50, 60, 2000))
            std::abort();
        std::cerr << "Fichier de 600 000 réponses fait en " << timer.elapsed() << " ms\n";
    }
};

ClassFile &classFile()
{
    static ClassFile file;
    return file;
}

void BM_CandidateRecord(benchmark::State &s)
{
    ResultsReader reader(classFile().store->connection());
    for (auto _ : s)
        benchmark::DoNotOptimize(reader.candidate(QStringLiteral("Candidat 150")));
}
BENCHMARK(BM_CandidateRecord)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_ClassView(benchmark::State &s)
{
    ResultsReader reader(classFile().store->connection());
    for (auto _ : s)
        benchmark::DoNotOptimize(reader.classView({}));
}
BENCHMARK(BM_ClassView)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_ItemAnalysis(benchmark::State &s)
{
    ResultsReader reader(classFile().store->connection());
    qsizetype items = 0;
    for (auto _ : s) {
        const auto lines = reader.items({});
        items = lines ? lines->size() : 0;
    }
    s.counters["questions"] = double(items);
}
BENCHMARK(BM_ItemAnalysis)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The first view opened reads every answer of the file once.
void BM_FirstRead(benchmark::State &s)
{
    for (auto _ : s) {
        ResultsReader reader(classFile().store->connection());
        benchmark::DoNotOptimize(reader.items({}));
    }
}
BENCHMARK(BM_FirstRead)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The window: opened on a candidate's record (the file read anew), another
// candidate chosen, the class and the items shown over another period (each
// reads the answers kept in memory), the first look at the items after the
// window opened (every answer read once).
void BM_Window(benchmark::State &s)
{
    ClassFile &file = classFile();
    ResultsStore *store = file.store.get();
    int next = 0;
    for (auto _ : s) {
        s.PauseTiming();
        fResultats window(file.state, [store] { return store; });
        PaintCounter painted(window);
        const int view = int(s.range(0));
        if (view >= 1 && !painted.showExposed())
            s.SkipWithError("window never exposed");
        if (view == 2 || view == 3) {
            window.tabs()->setCurrentIndex(view == 2 ? fResultats::ClassTab : fResultats::ItemsTab);
            window.ensureFilled(fResultats::Tab(window.tabs()->currentIndex()));
        }
        s.ResumeTiming();
        switch (view) {
        case 0:
            if (!painted.showExposed())
                s.SkipWithError("window never exposed");
            break;
        case 1:
            window.candidateBox()->setCurrentIndex(++next % window.candidateBox()->count());
            break;
        case 2:
        case 3:
            window.allDates()->setChecked(false);
            break;
        default:
            window.tabs()->setCurrentIndex(fResultats::ItemsTab);
        }
        painted.settle();
        s.PauseTiming();
        painted.check(s);
        s.ResumeTiming();
    }
}
BENCHMARK(BM_Window)
    ->ArgName("vue")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace
