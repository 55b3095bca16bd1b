// Speed of the import and export of question banks on generated banks of
// 2,000, 20,000 and 200,000 questions. An export is timed as the user waits
// for it: the bank read, the file made and written to disk. An import is
// timed from the file to the committed bank: reading, the preview's plan and
// the one transaction, into an empty bank. Each has its floor in the same
// run: writing the same bytes, and building the same bank straight from
// values.
#include "BenchSupport.h"
#include "exchange/ExchangeFile.h"
#include "exchange/ImportPlan.h"
#include "state/FileOps.h"
#include "state/ProgramFolder.h"

#include <QFile>

#include <benchmark/benchmark.h>

using namespace qcm;
using namespace qcm::bench;

namespace {

QString bankOf(int questions)
{
    return QDir(programFolderWithBank(questions)).filePath(QString::fromLatin1(kDefaultBankName));
}

std::shared_ptr<Connection> openBank(int questions)
{
    StoreError error;
    auto connection = Connection::open(bankOf(questions), &error);
    if (!connection)
        qFatal("%s", qPrintable(error.description));
    return connection;
}

// The bank exported once per size and format, for the imports to read.
QString exportedFile(int questions, ExchangeFormat format)
{
    static std::map<std::pair<int, int>, QString> files;
    QString &path = files[{questions, int(format)}];
    if (path.isEmpty()) {
        static QTemporaryDir dir;
        path = dir.filePath(QStringLiteral("banque-%1.%2").arg(questions).arg(exchangeFormatInfo(format).extension));
        StoreError error;
        const auto content = Exchange::exportContent(BankModel(openBank(questions)), std::nullopt, &error);
        if (!content || !Exchange::writeFile(path, *content, format).written)
            qFatal("cannot export the bank");
    }
    return path;
}

void Export(benchmark::State &s, ExchangeFormat format)
{
    const int questions = int(s.range(0));
    const BankModel bank(openBank(questions));
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("export.") + exchangeFormatInfo(format).extension);
    qint64 bytes = 0;
    for (auto _ : s) {
        StoreError error;
        const auto content = Exchange::exportContent(bank, std::nullopt, &error);
        const Exchange::ExportOutcome outcome = Exchange::writeFile(target, *content, format);
        if (!outcome.written || outcome.questionsWritten != questions)
            s.SkipWithError("not exported");
    }
    bytes = QFileInfo(target).size();
    s.counters["Mo"] = double(bytes) / (1 << 20);
}

// Writing the same number of bytes through the same checked writer.
void ExportFloor(benchmark::State &s)
{
    const QByteArray bytes(QFileInfo(exportedFile(int(s.range(0)), ExchangeFormat::Csv)).size(), 'x');
    QTemporaryDir dir;
    for (auto _ : s) {
        QString error;
        if (!writeFileAtomic(dir.filePath(QStringLiteral("plancher.csv")), bytes, &error))
            s.SkipWithError("not written");
    }
}

void Import(benchmark::State &s, ExchangeFormat format)
{
    const int questions = int(s.range(0));
    const QString file = exportedFile(questions, format);
    int round = 0;
    for (auto _ : s) {
        s.PauseTiming();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("vide-%1.zov").arg(round++));
        QString why;
        Schema::create(path, &why);
        StoreError error;
        auto connection = Connection::open(path, &error);
        BankModel bank(connection);
        s.ResumeTiming();

        ImportPlanner planner(Exchange::readFile(file));
        planner.load(bank, &error);
        // The generated bank leaves a few questions without speciality: the
        // preview gives them one, as the user would.
        const ImportPlan plan = planner.plan({true, false, false, false, false, false});
        BankWriteSummary done;
        if (applyImport(bank, plan, ExistingQuestions::Keep, &done) || done.questionsAdded != questions) {
            s.SkipWithError("not imported");
            break;
        }

        s.PauseTiming();
        connection.reset();
        s.ResumeTiming();
    }
}

