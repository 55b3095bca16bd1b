#include "ExchangeFixture.h"

#include <QFile>
#include <QStringEncoder>

using namespace qcm;
using namespace qcm::test;

namespace {

QStringList refusalTexts(const QList<ImportRefusal> &refused)
{
    QStringList texts;
    for (const ImportRefusal &r : refused)
        texts << r.text();
    return texts;
}

// -- Round trips ----------------------------------------------------------

class RoundTrip : public ::testing::TestWithParam<ExchangeFormat> {
protected:
    // Exports the bank, imports the file into an empty bank and compares the rows.
    void expectRoundTrip(const BankContent &bank)
    {
        QTemporaryDir dir;
        const QString original = makeBank(dir, u"original.zov"_s, bank);
        const ExchangeWrite written = Exchange::writeContent(bank, GetParam());
        ASSERT_TRUE(written.refused.isEmpty()) << refusalTexts(written.refused).join(u'\n').toStdString();
        EmptyBank target;
        const ImportPlan plan = importInto(target.model(), readBytes(GetParam(), written.bytes));
        EXPECT_EQ(refusalTexts(plan.refused), QStringList());
        EXPECT_EQ(plan.added.size(), bank.questions.size());
        EXPECT_EQ(bankRows(target.path), bankRows(original));
    }
};

TEST_P(RoundTrip, AwkwardTextsComeBackAsTheyWere)
{
    expectRoundTrip(awkwardBank());
}

TEST_P(RoundTrip, SampleBank)
{
    expectRoundTrip(sampleBank());
}

TEST_P(RoundTrip, GeneratedBankOfTwentyThousandQuestions)
{
    expectRoundTrip(generatedBank(20000));
}

TEST_P(RoundTrip, FileTypeIsFoundFromTheContent)
{
    QTemporaryDir dir;
    // A misleading extension: the content decides.
    const QString path = writeFile(
        QDir(dir.path()).filePath(u"banque.dat"_s), Exchange::writeContent(awkwardBank(), GetParam()).bytes);
    const ExchangeRead read = Exchange::readFile(path);
    EXPECT_EQ(read.error, QString());
    EXPECT_EQ(read.format, GetParam());
    EXPECT_EQ(read.questions.size(), awkwardBank().questions.size());
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
    ::testing::Values(ExchangeFormat::Csv, ExchangeFormat::MoodleXml, ExchangeFormat::Gift),
    [](const auto &info) { return formatName(info.param).toStdString(); });

// -- CSV -----------------------------------------------------------------

TEST(Csv, SpreadsheetFileWithCommasNoMarkAndColumnsInAnotherOrder)
{
    const QByteArray file = "Libell\xC3\xA9,Points B,Choix B,Delta,Num\xC3\xA9ro,Choix A,Points A,Domaine,"
                            "Parapente,Commentaire\n"
                            "\"Vent \"\"fort\"\", que faire ?\",-2,\"Voler, quand m\xC3\xAAme\",1,12,\"Renoncer\n"
                            "et attendre\",6,M\xC3\xA9t\xC3\xA9o,0,\xC3\xA0 revoir\n"
                            ",,,,,,,,,\n"
                            "Sans num\xC3\xA9ro,0,Non,0,,Oui,6,M\xC3\xA9t\xC3\xA9o,1,\n";
    const ExchangeRead read = readBytes(ExchangeFormat::Csv, file);
    ASSERT_EQ(read.error, QString());
    ASSERT_EQ(read.questions.size(), 2);
    const EditorEntry &e = read.questions.at(0).entry;
    EXPECT_EQ(read.questions.at(0).where, u"ligne 2"_s);
    EXPECT_EQ(e.txt[Field::Title], u"Météo"_s);
    EXPECT_EQ(e.txt[Field::Number], u"12"_s);
    EXPECT_EQ(e.txt[Field::Statement], u"Vent \"fort\", que faire ?"_s);
    EXPECT_EQ(e.txt[Field::choiceText(0)], u"Renoncer\r\net attendre"_s);
    EXPECT_EQ(e.txt[Field::choicePoints(1)], u"-2"_s);
    EXPECT_EQ(e.specialities, (std::array<bool, 6>{false, false, false, true, false, false}));
    EXPECT_EQ(read.questions.at(1).where, u"ligne 5"_s) << "a quoted line break counts as a line";
    EXPECT_EQ(read.notes, QStringList{u"Colonnes ignorées, inconnues de la banque : « Commentaire »."_s});

    // Into a bank that has the domain under that name: no new domain, the
    // numbers given and taken, and the question without one numbered after.
    QTemporaryDir dir;
    const QString path = makeBank(
        dir, u"b.zov"_s, {{{u"4"_s, u"Météo"_s}}, {question(u"4"_s, 30, u"Déjà là"_s, {{u"A"_s, 6}, {u"B"_s, 0}})}});
    StoreError error;
    auto connection = Connection::open(path, &error);
    const ImportPlan plan = importInto(BankModel(connection), read);
    EXPECT_TRUE(plan.newDomains.isEmpty());
    EXPECT_EQ(queryRows(path, u"SELECT Code, Numero FROM Questions ORDER BY Numero"_s),
        (QStringList{u"4|12"_s, u"4|30"_s, u"4|31"_s}));
}

TEST(Csv, ASeparatorNamedOnTheFirstLineIsTaken)
{
    QTemporaryDir dir;
    const QString path = writeFile(QDir(dir.path()).filePath(u"excel.csv"_s),
        "sep=,\r\nLibell\xC3\xA9,Choix A,Points A,Choix B,Points B\r\n\"Oui, non ?\",Oui,6,Non,0\r\n");
    const ExchangeRead read = Exchange::readFile(path);
    ASSERT_EQ(read.error, QString());
    ASSERT_EQ(read.questions.size(), 1);
    EXPECT_EQ(read.questions.at(0).where, u"ligne 3"_s);
    EXPECT_EQ(read.questions.at(0).entry.txt[Field::Statement], u"Oui, non ?"_s);
}

TEST(Csv, LinesThatCannotBeReadAreRefusedWithTheirLine)
{
    QByteArray file = Csv::write(awkwardBank()).bytes;
    file += "1;M;8;Coupée;A;6;B\r\n"; // cut short
    file += "1;M;9;Drapeau;A;6;B;0;;;;;;;;;2;0;0;0;0;0\r\n";
    const ExchangeRead read = readBytes(ExchangeFormat::Csv, file);
    EXPECT_EQ(refusalTexts(read.refused),
        (QStringList{u"ligne 14 : 7 colonnes au lieu de 22 (ligne coupée, ou séparateur dans un texte sans "
                     "guillemets)."_s,
            u"ligne 15 : colonne « Parapente » : « 2 » au lieu de 0 ou 1."_s}));
}

// -- Moodle XML ----------------------------------------------------------

TEST(MoodleXml, EveryPointFromMinusSixToSixIsAMoodleFractionAndComesBack)
{
    // Moodle's list of accepted fractions, in percent.
    const QList<double> accepted{100, 90, 83.33333, 80, 75, 70, 66.66667, 60, 50, 40, 33.33333, 30, 25, 20, 16.66667,
        14.28571, 12.5, 11.11111, 10, 5, 0};
    for (int p = -6; p <= 6; ++p) {
        const QString text = Exchange::fractionText(p);
        const double written = text.toDouble();
        EXPECT_TRUE(std::any_of(
            accepted.begin(), accepted.end(), [&](double a) { return std::abs(std::abs(written) - a) < 1e-9; }))
            << p << " -> " << text.toStdString();
        EXPECT_GE(text.section(u'.', 1).size() == 0 ? 5 : text.section(u'.', 1).size(), 5) << text.toStdString();
        EXPECT_EQ(Exchange::pointsFromFraction(written), p);
    }
    EXPECT_EQ(Exchange::fractionText(4), u"66.66667"_s);
}

TEST(MoodleXml, QuestionsMadeInMoodleAreReadAndWhatIsNoSixthIsReported)
{
    const QByteArray file = R"(<?xml version="1.0" encoding="UTF-8"?>
<quiz>
  <question type="category"><category><text>$course$/top/Parapente/S&#233;curit&#233;</text></category></question>
  <question type="multichoice">
    <questiontext format="html"><text><![CDATA[<p dir="ltr">Que faire&nbsp;?<br>Vite</p>]]></text></questiontext>
    <single>true</single>
    <answer fraction="100" format="html"><text>&lt;b&gt;Atterrir&lt;/b&gt;</text><feedback><text>Bien</text></feedback></answer>
    <answer fraction="-33.33333"><text>Monter</text></answer>
    <tags><tag><text>Delta biplace</text></tag><tag><text>facile</text></tag></tags>
  </question>
  <question type="multichoice">
    <questiontext format="plain_text"><text>Trois réponses</text></questiontext>
    <answer fraction="33.33333"><text>Un</text></answer>
    <answer fraction="33.33333"><text>Deux</text></answer>
    <answer fraction="33.33333"><text>Trois</text></answer>
  </question>
  <question type="multichoice">
    <questiontext format="plain_text"><text>Dixièmes</text></questiontext>
    <answer fraction="90"><text>Presque</text></answer>
    <answer fraction="10"><text>Un peu</text></answer>
  </question>
  <question type="truefalse"><questiontext><text>Vrai ?</text></questiontext></question>
</quiz>
)";
    const ExchangeRead read = readBytes(ExchangeFormat::MoodleXml, file);
    ASSERT_EQ(read.error, QString());
    ASSERT_EQ(read.questions.size(), 2);
    const EditorEntry &e = read.questions.at(0).entry;
    EXPECT_EQ(e.txt[Field::Title], u"Sécurité"_s);
    EXPECT_EQ(e.txt[Field::Number], QString()) << "no idnumber: the next free number";
    EXPECT_EQ(e.txt[Field::Statement], u"Que faire\u00a0?\r\nVite"_s);
    EXPECT_EQ(e.txt[Field::choiceText(0)], u"Atterrir"_s);
    EXPECT_EQ(e.txt[Field::choicePoints(0)], u"6"_s);
    EXPECT_EQ(e.txt[Field::choicePoints(1)], u"-2"_s);
    EXPECT_EQ(e.specialities, (std::array<bool, 6>{false, false, false, false, true, false}));
    EXPECT_EQ(read.questions.at(1).entry.txt[Field::choicePoints(2)], u"2"_s) << "a third of 100 is 2 points of 6";
    EXPECT_EQ(refusalTexts(read.refused),
        (QStringList{u"élément <question> n° 4, ligne 17 : réponse A : la fraction 90 % n'est pas un nombre entier "
                     "de sixièmes (de -6 à 6 points sur 6) ; la question n'est pas convertie."_s,
            u"élément <question> n° 5, ligne 22 : question de type « truefalse » : la banque ne garde que les "
            "questions à choix multiples."_s}));
    EXPECT_EQ(read.notes,
        (QStringList{u"Les commentaires des réponses (feedback) ne sont pas gardés."_s,
            u"Étiquettes ignorées, qui ne nomment aucune spécialité : facile."_s}));
}

