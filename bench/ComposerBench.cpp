// Speed of the questionnaire composer on generated banks of 2,000, 20,000
// and 200,000 questions with the six specialities ticked: building the
// candidate list, drawing 60 at random, saving a questionnaire of 60 and
// opening it again. The window is exposed and every step includes its layout
// and the paint the event loop does; a step that paints nothing fails. Then
// the reads of the bank beneath: the candidate lines at three bank sizes,
// and one question found by its key.
#include "BenchSupport.h"
#include "PaintedWindow.h"
#include "composer/BankReader.h"
#include "composer/QuestionnaireStore.h"
#include "composer/fCreaQCM.h"
#include "state/ProgramFolder.h"
#include "state/QCMBas.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>

#include <random>

using namespace qcm;
using namespace qcm::bench;

namespace {

// Random numbers that do vary: the drawing asks again for every repeat.
class DrawingDialogs : public SilentDialogs {
public:
    double rnd() override { return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine); }

private:
    std::mt19937_64 m_engine{2026};
};

const QString kName = QStringLiteral("Examen blanc « B » d'avril");

struct ShownComposer {
    DrawingDialogs dialogs;
    QCMBas state;
    fCreaQCM window{state};
    PaintCounter paints{window};

    explicit ShownComposer(int questions) : state(dialogs, programFolderWithBank(questions))
    {
        state.readSettings();
        state.BindDatabase();
        window.resize(1200, 800);
        if (!paints.showExposed())
            qFatal("the composer was never exposed");
        window.FillQcmCombo();
        for (int k = 0; k < kSpecialityCount; ++k)
            window.chkOpt(k)->setChecked(true);
        window.QCMListe();
        settle();
    }
    void settle() { paints.settle(); }
    // A stored questionnaire of 60 random questions, chosen in the list.
    void storeSixty()
    {
        window.SelectRandom60();
        window.txt(0)->setText(kName);
        window.txt(1)->setText(QStringLiteral("06/12/2026"));
        window.txt(2)->setText(QStringLiteral("Brevet B de Vol Libre - Parapente"));
        window.SaveQcm();
    }
};

// Second argument 1: the bank may have changed since the last listing (it is
// read again); 0: it has not (a box ticked again, a label clicked).
void QCMListeSixSpecialities(benchmark::State &s)
{
    ShownComposer c(int(s.range(0)));
    for (auto _ : s) {
        if (s.range(1)) {
            s.PauseTiming();
            c.state.connection()->db().exec(QStringLiteral("UPDATE Questions SET Numero = Numero WHERE rowid = 1"));
            s.ResumeTiming();
        }
        c.window.QCMListe();
        c.settle();
    }
    s.counters["entries"] = c.window.candidates().count();
}
BENCHMARK(QCMListeSixSpecialities)->ArgsProduct({{2000, 20000, 200000}, {1, 0}})->Unit(benchmark::kMillisecond);

void SelectRandom60WithStatus(benchmark::State &s)
{
    ShownComposer c(int(s.range(0)));
    for (auto _ : s) {
        c.window.SelectRandom60(); // ends with UpdateQcmStatus
        c.settle();
    }
    c.paints.check(s);
    if (c.window.questionnaireLines().size() != 60)
        s.SkipWithError("60 not selected");
}
BENCHMARK(SelectRandom60WithStatus)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// The whole procedure: checks, the transaction, the list of questionnaires
// refilled and the questionnaire reopened from it (no working copy to refresh).
void SaveQcmOfSixty(benchmark::State &s)
{
    ShownComposer c(int(s.range(0)));
    c.storeSixty();
    for (auto _ : s) {
        if (!c.window.SaveQcm())
            s.SkipWithError("save refused or failed");
        c.settle();
    }
    c.paints.check(s);
}
BENCHMARK(SaveQcmOfSixty)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// The transaction alone: 60 rows deleted and written again, and the
// speciality row.
void StoreSixtyRows(benchmark::State &s)
{
    ShownComposer c(int(s.range(0)));
    c.window.SelectRandom60();
    const QuestionnaireDraft draft{kName, QStringLiteral("06/12/2026"), QStringLiteral("Brevet B de parapente"),
        {1, 1, 1, 1, 1, 1}, c.window.questionnaireLines()};
    for (auto _ : s) {
        int written = 0;
        if (Questionnaires::save(c.state, draft, &written).isError() || written != 60)
            s.SkipWithError("save failed");
    }
}
BENCHMARK(StoreSixtyRows)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// Choosing a stored questionnaire of 60 in the list of questionnaires; after
// a listing, right after the list was read again, as after any change to the
// bank: the first search of a line in the new list is timed too.
void openStoredSixty(benchmark::State &s, bool afterListing)
{
    ShownComposer c(int(s.range(0)));
    c.storeSixty();
    c.window.FillQcmCombo();
    const int entry = c.window.cmbQCM()->findText(kName);
    for (auto _ : s) {
        s.PauseTiming();
        c.window.cmbQCM()->setCurrentIndex(0);
        if (afterListing) {
            c.state.connection()->db().exec(QStringLiteral("UPDATE Questions SET Numero = Numero WHERE rowid = 1"));
            c.window.QCMListe();
            c.settle();
        }
        s.ResumeTiming();
        c.window.cmbQCM()->setCurrentIndex(entry);
        Q_EMIT c.window.cmbQCM()->activated(entry);
        c.settle();
    }
    c.paints.check(s);
    if (c.window.questionnaireLines().size() != 60)
        s.SkipWithError("questionnaire not reopened");
}

