// Speed of the question search on generated banks of 2,000, 20,000 and
// 200,000 questions: building the index from nothing, beside a plain read of
// every question (the floor: the build cannot read less), and what one
// keystroke costs once the index exists, the result list's texts included.
#include "BenchSupport.h"
#include "bank/BankModel.h"
#include "composer/CandidateModel.h"
#include "search/BankSearch.h"
#include "search/FilteredList.h"
#include "search/SearchResultText.h"
#include "search/SearchText.h"
#include "state/ProgramFolder.h"
#include "state/QCMBas.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>

#include <benchmark/benchmark.h>

using namespace qcm;
using namespace qcm::bench;

namespace {

struct OpenBank {
    SilentDialogs dialogs;
    QCMBas state;
    explicit OpenBank(int questions) : state(dialogs, programFolderWithBank(questions))
    {
        state.readSettings();
        if (!state.BindDatabase())
            qFatal("bank not bound");
    }
    QString indexPath() const { return BankSearch::besideBank(state.DbPath); }
};

// The floor: every question read once, as the build must.
void ReadEveryQuestion(benchmark::State &s)
{
    OpenBank bank(int(s.range(0)));
    for (auto _ : s) {
        const auto questions = bank.state.bank().questions();
        benchmark::DoNotOptimize(questions->size());
    }
}

// From no index file to an index up to date with the bank.
void BuildIndex(benchmark::State &s)
{
    OpenBank bank(int(s.range(0)));
    for (auto _ : s) {
        s.PauseTiming();
        QFile::remove(bank.indexPath());
        s.ResumeTiming();
        QString why;
        auto index = SearchIndex::open(bank.indexPath(), &why);
        if (!index
            || index->update(*bank.state.connection(), bankStamp(bank.state.DbPath), {}, &why)
                != SearchIndex::Update::Done)
            s.SkipWithError(qPrintable(why));
    }
    s.counters["questions"] = double(s.range(0));
    s.counters["Mo"] = double(QFileInfo(bank.indexPath()).size()) / 1e6;
}

// After one question was edited through the program: what the next search
// waits for.
void UpdateAfterOneEdit(benchmark::State &s)
{
    OpenBank bank(int(s.range(0)));
    BankSearch &search = BankSearch::of(bank.state);
    search.find(QStringLiteral("vent"));
    Question q = *bank.state.bank().question(QStringLiteral("3"), 7);
    int round = 0;
    for (auto _ : s) {
        s.PauseTiming();
        q.libelle = QStringLiteral("Question modifiée %1 : le foehn").arg(++round);
        bank.state.bank().saveQuestion(q);
        s.ResumeTiming();
        benchmark::DoNotOptimize(search.find(QStringLiteral("foehn")));
    }
}

// The words of a search as they are typed, one keystroke at a time: each
// step searches, then writes the texts of the result list.
void Keystroke(benchmark::State &s)
{
    OpenBank bank(int(s.range(0)));
    BankSearch &search = BankSearch::of(bank.state);
    search.find(QStringLiteral("x"));
    const QString typed = QStringLiteral("météo l'air therm");
    qsizetype length = 0;
    qint64 results = 0;
    QElapsedTimer texts;
    qint64 textNs = 0;
    for (auto _ : s) {
        length = length % typed.size() + 1;
        const QString text = typed.left(length);
        const auto hits = search.find(text);
        texts.start();
        const QStringList words = SearchText::queryWords(text);
        for (const SearchHit &hit : *hits)
            benchmark::DoNotOptimize(SearchResultText::html(hit, words));
        textNs += texts.nsecsElapsed();
        results += hits->size();
    }
    s.counters["résultats"] = benchmark::Counter(double(results), benchmark::Counter::kAvgIterations);
    s.counters["textes_ms"] = benchmark::Counter(double(textNs) / 1e6, benchmark::Counter::kAvgIterations);
}

// The composer's filter: every match of a word, for a list of the whole bank.
void FilterKeys(benchmark::State &s)
{
    OpenBank bank(int(s.range(0)));
    BankSearch &search = BankSearch::of(bank.state);
    search.find(QStringLiteral("x"));
    for (auto _ : s)
        benchmark::DoNotOptimize(search.matching(QStringLiteral("pourquoi vent")));
}

// The composer's filter as one types, over a list of the whole bank, from
// the keys of the matches to the rows the list shows.
void FilterCandidateList(benchmark::State &s)
{
    OpenBank bank(int(s.range(0)));
    CandidateCache cache;
    std::vector<int> rows;
    if (!cache.lines(bank.state.connection(), {true, true, true, true, true, true}, rows, nullptr))
        qFatal("the candidates could not be read");
    CandidateModel model;
    model.setLines(cache.table(), std::move(rows));
    QListView view;
    FilteredSelection list(&view, &model);
    QuestionFilterField field(bank.state, list, [&model](int row) {
        return std::pair{QStringView(model.code(row)), model.numero(row)};
    });
    BankSearch::of(bank.state).find(QStringLiteral("x"));
    const QStringList typed{QStringLiteral("ther"), QStringLiteral("thermique pourq"), QStringLiteral("sell")};
    int i = 0;
    for (auto _ : s) {
        field.setText(typed.at(i++ % typed.size()));
        field.filterNow();
    }
    s.counters["lignes"] = double(view.model()->rowCount());
}

} // namespace

BENCHMARK(ReadEveryQuestion)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BuildIndex)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(UpdateAfterOneEdit)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(Keystroke)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(FilterKeys)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(FilterCandidateList)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);
