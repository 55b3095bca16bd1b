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
    for (auto _ : s) {
        StoreError error;
        const auto content = Exchange::exportContent(bank, std::nullopt, &error);
        if (!content || Exchange::writeFile(target, *content, format).questionsWritten != questions) {
            s.SkipWithError("not exported");
            break;
        }
    }
    s.counters["Mo"] = double(QFileInfo(target).size()) / (1 << 20);
}

// Writing as many bytes as the CSV export through the same checked writer.
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
