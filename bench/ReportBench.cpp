// Speed of the reports on working copies of banks of 2,000, 20,000 and
// 200,000 questions, each with 20 stored questionnaires of 60. At 20,000,
// each filtered layout of one questionnaire must reach its PDF in under
// 250 ms, the complete listing in under 3 s, and the preview of one
// questionnaire must open, exposed and painted, in under 500 ms.
#include "PaintedWindow.h"
#include "database/Schema.h"
#include "database/Sqlite.h"
#include "reports/ReportPreview.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

#include <benchmark/benchmark.h>

using namespace qcm;
using qcm::bench::PaintCounter;

namespace {

QString questionnaireName(int k)
{
    return QStringLiteral("Examen blanc n°%1 \"printemps\" 2024/2025 d'été").arg(k + 1, 2, 10, QChar(u'0'));
}

struct LargeWorkingCopy {
    QTemporaryDir dir;
    QString path;

    explicit LargeWorkingCopy(int questions)
    {
        path = QDir(dir.path()).filePath(QStringLiteral("qcm.mdb"));
        BankContent bank;
        for (int d = 0; d < 10; ++d) {
            const QString code = QString::number(d);
            bank.domains.append({code, QStringLiteral("Domaine %1").arg(d)});
            for (int n = 1; n <= questions / 10; ++n) {
                Question q;
                q.code = code;
                q.numero = n;
                q.libelle = QStringLiteral("Énoncé de la question %1/%2, assez long pour ressembler à une vraie "
                                           "question d'examen théorique, qui tient parfois sur deux lignes ?")
                                .arg(code)
                                .arg(n);
                const int choices = 3 + n % 4;
                for (int c = 0; c < choices; ++c) {
                    q.lib[size_t(c)] = QStringLiteral("Réponse %1 de la question %2, avec \"quelques\" mots de plus")
                                           .arg(QChar(u'A' + c))
                                           .arg(n);
                    q.val[size_t(c)] = c == 0 ? 6 : -c % 3;
                }
                q.flags = {1, 1, 0, 1, 0, 0};
                bank.questions.append(q);
            }
        }
        QString error;
        if (!writeBank(path, bank, &error))
            qFatal("%s", qPrintable(error));

        SqliteDb db;
        if (!db.open(path, SqliteDb::Mode::ReadWrite, &error))
            qFatal("%s", qPrintable(error));
        QString columns = QStringLiteral("NomQCM, DateMAJ, Code, Numero, \"Libellé\", \"Spécialité\"");
        for (int c = 0; c < kChoiceCount; ++c)
            columns += QStringLiteral(", lib%1, val%1").arg(c);
        const QString marks = QStringList(6 + 2 * kChoiceCount, QStringLiteral("?")).join(u',');
        SqliteStatement insert = db.prepare(QStringLiteral("INSERT INTO QCM (%1) VALUES (%2)").arg(columns, marks));
        db.exec(QStringLiteral("BEGIN"));
        for (int k = 0; k < 20; ++k)
            for (int i = 0; i < 60; ++i) {
                const Question &q = bank.questions.at((k * 997 + i * 331) % bank.questions.size());
                QVariantList values{questionnaireName(k), QStringLiteral("14/06/2024"), q.code, q.numero, q.libelle,
                    QStringLiteral("Brevet B de Vol Libre - Parapente")};
                for (int c = 0; c < kChoiceCount; ++c) {
                    values.append(q.lib[size_t(c)].isEmpty() ? QVariant() : QVariant(q.lib[size_t(c)]));
                    values.append(q.val[size_t(c)] ? QVariant(*q.val[size_t(c)]) : QVariant());
                }
                insert.reset();
                insert.bindAll(values);
                if (!insert.exec())
                    qFatal("%s", qPrintable(insert.error()));
            }
        db.exec(QStringLiteral("COMMIT"));
    }
};

// Made once per size, before the timing starts.
LargeWorkingCopy &workingCopy(int questions)
{
    static std::map<int, std::unique_ptr<LargeWorkingCopy>> copies;
    auto &copy = copies[questions];
    if (!copy)
        copy = std::make_unique<LargeWorkingCopy>(questions);
    return *copy;
}

const char *const kFiltered[]
    = {"QCM Questions élève", "QCM Grille réponses élève", "QCM Grille réponses moniteur", "QCM Questions moniteur"};

ReportRequest request(int questions, const QString &layout, const QString &formula)
{
    ReportRequest r;
    r.layoutPath = QStringLiteral(QCM_REPORT_LAYOUTS "/") + layout + QStringLiteral(".rpt");
    r.formula = formula;
    r.destination = ReportDestination::Pdf;
    r.pdfPath = QDir(workingCopy(questions).dir.path()).filePath(QStringLiteral("out.pdf"));
    r.title = QStringLiteral("QCM Questions");
    r.workingCopyPath = workingCopy(questions).path;
    return r;
}

QString formulaFor(int k)
{
    return QStringLiteral("{QCM.NomQCM} = \"") + questionnaireName(k) + u'"';
}

// First argument: the bank's size; second: the layout.
void FilteredLayoutToPdf(benchmark::State &s)
{
    const int questions = int(s.range(0));
    workingCopy(questions);
    const QString layout = QString::fromUtf8(kFiltered[s.range(1)]);
    s.SetLabel(kFiltered[s.range(1)]);
    int k = 0;
    for (auto _ : s) {
        QString message;
        if (RunReport(request(questions, layout, formulaFor(k)), &message) != ReportCode::Ok)
            s.SkipWithError(qPrintable(message));
        k = (k + 1) % 20;
    }
}
BENCHMARK(FilteredLayoutToPdf)->ArgsProduct({{2000, 20000, 200000}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);

// One round at 200,000 questions: the listing runs to tens of thousands of pages.
void CompleteListingToPdf(benchmark::State &s)
{
    const int questions = int(s.range(0));
    workingCopy(questions);
    for (auto _ : s) {
        QString message;
        if (RunReport(request(questions, QStringLiteral("QCM Complet"), QString()), &message) != ReportCode::Ok)
            s.SkipWithError(qPrintable(message));
    }
}
BENCHMARK(CompleteListingToPdf)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(CompleteListingToPdf)->Arg(200000)->Iterations(1)->Unit(benchmark::kMillisecond);

// From the request to the first page painted in the preview window, once the
// platform has exposed it; a preview that paints nothing fails.
void OpenPreviewOfOneQuestionnaire(benchmark::State &s)
{
    const int questions = int(s.range(0));
    workingCopy(questions);
    int k = 0;
    bool unpainted = false;
    for (auto _ : s) {
        ReportRequest r = request(questions, QStringLiteral("QCM Questions élève"), formulaFor(k));
        r.destination = ReportDestination::Window;
        ReportPreview *shown = nullptr;
        std::unique_ptr<PaintCounter> paints;
        r.preview = [&shown, &paints, factory = previewFactory(nullptr, {})](auto document, const QString &title) {
            const bool ok = factory(std::move(document), title);
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *p = qobject_cast<ReportPreview *>(w); p && p->isVisible())
                    shown = p;
            if (shown)
                paints = std::make_unique<PaintCounter>(*shown);
            return ok;
        };
        if (RunReport(r) != ReportCode::Ok || !shown || !QTest::qWaitForWindowExposed(shown))
            s.SkipWithError("preview not shown");
        paints->settle();
        unpainted = unpainted || paints->count() == 0;
        s.PauseTiming();
        paints.reset();
        delete shown;
        k = (k + 1) % 20;
        s.ResumeTiming();
    }
    if (unpainted)
        s.SkipWithError("a preview painted nothing");
}
BENCHMARK(OpenPreviewOfOneQuestionnaire)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
