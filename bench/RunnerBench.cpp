// Speed of the practice window and of a questionnaire-shaped save, on
// generated banks of 2,000, 20,000 and 200,000 questions. The window is shown
// and every step includes its layout and its paint.
#include "BenchSupport.h"
#include "runner/fQCM.h"
#include "state/ProgramFolder.h"
#include "state/QCMBas.h"

#include <QApplication>

#include <benchmark/benchmark.h>

using namespace qcm;
using namespace qcm::bench;

namespace {

struct ShownRunner {
    SilentDialogs dialogs;
    QCMBas state;
    fQCM window{state};

    explicit ShownRunner(int questions) : state(dialogs, programFolderWithBank(questions))
    {
        state.readSettings();
        window.load();
        window.resize(1600, 1000);
        window.show();
        settle();
    }
    // What a real click costs beyond the handler: the layout and the paint.
    void settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        window.repaint();
    }
};

void BindAndFillDomainList(benchmark::State &s)
{
    ShownRunner r(int(s.range(0)));
    for (auto _ : s) {
        r.state.CloseDatabases();
        r.state.BindDatabase();
        r.window.FillDomainList(); // selects domain 1 and shows its first question
        r.settle();
    }
    if (r.window.lstDomaine()->count() != 10)
        s.SkipWithError("domain list not filled");
}
BENCHMARK(BindAndFillDomainList)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void SelectDomainWithPaint(benchmark::State &s)
{
    ShownRunner r(int(s.range(0)));
    int entry = 0;
    for (auto _ : s) {
        r.window.lstDomaine()->setCurrentIndex(entry);
        r.window.domainClicked();
        r.settle();
        entry = (entry + 1) % 10;
    }
    if (r.state.QuestionCount != s.range(0) / 10)
        s.SkipWithError("domain not loaded");
}
BENCHMARK(SelectDomainWithPaint)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void NextQuestionWithPaint(benchmark::State &s)
{
    ShownRunner r(int(s.range(0)));
    for (auto _ : s) {
        if (r.state.CurrentIndex == r.state.QuestionCount - 1) {
            s.PauseTiming();
            r.window.domainClicked();
            s.ResumeTiming();
        }
        r.window.ShowNextQuestion();
        r.settle();
    }
}
BENCHMARK(NextQuestionWithPaint)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMicrosecond);

// Moving through questions whose statements are very long (a regulation
// text pasted whole): each move lays the new statement out once.
QString longStatementFolder(int length)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto &dir = folders[length];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        BankContent bank = generatedBank(40);
        bank.domains = {bank.domains.front()};
        bank.questions.resize(4);
        for (Question &q : bank.questions) {
            QString text;
            while (text.size() < length)
                text += q.libelle + u' ';
            q.libelle = text.left(length);
        }
        QString error;
        if (!writeBank(QDir(dir->path()).filePath(QString::fromLatin1(kDefaultBankName)), bank, &error))
            qFatal("%s", qPrintable(error));
    }
    return dir->path();
}

void NextLongStatementWithPaint(benchmark::State &s)
{
    SilentDialogs dialogs;
    QCMBas state(dialogs, longStatementFolder(int(s.range(0))));
    fQCM window{state};
    state.readSettings();
    window.load();
    window.resize(1600, 1000);
    window.show();
    auto settle = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        window.repaint();
    };
    settle();
    for (auto _ : s) {
        if (state.CurrentIndex == state.QuestionCount - 1) {
            s.PauseTiming();
            window.domainClicked();
            settle();
            s.ResumeTiming();
        }
        window.ShowNextQuestion();
        settle();
    }
    if (state.QuestionCount != 4)
        s.SkipWithError("long statements not loaded");
}
BENCHMARK(NextLongStatementWithPaint)->Arg(500)->Arg(100000)->Unit(benchmark::kMillisecond);

// The check a chosen file goes through before the program closes anything:
// its tables and fields, a row read, and the integrity check of its pages.
void VerifyChosenBank(benchmark::State &s)
{
    const QString path = QDir(programFolderWithBank(int(s.range(0)))).filePath(QString::fromLatin1(kDefaultBankName));
    for (auto _ : s) {
        if (Schema::verify(path))
            s.SkipWithError("bank refused");
    }
}
BENCHMARK(VerifyChosenBank)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// What storing a questionnaire does: its 60 rows deleted and written again,
// and its speciality row, in one transaction.
void SaveQuestionnaireShape(benchmark::State &s)
{
    SilentDialogs dialogs;
    QCMBas state(dialogs, programFolderWithBank(int(s.range(0))));
    state.readSettings();
    state.BindDatabase();
    const QString name = QStringLiteral("Examen blanc « B » d'avril");
    int round = 0;
    for (auto _ : s) {
        Transaction transaction(state.connection());
        state.datQCM.setRecordSource(Queries::questionnaireRows(name));
        state.datQCM.refresh();
        while (!state.datQCM.eof()) {
            state.datQCM.deleteRecord();
            state.datQCM.moveNext();
        }
        state.datQCM.setRecordSource("QCM");
        state.datQCM.refresh();
        for (int n = 1; n <= 60; ++n) {
            state.datQCM.addNew();
            state.datQCM.setField(QStringLiteral("NomQCM"), name);
            state.datQCM.setField(QStringLiteral("DateMAJ"), QStringLiteral("06/12/2026"));
            state.datQCM.setField(QStringLiteral("Code"), QStringLiteral("1"));
            state.datQCM.setField(QStringLiteral("Numero"), n + round);
            state.datQCM.setField(QStringLiteral("Libellé"), QStringLiteral("Énoncé %1").arg(n));
            state.datQCM.update();
        }
        state.datSpe.refresh();
        state.datSpe.findFirst(Criteria::questionnaireName(name));
        state.datSpe.noMatch() ? state.datSpe.addNew() : state.datSpe.edit();
        state.datSpe.setField(QStringLiteral("NomQCM"), name);
        state.datSpe.setField(QStringLiteral("Spécialité"), QStringLiteral("Brevet B de parapente"));
        state.datSpe.update();
        if (!transaction.commit())
            s.SkipWithError("save failed");
        round = 1 - round;
    }
}
BENCHMARK(SaveQuestionnaireShape)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace
