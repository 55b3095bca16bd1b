// Speed of the question editor on generated banks of 2,000, 20,000 and
// 200,000 questions in ten domains: showing the window on a handed-over
// question, saving, numbering, the points check, batch marking and deleting a
// whole domain. Each benchmark works on its own copy of the bank; the window
// is exposed and a step that claims a paint fails when nothing was painted.
#include "BenchSupport.h"
#include "PaintedWindow.h"
#include "editor/fSaisie.h"
#include "state/ProgramFolder.h"
#include "state/QCMBas.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>

using namespace qcm;
using namespace qcm::bench;

namespace {

// Answers boxes from a queue, then with the first button.
class QueuedDialogs : public SilentDialogs {
public:
    int showBox(const BoxRequest &) override { return answers.isEmpty() ? 0 : answers.takeFirst(); }
    QList<int> answers;
};

struct ShownEditor {
    QueuedDialogs dialogs;
    QTemporaryDir dir;
    std::unique_ptr<QCMBas> state;
    std::unique_ptr<fSaisie> window;
    std::unique_ptr<PaintCounter> paints;
    // Questions in each of the ten domains.
    const int perDomain;

    explicit ShownEditor(int questions) : perDomain(questions / 10)
    {
        const QString name = QString::fromLatin1(kDefaultBankName);
        QFile::copy(QDir(programFolderWithBank(questions)).filePath(name), QDir(dir.path()).filePath(name));
        state = std::make_unique<QCMBas>(dialogs, dir.path());
        state->readSettings();
        state->BindDatabase();
        window = std::make_unique<fSaisie>(*state);
        paints = std::make_unique<PaintCounter>(*window);
        state->EditorDomainIndex = 4;
        state->EditorQuestionNumber = number(3, 4);
        if (!paints->showExposed())
            qFatal("the editor was never exposed");
    }
    // The number of a question at that fraction of its domain.
    QString number(int numerator, int denominator) const
    {
        return QString::number(perDomain * numerator / denominator);
    }
    // As the practice window hands a question over.
    void show(int domain, const QString &number)
    {
        state->EditorDomainIndex = domain;
        state->EditorQuestionNumber = number;
        window->show();
        settle();
    }
    void settle() { paints->settle(); }
    // The automatic backup a bulk change takes first copies the whole bank;
    // switched off, what is left is the change itself.
    void backups(bool on)
    {
        if (!on)
            state->writeSetting(
                QStringLiteral("Sauvegardes"), QStringLiteral("Espace maximal (Mo)"), QStringLiteral("0"));
    }
    void fill(const QString &number)
    {
        for (int i = 3; i < 16; ++i)
            window->setText(i, {});
        window->setText(2, number);
        window->setText(3, QStringLiteral("Que faire quand le vent forcit au décollage ?"));
        const char *points[] = {"4", "2", "-1", "-1"};
        for (int k = 0; k < 4; ++k) {
            window->setText(4 + 2 * k, QStringLiteral("Réponse %1").arg(k + 1));
            window->setText(5 + 2 * k, QString::fromLatin1(points[k]));
        }
        window->setChecked(0, true);
    }
};

void ShowEditorOnHandedOverQuestion(benchmark::State &s)
{
    ShownEditor e(int(s.range(0)));
    int domain = 0;
    const QString number = e.number(5, 8);
    for (auto _ : s) {
        e.window->hide();
        e.show(domain, number);
        domain = (domain + 1) % 10;
    }
    e.paints->check(s);
    if (e.window->text(3).isEmpty())
        s.SkipWithError("question not shown");
}
BENCHMARK(ShowEditorOnHandedOverQuestion)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void SaveExistingQuestion(benchmark::State &s)
{
    ShownEditor e(int(s.range(0)));
    for (auto _ : s) {
        s.PauseTiming();
        e.fill(e.number(3, 4));
        s.ResumeTiming();
        if (!e.window->procedures().SaveQuestion())
            s.SkipWithError("not saved");
        e.settle();
    }
    e.paints->check(s);
}
BENCHMARK(SaveExistingQuestion)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void SaveNewQuestion(benchmark::State &s)
{
    ShownEditor e(int(s.range(0)));
    qint64 number = e.perDomain + 1;
    for (auto _ : s) {
        s.PauseTiming();
        e.fill(QString::number(number++));
        s.ResumeTiming();
        if (!e.window->procedures().SaveQuestion())
            s.SkipWithError("not saved");
        e.settle();
    }
    e.paints->check(s);
}
BENCHMARK(SaveNewQuestion)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void NextQuestionNumberOfADomain(benchmark::State &s)
{
    ShownEditor e(int(s.range(0)));
    const QString next = QString::number(e.perDomain + 1);
    for (auto _ : s)
        if (e.window->procedures().NextQuestionNumber() != next)
            s.SkipWithError("wrong number");
}
BENCHMARK(NextQuestionNumberOfADomain)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void CheckPointsOfACleanBank(benchmark::State &s)
{
    ShownEditor e(int(s.range(0)));
    for (auto _ : s) {
        e.window->procedures().CheckPoints();
        if (e.state->CheckInProgress)
            s.SkipWithError("the check stopped on a question");
    }
}
BENCHMARK(CheckPointsOfACleanBank)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// Second argument: the automatic backup taken first (1) or switched off (0).
void BatchMarkingOfADomain(benchmark::State &s)
{
    ShownEditor e(int(s.range(0)));
    e.backups(s.range(1) != 0);
    int box = 0;
    for (auto _ : s) {
        e.dialogs.answers = {box % 2 == 0 ? 0 : 2, 0}; // tick, then untick
        e.window->procedures().batchMark(box / 2 % 6);
        ++box;
    }
}
BENCHMARK(BatchMarkingOfADomain)->ArgsProduct({{2000, 20000, 200000}, {1, 0}})->Unit(benchmark::kMillisecond);

void DeleteADomainWithItsQuestions(benchmark::State &s)
{
    ShownEditor e(int(s.range(0)));
    e.backups(s.range(1) != 0);
    SqliteDb &db = e.state->connection()->db();
    db.exec(QStringLiteral("CREATE TEMP TABLE kept AS SELECT * FROM Questions WHERE Code = '5'"));
    for (auto _ : s) {
        s.PauseTiming();
        db.exec(QStringLiteral("DELETE FROM Questions WHERE Code = '5'; DELETE FROM Domaines WHERE Code = '5';"
                               "INSERT INTO Questions SELECT * FROM kept;"
                               "INSERT INTO Domaines (Code, \"Libellé\") VALUES ('5', 'Domaine 5')"));
        e.window->FillEditorDomainList();
        e.window->selectDomain(e.window->procedures().domainPosition(QStringLiteral("5")));
        e.window->procedures().ShowSelectedDomain();
        e.dialogs.answers = {2, 1, 0}; // AVEC les questions, Supprimer !, Oui
        s.ResumeTiming();
        e.window->procedures().DeleteDomain();
        e.settle();
    }
    e.paints->check(s);
    if (e.window->procedures().domainPosition(QStringLiteral("5")) >= 0)
        s.SkipWithError("domain not deleted");
}
BENCHMARK(DeleteADomainWithItsQuestions)->ArgsProduct({{2000, 20000, 200000}, {1, 0}})->Unit(benchmark::kMillisecond);

} // namespace
