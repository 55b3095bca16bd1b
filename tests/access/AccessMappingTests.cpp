#include "MemoryTables.h"

#include "access/AccessMapping.h"
#include "access/AccessReading.h"
#include "support/Fixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qcm;
using namespace qcm::test;

namespace {

using Kind = ConversionNote::Kind;
const QVariant Null;

QStringList questionColumns(bool withAllFlags = true)
{
    QStringList c{u"CODE"_s, u"numero"_s, u"LIBELLÉ"_s};
    for (int k = 0; k < 6; ++k)
        c << u"Lib%1"_s.arg(k) << u"VAL%1"_s.arg(k);
    for (int s = 0; s < 6; ++s)
        if (withAllFlags || s != 5)
            c << QString::fromLatin1(specialityInfo(Speciality(s)).flagField).toLower();
    return c;
}

// A row laid out as questionColumns(): choices and points side by side.
QVariantList questionRow(const QVariant &code, const QVariant &numero, const QVariant &statement,
    const QVariantList &points, const QVariantList &flags = {1, 0, 0, 0, 0, 0})
{
    QVariantList row{code, numero, statement};
    for (int k = 0; k < 6; ++k) {
        const bool used = k < points.size();
        row << (used ? QVariant(u"Réponse %1"_s.arg(QChar(u'A' + k))) : Null) << (used ? points.at(k) : Null);
    }
    return row + flags;
}

QStringList qcmColumns()
{
    QStringList c{u"nomqcm"_s, u"DateMaj"_s, u"code"_s, u"NUMERO"_s, u"Libellé"_s};
    for (int k = 0; k < 6; ++k)
        c << u"lib%1"_s.arg(k) << u"val%1"_s.arg(k);
    c << u"SPÉCIALITÉ"_s;
    for (int s = 0; s < 6; ++s)
        c << u"spé%1"_s.arg(s);
    return c;
}

QVariantList qcmRow(const QString &name, const QVariant &date, const QString &code, int numero, const QVariant &title,
    const QVariantList &boxes)
{
    QVariantList row{name, date, code, numero, u"Énoncé %1"_s.arg(numero)};
    for (int k = 0; k < 6; ++k)
        row << (k < 2 ? QVariant(u"R%1"_s.arg(k)) : Null) << (k == 0 ? QVariant(6) : k == 1 ? QVariant(-1) : Null);
    return row << title << boxes;
}

// A bank as the clubs' files hold it, names spelt in other cases.
MemoryTables clubBank()
{
    MemoryTables s;
    s.add(u"DOMAINES"_s, {u"code"_s, u"LIBELLÉ"_s}, {{u"1"_s, u"Météorologie"_s}, {u"2"_s, u"Matériel"_s}});
    // Without the last speciality flag, as older banks are.
    s.add(u"questions"_s, questionColumns(false),
        {questionRow(u"1"_s, 1, u"Qu'est-ce qu'un cumulus ?"_s, {u"3"_s, u" -2 "_s, 3, 0.0}, {1, 0, 0, 0, 0}),
            questionRow(u"1"_s, 2.0, u"Et un stratus ?"_s, {u"+6"_s, -1}, {true, 0, Null, u"1"_s, -1}),
            questionRow(u"2"_s, u"7"_s, u"Une voile ?"_s, {6, Null}, {0, 1, 0, 0, 0})});
    s.add(u"Qcm"_s, qcmColumns(),
        {qcmRow(
             u"Brevet été"_s, QDateTime(QDate(2003, 5, 4), QTime(0, 0), Qt::UTC), u"1"_s, 1, Null, {1, 0, 0, 0, 0, 0}),
            qcmRow(u"Brevet ÉTÉ"_s, u"05/05/2003"_s, u"1"_s, 2, Null, {1, 0, 0, 1, 0, 0}),
            qcmRow(u"Biplace"_s, Null, u"2"_s, 7, u"Qualification biplace parapente"_s, {0, 1, 0, 0, 0, 0})});
    s.add(u"spécialité"_s, {u"NOMQCM"_s, u"Spécialité"_s},
        {{u"brevet été"_s, u"Brevet B de Vol Libre - Parapente"_s}, {u"Orphelin"_s, u"Brevet A"_s}});
    s.add(u"Sessions"_s, {u"NomSession"_s}, {{u"Juin"_s}, {u"Juillet"_s}});
    s.add(u"Examen"_s, {u"NomSession"_s, u"NomQCM"_s});
    return s;
}

// A question as one line, to compare whole questions at once.
QString line(const Question &q)
{
    QStringList parts{q.code + u'/' + QString::number(q.numero), q.libelle};
    for (int k = 0; k < 6; ++k)
        parts << q.lib[size_t(k)] + u'=' + (q.val[size_t(k)] ? QString::number(*q.val[size_t(k)]) : u"-"_s);
    QStringList flags;
    for (int f : q.flags)
        flags << QString::number(f);
    return (parts << flags.join(u"")).join(u" | "_s);
}

QStringList lines(const QList<Question> &questions)
{
    QStringList out;
    for (const Question &q : questions)
        out << line(q);
    return out;
}

ConvertedBank converted(MemoryTables &source)
{
    QString refusal;
    std::optional<ConvertedBank> bank = convertTables(source, &refusal);
    EXPECT_TRUE(bank) << refusal.toStdString();
    return bank.value_or(ConvertedBank{});
}

QList<ConversionNote> notesAbout(const ConvertedBank &bank, const QString &subjectStart)
{
    QList<ConversionNote> found;
    for (const ConversionNote &n : bank.notes)
        if (n.subject.startsWith(subjectStart))
            found << n;
    return found;
}

TEST(AccessMapping, ReadsTablesAndFieldsWhateverTheirLetterCaseAndPointsAsTextOrNumbers)
{
    MemoryTables source = clubBank();
    const ConvertedBank bank = converted(source);
    EXPECT_EQ(bank.tables,
        (QStringList{u"DOMAINES"_s, u"questions"_s, u"Qcm"_s, u"spécialité"_s, u"Sessions"_s, u"Examen"_s}));
    EXPECT_TRUE(bank.missingTables.isEmpty());
    ASSERT_EQ(bank.domains.size(), 2);
    EXPECT_EQ(bank.domains.at(1).libelle, u"Matériel"_s);
    EXPECT_EQ(lines(bank.questions),
        (QStringList{
            u"1/1 | Qu'est-ce qu'un cumulus ? | Réponse A=3 | Réponse B=-2 | Réponse C=3 | Réponse D=0 | =- | =- | 100000"_s,
            u"1/2 | Et un stratus ? | Réponse A=6 | Réponse B=-1 | =- | =- | =- | =- | 100110"_s,
            u"2/7 | Une voile ? | Réponse A=6 | Réponse B=- | =- | =- | =- | =- | 010000"_s}));
    // The choice without points is said; nothing else about the questions is.
    EXPECT_EQ(notesAbout(bank, u"Question "_s),
        (QList<ConversionNote>{{Kind::ToCheck, u"Question 2/7 « Une voile ? »"_s,
            u"points à vérifier : une réponse n'a pas de points."_s}}));
    // A missing speciality flag reads as 0, and is said.
    EXPECT_EQ(notesAbout(bank, u"Table « questions »"_s),
        (QList<ConversionNote>{{Kind::Defaulted, u"Table « questions »"_s,
            u"il lui manque le champ « DeltaBiHandi » : aucune question n'y est marquée « Delta biplace Handi »."_s}}));
    // Rows of unused tables are not carried, and said.
    EXPECT_EQ(notesAbout(bank, u"Table « Sessions »"_s).size(), 1);
    EXPECT_TRUE(notesAbout(bank, u"Table « Examen »"_s).isEmpty());
}

TEST(AccessMapping, QuestionnairesAreGroupedByNameWithTheirTitleDateAndBoxes)
{
    MemoryTables source = clubBank();
    const ConvertedBank bank = converted(source);
    ASSERT_EQ(bank.questionnaires.size(), 2);
    const StoredQuestionnaire &summer = bank.questionnaires.at(0);
    EXPECT_EQ(summer.name, u"Brevet été"_s);
    EXPECT_EQ(summer.rows.size(), 2);
    // What rows repeat comes from the last one; the title from the table
    // Spécialité, the rows having none.
    EXPECT_EQ(summer.date, u"05/05/2003"_s);
    EXPECT_EQ(summer.rows.at(0).dateMaj, u"04/05/2003"_s);
    EXPECT_EQ(summer.boxes, (std::array<int, 6>{1, 0, 0, 1, 0, 0}));
    EXPECT_TRUE(summer.hasSpeciality);
    EXPECT_EQ(summer.speciality, u"Brevet B de Vol Libre - Parapente"_s);
    EXPECT_EQ(summer.rows.at(1).val[0], 6);
    EXPECT_EQ(summer.rows.at(1).val[1], -1);
    EXPECT_FALSE(summer.rows.at(1).val[2]);
    const StoredQuestionnaire &pair = bank.questionnaires.at(1);
    EXPECT_EQ(pair.date, QString());
    EXPECT_EQ(pair.speciality, u"Qualification biplace parapente"_s);
    EXPECT_EQ(notesAbout(bank, u"Questionnaire « Orphelin »"_s).size(), 1);
}

TEST(AccessMapping, ValuesTheEditorWouldNotTakeAreReportedWithTheirQuestion)
{
    MemoryTables source;
    source.add(u"Domaines"_s, {u"Code"_s, u"Libellé"_s}, {{u"1"_s, u"Météo"_s}});
    source.add(u"Questions"_s, questionColumns(),
        {questionRow(u"1"_s, 1, Null, {9, -3, u"2,5"_s, 2.5}),
            questionRow(u"1"_s, 2, u""_s, {6, u"beaucoup"_s}, {u"oui"_s, 0, 0, 0, 0, 0}),
            questionRow(u"1"_s, 3, u"Sans réponses"_s, {}, {1, 0, 0, 0, 0, 0})});
    const ConvertedBank bank = converted(source);
    EXPECT_EQ(bank.missingTables, (QStringList{u"QCM"_s, u"Spécialité"_s, u"Sessions"_s, u"Examen"_s}));
    // Taken as the editor stores them: whole numbers kept, even out of range;
    // anything else leaves its choice without points; a Null statement is empty.
    EXPECT_EQ(lines(bank.questions),
        (QStringList{u"1/1 |  | Réponse A=9 | Réponse B=-3 | Réponse C=- | Réponse D=- | =- | =- | 100000"_s,
            u"1/2 |  | Réponse A=6 | Réponse B=- | =- | =- | =- | =- | 000000"_s,
            u"1/3 | Sans réponses | =- | =- | =- | =- | =- | =- | 100000"_s}));
    EXPECT_EQ(bank.notes,
        (QList<ConversionNote>{{Kind::Defaulted, u"Question 1/1"_s,
                                   u"sans énoncé : reprise avec un énoncé vide, à compléter dans la saisie."_s},
            {Kind::ToCheck, u"Question 1/1"_s,
                u"les points de la réponse A (9) sortent de -6 à 6 : repris tels quels, à corriger dans la saisie."_s},
            {Kind::Refused, u"Question 1/1"_s,
                u"les points de la réponse C (« 2,5 ») ne sont pas un nombre entier : la réponse est reprise sans "
                u"points."_s},
            {Kind::Refused, u"Question 1/1"_s,
                u"les points de la réponse D (2.5) ne sont pas un nombre entier : la réponse est reprise sans points."_s},
            {Kind::Defaulted, u"Question 1/2"_s,
                u"sans énoncé : reprise avec un énoncé vide, à compléter dans la saisie."_s},
            {Kind::Refused, u"Question 1/2"_s,
                u"les points de la réponse B (« beaucoup ») ne sont pas un nombre entier : la réponse est reprise "
                u"sans points."_s},
            {Kind::Defaulted, u"Question 1/2"_s,
                u"la valeur « oui » du champ « ParapenteSolo » n'est pas un nombre : lue comme 0 (non cochée)."_s},
            {Kind::ToCheck, u"Question 1/3 « Sans réponses »"_s,
                u"points à vérifier : il faut toujours 6 points par question."_s}}));
}

TEST(AccessMapping, RowsTheBankCannotKeyAreRefusedAndSaid)
{
    MemoryTables source;
    source.add(u"Domaines"_s, {u"Code"_s, u"Libellé"_s},
        {{u"1"_s, u"Météo"_s}, {Null, u"Sans code"_s}, {u"1"_s, u"Doublon"_s}, {u"2"_s, Null}});
    source.add(u"Questions"_s, questionColumns(),
        {questionRow(u"a"_s, 1, u"Première"_s, {6}), questionRow(u"A"_s, 1, u"Même clé"_s, {6}),
            questionRow(Null, 2, u"Sans domaine"_s, {6}), questionRow(u"1"_s, u"deux"_s, u"Mauvais numéro"_s, {6}),
            questionRow(u"1"_s, Null, u"Sans numéro"_s, {6})});
    const ConvertedBank bank = converted(source);
    EXPECT_EQ(bank.domains.size(), 2);
    EXPECT_EQ(lines(bank.questions), QStringList{u"a/1 | Première | Réponse A=6 | =- | =- | =- | =- | =- | 100000"_s});
    QStringList said;
    for (const ConversionNote &n : bank.notes)
        said << n.subject + u" : "_s + n.text;
    EXPECT_EQ(said,
        (QStringList{u"Domaine ? « Sans code » : sans code : non repris."_s,
            u"Domaine 1 « Doublon » : ce code est déjà celui du domaine « Météo » : seul le premier est repris."_s,
            u"Domaine 2 : sans titre : repris avec un titre vide."_s,
            u"Question A/1 « Même clé » : même domaine et même numéro qu'une question déjà reprise : seule la "
            u"première l'est."_s,
            u"Question ?/2 « Sans domaine » : sans code de domaine : non reprise."_s,
            u"Question 1/deux « Mauvais numéro » : son numéro « deux » n'est pas un nombre entier : non reprise."_s,
            u"Question 1/? « Sans numéro » : sans numéro : non reprise."_s,
            u"Domaine a : absent de la table « Domaines », alors que 1 question(s) en sont : elles ne paraissent "
            u"dans aucune liste de domaines tant qu'il n'est pas créé dans la saisie."_s}));
}

TEST(AccessMapping, AFileWithoutWhatABankNeedsOrThatCannotBeReadIsRefused)
{
    QString refusal;
    bool unreadable = true;
    MemoryTables noTables;
    noTables.add(u"Table1"_s, {u"A"_s});
    EXPECT_FALSE(convertTables(noTables, &refusal, &unreadable));
    EXPECT_EQ(
        refusal, u"ce n'est pas une banque de questions : il lui manque les tables « Questions » et « Domaines »"_s);
    EXPECT_FALSE(unreadable);

    MemoryTables noPoints = clubBank();
    QStringList columns = questionColumns();
    columns.removeAll(u"VAL3"_s);
    noPoints.tables[1].columns = columns;
    EXPECT_FALSE(convertTables(noPoints, &refusal, &unreadable));
    EXPECT_EQ(
        refusal, u"ce n'est pas une banque de questions : il manque à la table « questions » le champ « Val3 »"_s);

    // A table that cannot be read to its end refuses the file: nothing is half taken.
    MemoryTables damaged = clubBank();
    damaged.tables[2].unreadable = true;
    EXPECT_FALSE(convertTables(damaged, &refusal, &unreadable));
    EXPECT_TRUE(unreadable);
    EXPECT_EQ(refusal, u"la table « Qcm » ne peut pas être lue : une ligne est abîmée"_s);

    // Rows the library skipped show in the count the file keeps.
    MemoryTables skipped = clubBank();
    skipped.tables[1].declaredRows = 5;
    EXPECT_EQ(notesAbout(converted(skipped), u"Table « questions »"_s).at(1),
        (ConversionNote{Kind::Refused, u"Table « questions »"_s,
            u"elle annonce 5 lignes, mais 3 seulement ont pu être lues : les autres sont sans doute abîmées."_s}));
}

TEST(AccessMapping, TheConvertedBankIsABankOfOursHoldingEverything)
{
    QTemporaryDir dir;
    MemoryTables source = clubBank();
    ConversionReport report;
    const QString path = dir.filePath(u"conversion.zov"_s);
    ASSERT_TRUE(writeConvertedBank(source, path, &report)) << report.message.toStdString();
    EXPECT_EQ(report.status, ConversionReport::Status::Converted);
    EXPECT_EQ(report.questions, 3);
    EXPECT_EQ(report.questionnaires, 2);
    QString why;
    EXPECT_TRUE(Schema::check(path, &why)) << why.toStdString();

    StoreError error;
    const BankModel model(Connection::open(path, &error));
    EXPECT_EQ(lines(model.questions().value()), lines(converted(source).questions));
    const std::optional<StoredQuestionnaire> summer = model.questionnaire(u"Brevet été"_s);
    ASSERT_TRUE(summer);
    EXPECT_EQ(summer->rows.size(), 2);
    EXPECT_EQ(summer->speciality, u"Brevet B de Vol Libre - Parapente"_s);
    EXPECT_EQ(summer->boxes, (std::array<int, 6>{1, 0, 0, 1, 0, 0}));

    const std::optional<ConversionReport> back = ConversionReport::fromJson(report.toJson());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->notes, report.notes);
    EXPECT_EQ(back->tables, report.tables);
}

} // namespace