void OpenStoredSixty(benchmark::State &s)
{
    openStoredSixty(s, false);
}
BENCHMARK(OpenStoredSixty)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void OpenStoredSixtyAfterListing(benchmark::State &s)
{
    openStoredSixty(s, true);
}
BENCHMARK(OpenStoredSixtyAfterListing)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// The same save with a working copy beside the program to refresh.
void SaveQcmWithWorkingCopy(benchmark::State &s)
{
    ShownComposer c(int(s.range(0)));
    c.storeSixty();
    const QString copy = c.state.workingCopyPath();
    QFile::copy(c.state.DbPath, copy);
    for (auto _ : s) {
        c.window.SaveQcm();
        c.settle();
    }
    c.paints.check(s);
    QFile::remove(copy);
}
BENCHMARK(SaveQcmWithWorkingCopy)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// The candidate lines and flags of every question read again from the file,
// as after any change to the bank, at three bank sizes; the floor steps the
// same statement over the same columns and builds nothing.
std::shared_ptr<Connection> openBank(int questions)
{
    StoreError error;
    auto connection = Connection::open(
        QDir(programFolderWithBank(questions)).filePath(QString::fromLatin1(kDefaultBankName)), &error);
    if (!connection)
        qFatal("%s", qPrintable(error.description));
    return connection;
}

void CandidateLinesRead(benchmark::State &s)
{
    const auto connection = openBank(int(s.range(0)));
    CandidateCache cache;
    std::vector<int> lines;
    for (auto _ : s) {
        cache.clear();
        StoreError error;
        if (!cache.lines(connection, {true, true, true, true, true, true}, lines, &error))
            s.SkipWithError("read failed");
    }
    s.counters["lines"] = double(lines.size());
}
BENCHMARK(CandidateLinesRead)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// The same lines built straight from the statement, without the model: what
// the read through the model is held against.
void CandidateLinesDirect(benchmark::State &s)
{
    const auto connection = openBank(int(s.range(0)));
    struct Entry {
        QString line;
        unsigned flags = 0;
    };
    std::vector<Entry> entries;
    for (auto _ : s) {
        entries.clear();
        SqliteStatement *st = connection->statement(QStringLiteral("SELECT Code, Numero, \"Libellé\", ParapenteSolo, "
                                                                   "ParapenteBi, ParapenteBiHandi, DeltaSolo, DeltaBi, "
                                                                   "DeltaBiHandi FROM Questions ORDER BY Code, Numero"),
            nullptr);
        QByteArray buffer;
        while (st->step()) {
            buffer.clear();
            buffer.append(st->columnUtf8(0));
            buffer.append('/');
            buffer.append(QByteArray::number(st->columnInt64(1)));
            buffer.append("- ", 2);
            buffer.append(st->columnUtf8(2));
            unsigned flags = 0;
            for (int k = 0; k < kSpecialityCount; ++k)
                flags |= st->columnInt64(3 + k) == 1 ? 1u << k : 0u;
            entries.push_back({QString::fromUtf8(buffer), flags});
        }
        st->reset();
    }
    s.counters["lines"] = double(entries.size());
}
BENCHMARK(CandidateLinesDirect)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// One question found by its domain and number, as the save of a questionnaire
// does for each of its lines.
void QuestionLookup(benchmark::State &s)
{
    const BankModel bank(openBank(20000));
    qint64 n = 0;
    for (auto _ : s) {
        const auto q = bank.question(QStringLiteral("3"), 1 + (n++ % 2000));
        benchmark::DoNotOptimize(q);
    }
}
BENCHMARK(QuestionLookup)->Unit(benchmark::kMicrosecond);

} // namespace
