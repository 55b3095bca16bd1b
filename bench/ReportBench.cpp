// Speed of the reports on a large working copy: a bank of 20,000 questions
// and 20 stored questionnaires of 60. Each filtered layout of one
// questionnaire must reach its PDF in under 250 ms, the complete listing in
// under 3 s, and the preview of one questionnaire must open in under 500 ms.
#include "database/Schema.h"
#include "database/Sqlite.h"
#include "reports/ReportPreview.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace qcm;

namespace {

QString questionnaireName(int k)
{
    return QStringLiteral("Examen blanc n°%1 \"printemps\" 2024/2025 d'été").arg(k + 1, 2, 10, QChar(u'0'));
}

struct LargeWorkingCopy {
    QTemporaryDir dir;
    QString path;

    LargeWorkingCopy()
    {
        path = QDir(dir.path()).filePath(QStringLiteral("qcm.mdb"));
        BankContent bank;
        for (int d = 0; d < 10; ++d) {
            const QString code = QString::number(d);
            bank.domains.append({code, QStringLiteral("Domaine %1").arg(d)});
            for (int n = 1; n <= 2000; ++n) {
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

LargeWorkingCopy &workingCopy()
{
    static LargeWorkingCopy copy;
    return copy;
}

const char *const kFiltered[]
    = {"QCM Questions élève", "QCM Grille réponses élève", "QCM Grille réponses moniteur", "QCM Questions moniteur"};

ReportRequest request(const QString &layout, const QString &formula)
{
    ReportRequest r;
    r.layoutPath = QStringLiteral(QCM_REPORT_LAYOUTS "/") + layout + QStringLiteral(".rpt");
    r.formula = formula;
    r.destination = ReportDestination::Pdf;
    r.pdfPath = QDir(workingCopy().dir.path()).filePath(QStringLiteral("out.pdf"));
    r.title = QStringLiteral("QCM Questions");
    r.workingCopyPath = workingCopy().path;
    return r;
}

QString formulaFor(int k)
{
    return QStringLiteral("{QCM.NomQCM} = \"") + questionnaireName(k) + u'"';
}

void FilteredLayoutToPdf(benchmark::State &s)
{
    workingCopy(); // made before the timing starts
    const QString layout = QString::fromUtf8(kFiltered[s.range(0)]);
    s.SetLabel(kFiltered[s.range(0)]);
    int k = 0;
    for (auto _ : s) {
        QString message;
        if (RunReport(request(layout, formulaFor(k)), &message) != ReportCode::Ok)
            s.SkipWithError(qPrintable(message));
        k = (k + 1) % 20;
    }
}
BENCHMARK(FilteredLayoutToPdf)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void CompleteListingToPdf(benchmark::State &s)
{
    workingCopy(); // made before the timing starts
    for (auto _ : s) {
        QString message;
        if (RunReport(request(QStringLiteral("QCM Complet"), QString()), &message) != ReportCode::Ok)
            s.SkipWithError(qPrintable(message));
    }
}
BENCHMARK(CompleteListingToPdf)->Unit(benchmark::kMillisecond);

// From the request to the first page painted in the preview window.
void OpenPreviewOfOneQuestionnaire(benchmark::State &s)
{
    workingCopy(); // made before the timing starts
    int k = 0;
    for (auto _ : s) {
        ReportRequest r = request(QStringLiteral("QCM Questions élève"), formulaFor(k));
        r.destination = ReportDestination::Window;
        ReportPreview *shown = nullptr;
        r.preview = [&shown, factory = previewFactory(nullptr, {})](auto document, const QString &title) {
            const bool ok = factory(std::move(document), title);
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *p = qobject_cast<ReportPreview *>(w); p && p->isVisible())
                    shown = p;
            return ok;
        };
        if (RunReport(r) != ReportCode::Ok || !shown)
            s.SkipWithError("preview not shown");
        QApplication::processEvents();
        s.PauseTiming();
        delete shown;
        k = (k + 1) % 20;
        s.ResumeTiming();
    }
}
BENCHMARK(OpenPreviewOfOneQuestionnaire)->Unit(benchmark::kMillisecond);

} // namespace
