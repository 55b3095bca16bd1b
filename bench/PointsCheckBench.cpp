// The points check ("Vérifier les incompatibilités") in the editor window on
// banks of 2,000, 20,000 and 200,000 questions where every question carries
// useless zeros (points 0 beside two empty choices) and nothing else is wrong:
// the check removes them all without a word, from the introduction to the
// final message. The floor is the least work that result takes: the same
// zeros removed by six statements in one transaction on the same file.
// Each run works on a fresh copy of the bank; copying it is not timed.
#include "BenchSupport.h"
#include "database/Sqlite.h"
#include "editor/fSaisie.h"
#include "state/ProgramFolder.h"
#include "state/QCMBas.h"

#include <QCoreApplication>
#include <QFile>

#include <benchmark/benchmark.h>

using namespace qcm;
using namespace qcm::bench;

namespace {

// Four choices worth 6, -1, -2 and 0, then two empty choices holding a 0.
BankContent uselessZeroBank(int questions)
{
    BankContent bank = generatedBank(questions);
    const int points[kChoiceCount] = {6, -1, -2, 0, 0, 0};
    for (Question &q : bank.questions)
        for (int k = 0; k < kChoiceCount; ++k) {
            if (k >= 4)
                q.lib[size_t(k)].clear();
            else if (q.lib[size_t(k)].isEmpty())
                q.lib[size_t(k)] = QStringLiteral("Réponse ajoutée");
            q.val[size_t(k)] = points[k];
        }
    return bank;
}

QString bankOfSize(int questions)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto &dir = folders[questions];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        QString error;
        if (!writeBank(QDir(dir->path()).filePath(QStringLiteral("zeros.zov")), uselessZeroBank(questions), &error))
            qFatal("%s", qPrintable(error));
    }
    return QDir(dir->path()).filePath(QStringLiteral("zeros.zov"));
}

// A fresh program folder whose bank is a copy of the one of that size.
struct Copy {
    QTemporaryDir dir;
    QString bank;
    explicit Copy(int questions)
    {
        bank = QDir(dir.path()).filePath(QString::fromLatin1(kDefaultBankName));
        QFile::copy(bankOfSize(questions), bank);
    }
};

qint64 uselessZerosLeft(const QString &path)
{
    SqliteDb db;
    db.open(path, SqliteDb::Mode::ReadOnly);
    SqliteStatement st = db.prepare(QStringLiteral("SELECT count(*) FROM Questions WHERE Val4 = 0 OR Val5 = 0"));
    return st.step() ? st.columnInt64(0) : -1;
}

void CheckPointsFullOfUselessZeros(benchmark::State &s)
{
    const int questions = int(s.range(0));
    for (auto _ : s) {
        s.PauseTiming();
        auto copy = std::make_unique<Copy>(questions);
        SilentDialogs dialogs;
        auto state = std::make_unique<QCMBas>(dialogs, copy->dir.path());
        state->readSettings();
        state->BindDatabase();
        auto window = std::make_unique<fSaisie>(*state);
        window->show();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        s.ResumeTiming();

        window->procedures().CheckPoints();

        s.PauseTiming();
        if (state->CheckInProgress || state->CheckErrorCount != 0)
            s.SkipWithError("the check stopped on a question");
        window.reset();
        state.reset();
        if (uselessZerosLeft(copy->bank) != 0)
            s.SkipWithError("useless zeros left");
        copy.reset();
        s.ResumeTiming();
    }
    s.counters["questions"] = questions;
}
BENCHMARK(CheckPointsFullOfUselessZeros)
    ->Arg(2000)
    ->Arg(20000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void UselessZerosRemovedByBareStatements(benchmark::State &s)
{
    const int questions = int(s.range(0));
    for (auto _ : s) {
        s.PauseTiming();
        auto copy = std::make_unique<Copy>(questions);
        s.ResumeTiming();
        SqliteDb db;
        db.open(copy->bank, SqliteDb::Mode::ReadWrite);
        QString sql = QStringLiteral("BEGIN;");
        for (int k = 0; k < kChoiceCount; ++k)
            sql += QStringLiteral(
                "UPDATE Questions SET Val%1 = NULL WHERE Val%1 = 0 AND (lib%1 IS NULL OR lib%1 = '');")
                       .arg(k);
        db.exec(sql + QStringLiteral("COMMIT;"));
        db.close();
        s.PauseTiming();
        if (uselessZerosLeft(copy->bank) != 0)
            s.SkipWithError("useless zeros left");
        copy.reset();
        s.ResumeTiming();
    }
}
BENCHMARK(UselessZerosRemovedByBareStatements)
    ->Arg(2000)
    ->Arg(20000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

} // namespace