// The same bank built straight from values into a new file.
void ImportFloor(benchmark::State &s)
{
    const BankContent bank = generatedBank(int(s.range(0)));
    int round = 0;
    for (auto _ : s) {
        s.PauseTiming();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plancher-%1.zov").arg(round++));
        s.ResumeTiming();
        QString why;
        if (!writeBank(path, bank, &why))
            s.SkipWithError("not written");
    }
}

void sizes(benchmark::internal::Benchmark *b)
{
    b->Unit(benchmark::kMillisecond)->Arg(2000)->Arg(20000);
    b->Arg(200000);
    b->MeasureProcessCPUTime()->UseRealTime();
}

} // namespace

BENCHMARK_CAPTURE(Export, Csv, ExchangeFormat::Csv)->Apply(sizes);
BENCHMARK_CAPTURE(Export, MoodleXml, ExchangeFormat::MoodleXml)->Apply(sizes);
BENCHMARK_CAPTURE(Export, Gift, ExchangeFormat::Gift)->Apply(sizes);
BENCHMARK(ExportFloor)->Apply(sizes);
BENCHMARK_CAPTURE(Import, Csv, ExchangeFormat::Csv)->Apply(sizes);
BENCHMARK_CAPTURE(Import, MoodleXml, ExchangeFormat::MoodleXml)->Apply(sizes);
BENCHMARK_CAPTURE(Import, Gift, ExchangeFormat::Gift)->Apply(sizes);
BENCHMARK(ImportFloor)->Apply(sizes);

namespace {
void StageRead(benchmark::State &s)
{
    const BankModel bank(openBank(20000));
    for (auto _ : s) {
        StoreError error;
        auto c = Exchange::exportContent(bank, std::nullopt, &error);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(StageRead)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
void StageWrite(benchmark::State &s)
{
    StoreError error;
    const auto c = Exchange::exportContent(BankModel(openBank(20000)), std::nullopt, &error);
    for (auto _ : s) {
        auto w = Exchange::writeContent(*c, ExchangeFormat(s.range(0)));
        benchmark::DoNotOptimize(w);
    }
}
BENCHMARK(StageWrite)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Arg(0)->Arg(1)->Arg(2);
void StageReadFile(benchmark::State &s)
{
    const QString file = exportedFile(20000, ExchangeFormat(s.range(0)));
    for (auto _ : s) {
        auto r = Exchange::readFile(file);
        if (r.failed())
            s.SkipWithError(qPrintable(r.error));
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(StageReadFile)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Arg(0)->Arg(1)->Arg(2);
void StagePlan(benchmark::State &s)
{
    const QString file = exportedFile(20000, ExchangeFormat::Csv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("v.zov"));
    QString why;
    Schema::create(path, &why);
    StoreError error;
    auto connection = Connection::open(path, &error);
    BankModel bank(connection);
    ImportPlanner planner(Exchange::readFile(file));
    planner.load(bank, &error);
    for (auto _ : s) {
        auto p = planner.plan({true, false, false, false, false, false});
        if (!p.refused.isEmpty())
            s.SkipWithError(qPrintable(p.refused.first().text()));
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(StagePlan)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
} // namespace
namespace {
void StageApply(benchmark::State &s)
{
    const QString file = exportedFile(20000, ExchangeFormat::Csv);
    const ExchangeRead read = Exchange::readFile(file);
    int round = 0;
    for (auto _ : s) {
        s.PauseTiming();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a-%1.zov").arg(round++));
        QString why;
        Schema::create(path, &why);
        StoreError error;
        auto connection = Connection::open(path, &error);
        BankModel bank(connection);
        ImportPlanner planner(read);
        planner.load(bank, &error);
        const ImportPlan plan = planner.plan({true, false, false, false, false, false});
        s.ResumeTiming();
        if (applyImport(bank, plan, ExistingQuestions::Keep))
            s.SkipWithError("not imported");
        s.PauseTiming();
        connection.reset();
        s.ResumeTiming();
    }
}
BENCHMARK(StageApply)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
} // namespace
