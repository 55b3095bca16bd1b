// Speed of the practice window and of a questionnaire-shaped save, on
// generated banks of 2,000, 20,000 and 200,000 questions. The window is
// exposed and every step includes its layout and the paint the event loop
// does; a step that paints nothing fails the benchmark. The floor is the same
// window filled from memory, without a bank.
#include "BenchSupport.h"
#include "PaintedWindow.h"
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
    PaintCounter paints{window};

    explicit ShownRunner(const QString &folder) : state(dialogs, folder)
    {
        state.readSettings();
        window.load();
        window.resize(1600, 1000);
        if (!paints.showExposed())
            qFatal("the practice window was never exposed");
    }
    explicit ShownRunner(int questions) : ShownRunner(programFolderWithBank(questions)) { }
    void settle() { paints.settle(); }
};

// The practice window without a bank, its domains and questions put on it
// from memory: what a click costs that reads nothing.
struct EmptyFolder {
    QTemporaryDir empty;
};
struct FloorRunner : EmptyFolder, ShownRunner {
    QList<Question> questions = generatedBank(200).questions;
    qsizetype next = 0;

    FloorRunner() : ShownRunner(empty.path())
    {
        QStringList entries;
        for (int d = 1; d <= 10; ++d)
            entries << QStringLiteral("%1 - Domaine %2").arg(d % 10).arg(d);
        window.lstDomaine()->addItems(entries);
        showNext();
        settle();
    }
    void showNext()
    {
        const qsizetype i = next++ % questions.size();
        window.lbl(1)->setText(QStringLiteral("Question n° %1 sur %2").arg(i + 1).arg(questions.size()));
        window.displayQuestion(questions.at(i));
        window.ApplyLearnMode();
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
    r.paints.check(s);
    if (r.window.lstDomaine()->count() != 10)
        s.SkipWithError("domain list not filled");
}
BENCHMARK(BindAndFillDomainList)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void SelectDomainWithPaint(benchmark::State &s)
{
    ShownRunner r(int(s.range(0)));
    int entry = 1; // the first is already shown: choosing it again paints nothing
    for (auto _ : s) {
        r.window.lstDomaine()->setCurrentIndex(entry);
        r.window.domainClicked();
        r.settle();
        entry = (entry + 1) % 10;
    }
    r.paints.check(s);
    if (r.state.QuestionCount != s.range(0) / 10)
        s.SkipWithError("domain not loaded");
}
BENCHMARK(SelectDomainWithPaint)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void FloorSelectDomainWithPaint(benchmark::State &s)
{
    FloorRunner r;
    int entry = 1; // the first is already shown: choosing it again paints nothing
    for (auto _ : s) {
        r.window.lstDomaine()->setCurrentIndex(entry);
        r.next = entry * 20;
        r.showNext();
        r.settle();
        entry = (entry + 1) % 10;
    }
    r.paints.check(s);
}
BENCHMARK(FloorSelectDomainWithPaint)->Unit(benchmark::kMillisecond);

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
    r.paints.check(s);
}
BENCHMARK(NextQuestionWithPaint)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMicrosecond);

void FloorNextQuestionWithPaint(benchmark::State &s)
{
    FloorRunner r;
    for (auto _ : s) {
        r.showNext();
        r.settle();
    }
    r.paints.check(s);
}
BENCHMARK(FloorNextQuestionWithPaint)->Unit(benchmark::kMicrosecond);

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
    ShownRunner r(longStatementFolder(int(s.range(0))));
    for (auto _ : s) {
        if (r.state.CurrentIndex == r.state.QuestionCount - 1) {
            s.PauseTiming();
            r.window.domainClicked();
            r.settle();
            s.ResumeTiming();
        }
        r.window.ShowNextQuestion();
        r.settle();
    }
    r.paints.check(s);
    if (r.state.QuestionCount != 4)
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
