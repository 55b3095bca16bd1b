// Speed of the practice window on a large bank: 20,000 questions in 10
// domains of 2,000. Each step must stay well under 20 ms.
#include "database/Schema.h"
#include "runner/fQCM.h"
#include "startup/QCMBas.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace qcm;

namespace {

class SilentDialogs : public DialogService {
public:
    int MoxBox(const QString &, int, const QString &, const QString &, const QString &, const QString &, int) override
    {
        return 0;
    }
    QString InBox(const QString &, const QString &, const QString &, int &, int &) override { return {}; }
    QString openFileName(const FileDialogRequest &) override { return {}; }
    QString saveFileName(const FileDialogRequest &) override { return {}; }
};

struct LargeBank {
    QTemporaryDir dir;
    LargeBank()
    {
        BankContent bank;
        for (int d = 0; d < 10; ++d) {
            const QString code = QString::number(d);
            bank.domains.append({code, QStringLiteral("Domaine %1").arg(d)});
            for (int n = 1; n <= 2000; ++n) {
                Question q;
                q.code = code;
                q.numero = n;
                q.libelle = QStringLiteral("Énoncé de la question %1.%2, assez long pour ressembler à une vraie "
                                           "question d'examen théorique ?")
                                .arg(code)
                                .arg(n);
                for (int c = 0; c < 4; ++c) {
                    q.lib[size_t(c)] = QStringLiteral("Réponse %1 de la question %2").arg(c).arg(n);
                    q.val[size_t(c)] = c == 0 ? 6 : -c;
                }
                q.flags = {1, 1, 0, 1, 0, 0};
                bank.questions.append(q);
            }
        }
        QString error;
        if (!writeBank(QDir(dir.path()).filePath(QStringLiteral("VAR-irururiza.zov")), bank, &error))
            qFatal("%s", qPrintable(error));
    }
};

LargeBank &largeBank()
{
    static LargeBank bank;
    return bank;
}

struct Runner {
    SilentDialogs dialogs;
    QCMBas state{dialogs, largeBank().dir.path()};
    fQCM window{state};
    Runner() { state.readSettings(); }
};

void BindAndFillDomainList(benchmark::State &s)
{
    Runner r;
    for (auto _ : s) {
        r.state.CloseDatabases();
        r.state.BindDatabase();
        r.window.FillDomainList(); // selects domain 0 and shows its first question
    }
    if (r.window.lstDomaine()->count() != 10)
        s.SkipWithError("domain list not filled");
}
BENCHMARK(BindAndFillDomainList)->Unit(benchmark::kMillisecond);

void LoadDomainAndShowFirstQuestion(benchmark::State &s)
{
    Runner r;
    r.window.load();
    int entry = 0;
    for (auto _ : s) {
        r.window.lstDomaine()->setCurrentIndex(entry);
        r.window.domainClicked();
        entry = (entry + 1) % 10;
    }
    if (r.state.QuestionCount != 2000)
        s.SkipWithError("domain not loaded");
}
BENCHMARK(LoadDomainAndShowFirstQuestion)->Unit(benchmark::kMillisecond);

void NextQuestion(benchmark::State &s)
{
    Runner r;
    r.window.load();
    for (auto _ : s) {
        if (r.state.CurrentIndex == r.state.QuestionCount - 1) {
            s.PauseTiming();
            r.window.domainClicked();
            s.ResumeTiming();
        }
        r.window.ShowNextQuestion();
    }
}
BENCHMARK(NextQuestion)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
