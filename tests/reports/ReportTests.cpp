#include "ReportFixture.h"

#include "reports/ReportLayout.h"
#include "support/Fixtures.h"
#include "support/SmallDisk.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>

using namespace qcm;
using namespace qcm::test;

namespace {

struct Golden {
    const char *layout;
    bool filtered;
    int pages;
};

// The questionnaires of the golden files, in a working copy.
class SampleReports : public ::testing::Test {
protected:
    void SetUp() override { copy.addSamples(); }
    WorkingCopy copy;
};

class GoldenTest : public SampleReports, public ::testing::WithParamInterface<Golden> { };

// Each layout printed to PDF, read back with pdftotext and compared with its
// reviewed text. QCM_UPDATE_GOLDEN=1 rewrites the reviewed files instead.
TEST_P(GoldenTest, PdfTextMatchesTheReviewedText)
{
    const Golden g = GetParam();
    const ReportRequest request
        = pdfRequest(copy, QString::fromUtf8(g.layout), g.filtered ? formulaFor(kExamName) : QString());
    const ReportOutcome outcome = runReport(request);
    ASSERT_EQ(outcome.code, ReportCode::Ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.document->pageCount(), g.pages);
    if (!havePdfToText())
        GTEST_SKIP() << "pdftotext absent (paquet poppler-utils)";

    const QString actual = pdfText(request.pdfPath);
    const QString golden = QStringLiteral(QCM_GOLDEN_DIR) + u'/' + QString::fromUtf8(g.layout) + u".txt"_s;
    if (qEnvironmentVariableIsSet("QCM_UPDATE_GOLDEN")) {
        writeFile(golden, actual.toUtf8());
        return;
    }
    const QStringList want = QString::fromUtf8(fileBytes(golden)).split(u'\n');
    const QStringList got = actual.split(u'\n');
    for (int i = 0; i < std::max(want.size(), got.size()); ++i)
        if (want.value(i) != got.value(i)) {
            writeFile(QFileInfo(golden).fileName() + u".actual"_s, actual.toUtf8());
            FAIL() << "ligne " << i + 1 << " de " << golden.toStdString()
                   << "\nattendu : " << want.value(i).toStdString() << "\nobtenu  : " << got.value(i).toStdString();
        }
}

INSTANTIATE_TEST_SUITE_P(Layouts, GoldenTest,
    ::testing::Values(Golden{"QCM Questions élève", true, 1}, Golden{"QCM Grille réponses élève", true, 1},
        Golden{"QCM Grille réponses moniteur", true, 1}, Golden{"QCM Questions moniteur", true, 1},
        Golden{"QCM Complet", false, 3}));

// Every text drawn in the document.
QStringList texts(const ReportDocument &doc)
{
    QStringList all;
    for (int p = 0; p < doc.pageCount(); ++p)
        all.append(doc.pageTexts(p));
    return all;
}

int pageOf(const ReportDocument &doc, const QString &text)
{
    for (int p = 0; p < doc.pageCount(); ++p)
        if (doc.pageTexts(p).contains(text))
            return p;
    return -1;
}

TEST(ReportLayoutTest, QuestionsStayWithTheirChoicesAndGridsFitOnePage)
{
    WorkingCopy copy;
    storeQuestionnaire(copy.path, u"Soixante"_s, u"01/09/2024"_s, u"Brevet B de delta"_s, WorkingCopy::generated(60));

    for (const char *layout : {"QCM Questions élève", "QCM Questions moniteur"}) {
        SCOPED_TRACE(layout);
        const ReportOutcome outcome = buildReport(pdfRequest(copy, QString::fromUtf8(layout), QString()));
        ASSERT_EQ(outcome.code, ReportCode::Ok) << outcome.message.toStdString();
        const ReportDocument &doc = *outcome.document;
        ASSERT_GT(doc.pageCount(), 3);
        int moved = 0;
        for (int i = 1; i <= 60; ++i) {
            const int first = pageOf(doc, u"%1."_s.arg(i));
            const int lastChoice = 1 + (i % 5);
            EXPECT_EQ(first, pageOf(doc, u"Réponse %1 de la question %2"_s.arg(QChar(u'A' + lastChoice)).arg(i)))
                << "question " << i;
            moved += i > 1 && first != pageOf(doc, u"%1."_s.arg(i - 1)) ? 1 : 0;
        }
        EXPECT_EQ(moved, doc.pageCount() - 1);
        // Nothing lost, nothing printed twice.
        for (int i = 1; i <= 60; ++i)
            EXPECT_EQ(texts(doc).count(u"Réponse A de la question %1"_s.arg(i)), 1);
        EXPECT_TRUE(doc.pageTexts(doc.pageCount() - 1).contains(u"Page %1 / %1"_s.arg(doc.pageCount())));
    }
    for (const char *layout : {"QCM Grille réponses élève", "QCM Grille réponses moniteur"}) {
        SCOPED_TRACE(layout);
        const ReportOutcome outcome = buildReport(pdfRequest(copy, QString::fromUtf8(layout), QString()));
        ASSERT_EQ(outcome.code, ReportCode::Ok) << outcome.message.toStdString();
        EXPECT_EQ(outcome.document->pageCount(), 1);
        const QStringList page = outcome.document->pageTexts(0);
        EXPECT_TRUE(page.contains(u"60"_s));
        EXPECT_TRUE(page.filter(u"360"_s).size() == 1) << page.join(u'|').toStdString();
    }
}

TEST(ReportLayoutTest, AQuestionTallerThanAPageIsCutBetweenLinesWithoutLoss)
{
    WorkingCopy copy;
    QList<StoredQuestion> questions = WorkingCopy::generated(3);
    for (int w = 0; w < 1500; ++w)
        questions[1].statement += u" long%1"_s.arg(w);
    storeQuestionnaire(copy.path, u"Long"_s, u"01/09/2024"_s, u"Brevet B de delta"_s, questions);
    const ReportOutcome outcome = buildReport(pdfRequest(copy, u"QCM Questions élève"_s, QString()));
    ASSERT_EQ(outcome.code, ReportCode::Ok) << outcome.message.toStdString();
    const ReportDocument &doc = *outcome.document;
    ASSERT_GE(doc.pageCount(), 3);
    EXPECT_EQ(pageOf(doc, u"2."_s), 1); // starts a fresh page, after question 1
    EXPECT_GT(pageOf(doc, u"Réponse A de la question 2"_s), 1);
    const QString all = texts(doc).join(u' ');
    qsizetype at = 0;
    for (int w = 0; w < 1500; ++w) {
        const qsizetype next = all.indexOf(u"long%1"_s.arg(w), at);
        ASSERT_GT(next, at) << "mot " << w;
        at = next;
    }
}

// An answer grid longer than a page goes on over the next ones with every row
// inside the body: above the bottom margin when the layout has no footer,
// above the footer's rule when it has one. No row is lost or printed twice.
TEST(ReportLayoutTest, AGridSpanningPagesKeepsEveryRowAboveTheBodysBottom)
{
    StoredQuestionnaire q{u"Long"_s, u"01/09/2024"_s, u"Brevet B de delta"_s, true, {}, {}};
    for (int i = 1; i <= 400; ++i) {
        QcmRow row{q.name, q.date, u"1"_s, i, u"Question %1"_s.arg(i), {}, {}, q.speciality, {}};
        for (int c = 0; c < 4; ++c) {
            row.lib[size_t(c)] = u"Réponse %1"_s.arg(c);
            row.val[size_t(c)] = c == 0 ? 6 : -c;
        }
        q.rows.append(row);
    }
    for (const char *name : {"QCM Grille réponses élève", "QCM Grille réponses moniteur"}) {
        for (const bool footer : {false, true}) {
            SCOPED_TRACE(std::string(name) + (footer ? " with its footer" : " without a footer"));
            LayoutReader reader;
            std::optional<ReportLayout> layout
                = reader.readFile(QStringLiteral(QCM_REPORT_LAYOUTS) + u'/' + QString::fromUtf8(name) + u".rpt"_s);
            ASSERT_TRUE(layout) << reader.error().toStdString();
            if (!footer)
                layout->footer = {};
            QString why;
            const auto doc = composeReport(*layout, {q}, {u"Titre"_s, {}}, &why);
            ASSERT_TRUE(doc) << why.toStdString();
            ASSERT_GE(doc->pageCount(), 3);
            const QColor rule(0xA0, 0xA0, 0xA0);
            QStringList numbers;
            for (int p = 0; p < doc->pageCount(); ++p) {
                const QList<ReportDocument::Item> &items = doc->page(p).items;
                double bottom = (297 - layout->margins.bottom()) * ReportDocument::kDotsPerInch / 25.4;
                if (footer)
                    for (const ReportDocument::Item &item : items)
                        if (item.kind == ReportDocument::Item::Kind::Line && item.pen == rule)
                            bottom = std::max(item.rect.top(), item.rect.bottom());
                for (const ReportDocument::Item &item : items) {
                    // Under a footer, its own texts and rule lie lower: the grid's boxes are held to the rule.
                    if (footer && item.kind != ReportDocument::Item::Kind::Box)
                        continue;
                    EXPECT_LE(std::max(item.rect.top(), item.rect.bottom()), bottom + 1e-6)
                        << "page " << p + 1 << ": " << item.text.toStdString();
                }
                numbers += doc->pageTexts(p);
            }
            for (int i = 1; i <= 400; ++i)
                ASSERT_EQ(numbers.count(QString::number(i)), 1) << "row " << i;
        }
    }
}

// Which rows a formula keeps, and in which order, the golden files show.
TEST_F(SampleReports, ANameStoredNowhereGivesOnePageThatSaysSo)
{
    // A name that is stored nowhere, even one that would break a query, and
    // the empty name of a window where no questionnaire is chosen.
    for (const QString &name : {u"x' OR '1'='1"_s, u"x\" OR \"1\"=\"1"_s, QString()}) {
        const ReportOutcome none = buildReport(pdfRequest(copy, u"QCM Grille réponses élève"_s, formulaFor(name)));
        ASSERT_EQ(none.code, ReportCode::Ok) << none.message.toStdString();
        EXPECT_EQ(none.document->pageCount(), 1);
        EXPECT_TRUE(none.document->pageTexts(0).contains(
            name.isEmpty() ? u"Aucun QCM n'a été choisi."_s : u"Aucun QCM nommé « %1 » n'est enregistré."_s.arg(name)));
    }
}

TEST_F(SampleReports, FormulasOfAnyOtherFormAreRefused)
{
    const char *const refused[] = {"{QCM.NomQCM} = Examen", "{QCM.NomQCM} = \"Examen", "{QCM.NomQCM} = 'Examen'",
        "{QCM.Code} = \"1\"", "{Questions.NomQCM} = \"Examen\"", "QCM.NomQCM = \"Examen\"",
        "{QCM.NomQCM} <> \"Examen\"", "{QCM.NomQCM} like \"Exa*\"", "{QCM.NomQCM} in [\"A\", \"B\"]",
        "{QCM.NomQCM} = \"A\" or {QCM.NomQCM} = \"B\"", "{QCM.NomQCM} = \"A\" and not ({QCM.Code} = \"1\")",
        "{QCM.NomQCM} = \"A\"; drop table QCM", "{QCM.NomQCM} = \"A\" x", "not {QCM.NomQCM} = \"A\""};
    for (const QString formula : refused) {
        const SelectionFormula f = SelectionFormula::parse(formula);
        EXPECT_FALSE(f.accepted) << formula.toStdString();
        EXPECT_EQ(f.error,
            u"La formule de sélection « %1 » n'est pas acceptée : elle doit être vide, ou de la forme "
            "{QCM.NomQCM} = \"nom du QCM\"."_s.arg(formula));
    }
    const std::pair<QString, std::optional<QString>> accepted[] = {
        {QString(), std::nullopt},
        {u"  "_s, std::nullopt},
        {formulaFor(kExamName), kExamName},
        {u"{qcm.nomqcm}=\" Examen 1 \""_s, u" Examen 1 "_s},
        {formulaFor(u"\"A\" or \"B\""_s), u"\"A\" or \"B\""_s},
    };
    for (const auto &[formula, name] : accepted) {
        const SelectionFormula f = SelectionFormula::parse(formula);
        EXPECT_TRUE(f.accepted) << formula.toStdString();
        EXPECT_EQ(f.name, name) << formula.toStdString();
    }

    QString message;
    EXPECT_EQ(RunReport(pdfRequest(copy, u"QCM Questions élève"_s, refused[9]), &message), ReportCode::FormulaRefused);
    EXPECT_FALSE(QFile::exists(pdfRequest(copy, u"QCM Questions élève"_s, {}).pdfPath));
}

class PdfOnAFullDisk : public SmallDisk {
protected:
    WorkingCopy copy;
};

TEST_F(PdfOnAFullDisk, IsRefusedWholeAndTheOlderFileKept)
{
    copy.addSamples();
    ReportRequest pdf = pdfRequest(copy, u"QCM Grille réponses élève"_s, formulaFor(kExamName));
    ASSERT_EQ(RunReport(pdf), ReportCode::Ok);
    const qint64 size = QFileInfo(pdf.pdfPath).size();
    pdf.pdfPath = onDisk(u"rapport.pdf"_s);
    writeFile(pdf.pdfPath, "ancien");
    // Room for all but the last buffered write, whose loss went unseen.
    ASSERT_NO_FATAL_FAILURE(fillLeaving((size - 1) / 4096 * 4096));
    QString why;
    EXPECT_EQ(RunReport(pdf, &why), ReportCode::PdfFailed);
    EXPECT_EQ(why,
        u"Le fichier PDF « %1 » n'a pas pu être écrit : le disque est plein ; le fichier est resté tel qu'il était."_s
            .arg(pdf.pdfPath));
    EXPECT_EQ(fileBytes(pdf.pdfPath), QByteArray("ancien"));
    EXPECT_EQ(filesOnDisk(), QStringList({u"rapport.pdf"_s, u"remplissage"_s}));
}

TEST_F(SampleReports, EachFailureHasItsCodeAndLeavesNoFileBehind)
{
    const QString name = u"QCM Questions élève"_s;

    ReportRequest missing = pdfRequest(copy, name, QString());
    missing.layoutPath = QDir(copy.dir.path()).filePath(name + u".rpt"_s);
    QString message;
    EXPECT_EQ(RunReport(missing, &message), ReportCode::LayoutMissing);
    EXPECT_EQ(message,
        u"Le fichier de mise en page « QCM Questions élève.rpt » est introuvable dans "
        "le dossier du programme."_s);
    missing.layoutPath = copy.dir.path();
    EXPECT_EQ(RunReport(missing), ReportCode::LayoutUnreadable);

    // A PDF that cannot be produced keeps the file already there.
    ReportRequest pdf = pdfRequest(copy, name, QString());
    writeFile(pdf.pdfPath, "ancien");
    pdf.workingCopyPath = QDir(copy.dir.path()).filePath(u"absente.mdb"_s);
    EXPECT_EQ(RunReport(pdf, &message), ReportCode::WorkingCopyUnreadable);
    EXPECT_EQ(message, u"La copie de travail « absente.mdb » ne peut pas être lue : le fichier est introuvable."_s);
    pdf.workingCopyPath = writeFile(copy.dir.filePath(u"garbage.mdb"_s), QByteArray(4096, 'x'));
    EXPECT_EQ(RunReport(pdf), ReportCode::WorkingCopyUnreadable);
    pdf.workingCopyPath
        = makeSqliteFile(copy.dir.filePath(u"other.mdb"_s), u"CREATE TABLE QCM (NomQCM TEXT, DateMAJ TEXT)"_s);
    EXPECT_EQ(RunReport(pdf, &message), ReportCode::WorkingCopyUnreadable);
    EXPECT_EQ(message,
        u"La copie de travail « other.mdb » ne peut pas être lue : il manque le champ "
        "« Code » à la table QCM."_s);
    EXPECT_EQ(fileBytes(pdf.pdfPath), QByteArray("ancien"));

    pdf.workingCopyPath = copy.path;
    pdf.pdfPath = QDir(copy.dir.path()).filePath(u"absent/x.pdf"_s);
    EXPECT_EQ(RunReport(pdf), ReportCode::PdfFailed);
    pdf.pdfPath.clear();
    EXPECT_EQ(RunReport(pdf), ReportCode::BadRequest);

    ReportRequest print = pdfRequest(copy, name, QString());
    print.destination = ReportDestination::Printer;
    print.copies = 0;
    EXPECT_EQ(RunReport(print), ReportCode::BadRequest);
    if (QPrinterInfo::defaultPrinter().isNull()) {
        print.copies = 2;
        EXPECT_EQ(RunReport(print, &message), ReportCode::NoPrinter);
        EXPECT_EQ(message, u"Aucune imprimante n'est installée ou choisie par défaut."_s);
    }
}

// Tables of results: a long one runs over pages without losing a row, a
// text too wide for its column is cut rather than run off the page, and a
// layout of another model is refused with its reason.
TEST_F(SampleReports, TablesOfResultsRunOverPagesAndKeepToTheirColumns)
{
    auto sheet = std::make_shared<TableSheet>();
    sheet->name = u"Résultats de la classe"_s;
    QList<QStringList> rows;
    for (int i = 1; i <= 120; ++i)
        rows.append({u"Candidat %1"_s.arg(i), QString::number(i), QString(300, u'x')});
    sheet->sections.append({u"Candidats"_s, {u"Candidat"_s, u"Examens"_s, u"Remarque"_s}, rows, 2});
    ReportRequest request = pdfRequest(copy, u"Résultats de la classe"_s, QString());
    request.tableSheet = sheet;
    const ReportOutcome outcome = buildReport(request);
    ASSERT_EQ(outcome.code, ReportCode::Ok) << outcome.message.toStdString();
    ASSERT_GE(outcome.document->pageCount(), 3);
    QStringList texts;
    for (int p = 0; p < outcome.document->pageCount(); ++p)
        texts += outcome.document->pageTexts(p);
    for (int i = 1; i <= 120; ++i)
        EXPECT_TRUE(texts.contains(u"Candidat %1"_s.arg(i))) << i;
    EXPECT_FALSE(texts.contains(QString(300, u'x')));
    EXPECT_TRUE(texts.contains(u"Page 3 / %1"_s.arg(outcome.document->pageCount())));

    request.layoutPath = QStringLiteral(QCM_REPORT_LAYOUTS "/Résultat examen blanc.rpt");
    QString message;
    EXPECT_EQ(RunReport(request, &message), ReportCode::LayoutInvalid);
    EXPECT_EQ(message,
        u"La mise en page « Résultat examen blanc.rpt » n'est pas celle d'un tableau de résultats : son modèle "
        "doit être « tableau »."_s);
    request.tableSheet.reset();
    request.layoutPath = QStringLiteral(QCM_REPORT_LAYOUTS "/Résultats de la classe.rpt");
    EXPECT_EQ(RunReport(request), ReportCode::LayoutInvalid);
}

TEST_F(SampleReports, TheWindowDestinationHandsThePagesToThePreview)
{
    ReportRequest r = pdfRequest(copy, u"QCM Grille réponses élève"_s, formulaFor(kExamName));
    r.destination = ReportDestination::Window;
    r.title = u"QCM Grille réponses "_s;
    EXPECT_EQ(RunReport(r), ReportCode::PreviewFailed);

    std::shared_ptr<const ReportDocument> shown;
    bool answer = true;
    r.preview = [&](std::shared_ptr<const ReportDocument> doc, const QString &title) {
        EXPECT_EQ(title, u"QCM Grille réponses "_s);
        shown = std::move(doc);
        return answer;
    };
    EXPECT_EQ(RunReport(r), ReportCode::Ok);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->title(), u"QCM Grille réponses "_s);
    EXPECT_EQ(shown->pageCount(), 1);
    EXPECT_FALSE(QFile::exists(r.pdfPath));
    answer = false;
    EXPECT_EQ(RunReport(r), ReportCode::PreviewFailed);
}

TEST_F(SampleReports, MistakesAreNamedWithTheirLine)
{
    // Line 0: a fault of the whole file, its message given whole.
    const struct {
        const char *content;
        int line;
        const char *message;
    } cases[] = {
        {"# rien\n", 0,
            "Fichier de mise en page « t.rpt » : il manque le réglage « modèle » de la rubrique [Document] (questions, "
            "grille, résultat ou tableau)."},
        {"[Document]\nmodèle = camembert\n", 2,
            "modèle : le modèle « camembert » est inconnu : écrivez questions, grille, résultat ou tableau."},
        {"modèle = grille\n", 1,
            "le réglage « modèle = grille » doit suivre le nom de sa rubrique, par exemple [Document]."},
        {"[Document]\nmodèle = grille\n[Page]\nmarge haut = 2\n", 4,
            "marge haut : « 2 » sort des limites permises (de 5 à 50 mm)."},
        {"[Document]\nmodèle = grille\n\n[Titre]\ntaille = douze\n", 5, "taille : « douze » n'est pas un nombre."},
        {"[Document]\nmodèle = grille\n[Titre]\ntexte = QCM {numéro}\n", 4,
            "texte : le repère « {numéro} » est inconnu ; les repères possibles sont {nom}, {spécialité}, {date}, "
            "{questions}, {maximum}, {titre}, {page}, {pages}."},
        {"[Document]\nmodèle = grille\n[Titre]\ntexte = Page {page}\n", 4,
            "texte : le repère « {page} » ne peut figurer que dans l'en-tête ou le pied de page."},
        {"[Document]\nmodèle = grille\n[Document]\n", 3, "la rubrique [Document] figure déjà à la ligne 1."},
        {"[Document]\nmodèle = grille\nMODÈLE = questions\n", 3, "le réglage « MODÈLE » figure déjà à la ligne 2."},
        {"[Document]\nmodèle = grille\n[Points]\nfond des points positifs = gris\n", 4,
            "fond des points positifs : « gris » n'est pas une couleur : écrivez-la #RRVVBB, par exemple #E0E0E0, ou "
            "aucun."},
        {"[Document]\nmodele = grille\n", 2,
            "le réglage « modele » n'existe pas dans la rubrique [Document] ; les réglages possibles sont : modèle, "
            "points, références."},
        {"[Entete]\n", 1,
            "la rubrique « [Entete] » est inconnue ; les rubriques possibles sont [Document], [Page], [Titre], "
            "[Sous-titre], [Élève], [Questions], [Réponses], [Points], [Grille], [Note], [En-tête], [Pied de page]."},
        {"[Document\n", 1, "le nom de rubrique « [Document » doit se terminer par « ] »."},
        {"[Document]\nmodèle questions\n", 2,
            "« modèle questions » n'est ni une rubrique, ni un réglage « nom = valeur », ni un commentaire commençant "
            "par #."},
        {"[Document]\nmodèle = grille\n\xff\n", 0,
            "Le fichier de mise en page « t.rpt » n'est pas un texte UTF-8 : enregistrez-le en UTF-8."},
    };
    for (const auto &c : cases) {
        LayoutReader reader;
        EXPECT_FALSE(reader.parse(QByteArray(c.content), u"t.rpt"_s)) << c.content;
        EXPECT_EQ(reader.failure(), LayoutReader::Failure::Invalid) << c.content;
        EXPECT_EQ(reader.error(),
            (c.line ? u"Fichier de mise en page « t.rpt », ligne %1 : "_s.arg(c.line) : QString())
                + QString::fromUtf8(c.message));
    }

    // A layout that parses but leaves the grid no room is refused when printing.
    ReportRequest r = pdfRequest(copy, u"QCM Grille réponses élève"_s, formulaFor(kExamName));
    r.layoutPath = QDir(copy.dir.path()).filePath(u"large.rpt"_s);
    writeFile(r.layoutPath,
        "\xEF\xBB\xBF[Document]\r\nmodèle = grille\r\n[Grille]\r\ncolonnes = 4\r\nlargeur de case = 12,5 mm\r\n");
    QString message;
    EXPECT_EQ(RunReport(r, &message), ReportCode::LayoutInvalid);
    EXPECT_EQ(message,
        u"La mise en page « large.rpt » ne convient pas : la grille de 4 colonnes ne tient "
        "pas dans la largeur de la page ; réduisez le nombre de colonnes, la largeur des "
        "cases ou les marges."_s);
}

} // namespace