// -- GIFT ----------------------------------------------------------------

TEST(Gift, EscapesAndMoodleWrittenQuestions)
{
    EXPECT_EQ(Gift::escaped(u"a~b=c#d{e}f:g\\h\r\ni"_s), u"a\\~b\\=c\\#d\\{e\\}f\\:g\\\\h\\ni"_s);
    const QString file = u"// [id:4] [tag:ParapenteSolo]\n"
                         "::Q1:: Que vaut 1 \\= 1 \\{vrai\\} ?\\nSûr ? {\n"
                         "  =Oui #bravo\n"
                         "  ~%-50%Non\n"
                         "  ####général\n"
                         "}\n"
                         "\n"
                         "Trou { ~a =b } ici.\n"
                         "\n"
                         "Numérique {#42}\n"
                         "\n"
                         "Dixièmes {~%10%a ~%90%b}\n"_s;
    const ExchangeRead read = readBytes(ExchangeFormat::Gift, file.toUtf8());
    ASSERT_EQ(read.error, QString());
    ASSERT_EQ(read.questions.size(), 1);
    const EditorEntry &e = read.questions.at(0).entry;
    EXPECT_EQ(e.txt[Field::Number], u"4"_s);
    EXPECT_EQ(e.txt[Field::Title], QString());
    EXPECT_EQ(e.txt[Field::Statement], u"Que vaut 1 = 1 {vrai} ?\r\nSûr ?"_s);
    EXPECT_EQ(e.txt[Field::choiceText(0)], u"Oui"_s);
    EXPECT_EQ(e.txt[Field::choicePoints(0)], u"6"_s);
    EXPECT_EQ(e.txt[Field::choicePoints(1)], u"-3"_s);
    EXPECT_TRUE(e.specialities[0]);
    EXPECT_EQ(refusalTexts(read.refused),
        (QStringList{u"question de la ligne 8 : du texte suit les réponses (question à trou) : la banque ne garde que "
                     "les questions à choix multiples."_s,
            u"question de la ligne 10 : question numérique : la banque ne garde que les questions à choix multiples."_s,
            u"question de la ligne 12 : réponse A : la fraction 10 % n'est pas un nombre entier de sixièmes (de -6 à "
            "6 points sur 6) ; la question n'est pas convertie."_s}));
}

