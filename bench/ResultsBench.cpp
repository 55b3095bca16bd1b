// Speed of the results views on a file of 200 candidates × 50 exams × 60
// questions (600,000 answers) drawn from a bank of 2,000 questions: a
// candidate's record, the class view, the item analysis of the 2,000
// questions, each read alone; the first read of every answer; then the
// window filling its tables and charts: another candidate, another period
// (the class and the items), the whole window. The file is made once per run.
#include "BenchSupport.h"
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

// The window's views filled, tables and charts, as the user switches to them.
void BM_WindowView(benchmark::State &s)
{
    ClassFile &file = classFile();
    ResultsStore *store = file.store.get();
    fResultats window(file.state, [store] { return store; });
    window.refresh();
    int next = 0;
    for (auto _ : s) {
        switch (s.range(0)) {
        case 0: // another candidate chosen
            window.candidateBox()->setCurrentIndex(++next % window.candidateBox()->count());
            break;
        case 1: // the class over another period: its view and the item analysis follow
            window.allDates()->setChecked(next++ % 2 == 0);
            break;
        default:
            window.refresh();
        }
    }
}
BENCHMARK(BM_WindowView)
    ->ArgName("vue")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace
