// Speed of the automatic backup on generated banks of 2,000, 20,000 and
// 200,000 questions: what the user waits for before a deletion of a domain
// (the check of the bank, the copy written to disk, the retention), beside
// a plain copy of the same file (the floor), and restoring a backup.
#include "BenchSupport.h"
#include "backup/BankBackups.h"
#include "backup/BankRestore.h"
#include "state/ProgramFolder.h"
#include "state/QCMBas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

using namespace qcm;
using namespace qcm::bench;

namespace {

// A program folder of its own holding a copy of the generated bank.
struct OwnBank {
    SilentDialogs dialogs;
    QTemporaryDir dir;
    std::unique_ptr<QCMBas> state;
    explicit OwnBank(int questions)
    {
        const QString name = QString::fromLatin1(kDefaultBankName);
        QFile::copy(QDir(programFolderWithBank(questions)).filePath(name), QDir(dir.path()).filePath(name));
        state = std::make_unique<QCMBas>(dialogs, dir.path());
        state->readSettings();
        if (!state->BindDatabase())
            qFatal("bank not bound");
    }
};

void PlainCopy(benchmark::State &s)
{
    OwnBank bank(int(s.range(0)));
    const QString target = QDir(bank.dir.path()).filePath(QStringLiteral("copie"));
    for (auto _ : s) {
        QFile::remove(target);
        QFile::copy(bank.state->DbPath, target);
    }
    s.counters["Mo"] = double(QFileInfo(bank.state->DbPath).size()) / 1e6;
}

void AutomaticBackup(benchmark::State &s)
{
    OwnBank bank(int(s.range(0)));
    BankBackups &backups = BankBackups::of(*bank.state);
    for (auto _ : s) {
        if (!backups.beforeBulkChange(QStringLiteral("avant suppression d'un domaine")).made)
            s.SkipWithError(qPrintable(backups.statusLine()));
    }
    s.counters["Mo"] = double(QFileInfo(bank.state->DbPath).size()) / 1e6;
}

void Restore(benchmark::State &s)
{
    OwnBank bank(int(s.range(0)));
    const QString backup = BankBackups::of(*bank.state).backUp(QStringLiteral("essai")).path;
    for (auto _ : s) {
        if (!BankRestore::restore(*bank.state, backup).restored)
            s.SkipWithError("not restored");
    }
}

} // namespace

BENCHMARK(PlainCopy)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(AutomaticBackup)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(Restore)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