// -- Bad input -----------------------------------------------------------

struct BadFile {
    const char *name;
    QByteArray bytes;
    QString error;
};

TEST(BadInput, FilesInNoFormatOrDamagedAreRefusedWithAClearMessage)
{
    const QByteArray csv = Csv::write(awkwardBank()).bytes;
    const QByteArray xml = MoodleXml::write(awkwardBank()).bytes;
    const QByteArray gift = Gift::write(awkwardBank()).bytes;
    const QString latin1Csv = u"Libellé;Choix A;Points A;Choix B;Points B\r\nÉté ?;Oui;6;Non;0\r\n"_s;
    const QList<BadFile> files{
        {"empty", {}, u"le fichier est vide."_s},
        {"prose",
            "Ceci est une lettre.\nBonne journ\xC3\xA9"
            "e.\n",
            u"aucune question entre accolades { } ni catégorie : ce fichier n'est ni un fichier CSV, ni un fichier "
            "Moodle XML, ni un fichier GIFT."_s},
        {"truncated csv", csv.left(csv.indexOf("\"Première ligne") + 20),
            u"le fichier s'arrête dans un texte entre guillemets commencé ligne 3 (fichier tronqué, ou guillemet "
            "jamais fermé)."_s},
        {"truncated xml", xml.left(xml.size() / 2),
            u"le fichier s'arrête avant la fin du document XML (fichier tronqué ?)."_s},
        {"truncated gift", gift.left(gift.lastIndexOf('}')),
            u"question de la ligne 56 : l'accolade } qui ferme les réponses manque."_s},
        {"latin-1", latin1Csv.toLatin1(),
            u"le texte n'est pas en UTF-8 (vers la ligne 1) ; enregistrez le fichier au format « CSV UTF-8 »."_s},
        {"utf-16", QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom).encode(latin1Csv),
            u"le texte est en UTF-16 ; enregistrez-le en UTF-8 (« CSV UTF-8 » dans un tableur)."_s},
        {"spreadsheet", QByteArray("PK\x03\x04\x14\x00\x06\x00", 8),
            u"c'est un classeur de tableur (xlsx, ods) ou une archive, pas un fichier texte : enregistrez la feuille "
            "au format « CSV UTF-8 »."_s},
        {"other xml", "<?xml version=\"1.0\"?><html><body/></html>",
            u"ce fichier XML n'est pas un fichier de questions Moodle (il commence par <html> au lieu de <quiz>)."_s},
        {"dtd", "<?xml version=\"1.0\"?><!DOCTYPE quiz [<!ENTITY a \"aaaa\">]><quiz>&a;</quiz>",
            u"le fichier XML déclare une DTD, ce que les fichiers de questions Moodle ne font pas ; il n'est pas lu."_s},
        {"csv without columns", "Domaine;Libellé;Réponse 1;Réponse 2\r\nA;B;C;D\r\n",
            u"la première ligne doit nommer les colonnes ; il manque « Choix A », « Points A », « Choix B », « Points "
            "B »."_s},
    };
    QTemporaryDir dir;
    for (const BadFile &f : files) {
        const QString path = writeFile(QDir(dir.path()).filePath(QString::fromLatin1(f.name)), f.bytes);
        const ExchangeRead read = Exchange::readFile(path);
        const QString outcome = read.failed() ? read.error : refusalTexts(read.refused).join(u'\n');
        EXPECT_EQ(outcome, f.error) << f.name;
    }
}

TEST(BadInput, HugeFilesAreRefusedWithoutBeingReadWhole)
{
    QTemporaryDir dir;
    // Over the limit: refused on its size alone (a sparse file costs no disk).
    const QString huge = QDir(dir.path()).filePath(u"enorme.csv"_s);
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(Exchange::kLargestFile + 1));
    }
    EXPECT_EQ(Exchange::readFile(huge).error,
        u"il fait 512,0 Mo ; au-delà de 512,0 Mo un fichier n'est pas lu (une banque de 200 000 questions en fait "
        u"moins "
        "de la moitié)."_s);

    // 100 MB under the limit, one never-ending text: read only until it is
    // clearly no question.
    const QString big = QDir(dir.path()).filePath(u"gros.csv"_s);
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Libell\xC3\xA9;Choix A;Points A;Choix B;Points B\r\n\"");
        const QByteArray block(1 << 20, 'x');
        for (int i = 0; i < 100; ++i)
            file.write(block);
    }
    EXPECT_EQ(Exchange::readFile(big).error,
        u"ligne 2 : un texte de plus d'un million de caractères ; le fichier est mal formé (guillemet jamais fermé ?)."_s);
}

} // namespace
