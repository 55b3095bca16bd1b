#pragma once

#include "database/Schema.h"
#include "database/Sqlite.h"
#include "reports/ReportEngine.h"
#include "support/Fixtures.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qcm::test {

inline const QString kExamName = u"L'examen \"blanc\" 1/2 d'été"_s;

// The selection formula the reports window builds for a name.
inline QString formulaFor(const QString &name)
{
    return u"{QCM.NomQCM} = \""_s + name + u'"';
}

struct StoredChoice {
    QString text; // empty: no such choice; "<null>": a Null text
    std::optional<int> points;
};

struct StoredQuestion {
    QString code;
    int numero = 0;
    QString statement;
    QList<StoredChoice> choices;
};

// Stores a questionnaire in a database file, its rows in the order given. A
// Null speciality leaves the title to the table Spécialité.
inline void storeQuestionnaire(const QString &path, const QString &name, const QString &date,
    const QVariant &speciality, const QList<StoredQuestion> &questions, const QString &specialityRow = {})
{
    SqliteDb db;
    ASSERT_TRUE(db.open(path, SqliteDb::Mode::ReadWrite));
    QString columns = u"NomQCM, DateMAJ, Code, Numero, \"Libellé\", \"Spécialité\""_s;
    for (int c = 0; c < kChoiceCount; ++c)
        columns += u", lib%1, val%1"_s.arg(c);
    for (int s = 0; s < kSpecialityCount; ++s)
        columns += u", \"Spé%1\""_s.arg(s);
    const QString marks = QStringList(6 + 2 * kChoiceCount + kSpecialityCount, u"?"_s).join(u',');
    SqliteStatement insert = db.prepare(u"INSERT INTO QCM (%1) VALUES (%2)"_s.arg(columns, marks));
    ASSERT_TRUE(db.exec(u"BEGIN"_s));
    for (const StoredQuestion &q : questions) {
        QVariantList values{name, date, q.code, q.numero, q.statement, speciality};
        for (int c = 0; c < kChoiceCount; ++c) {
            const StoredChoice choice = c < q.choices.size() ? q.choices.at(c) : StoredChoice{};
            values.append(choice.text == QLatin1String("<null>") ? QVariant() : QVariant(choice.text));
            values.append(choice.points ? QVariant(*choice.points) : QVariant());
        }
        for (int s = 0; s < kSpecialityCount; ++s)
            values.append(s == 0 ? 1 : 0);
        insert.reset();
        insert.bindAll(values);
        ASSERT_TRUE(insert.exec()) << insert.error().toStdString();
    }
    SqliteStatement spe = db.prepare(u"INSERT INTO \"Spécialité\" VALUES (?, ?)"_s);
    spe.bindAll({name, specialityRow.isEmpty() ? speciality : QVariant(specialityRow)});
    ASSERT_TRUE(spe.exec());
    ASSERT_TRUE(db.exec(u"COMMIT"_s));
}

// A working copy with the program's schema, filled with questionnaires.
class WorkingCopy {
public:
    WorkingCopy()
    {
        path = QDir(dir.path()).filePath(u"qcm.mdb"_s);
        QString error;
        EXPECT_TRUE(Schema::create(path, &error)) << error.toStdString();
    }

    // The questionnaires of the golden files: names and texts with quotes,
    // apostrophes, slashes and accents, stored out of bank order, choices
    // missing here and there.
    void addSamples()
    {
        const std::optional<int> none;
        storeQuestionnaire(path, kExamName, u"14/06/2024"_s, u"Brevet B de Vol Libre - Parapente"_s,
            {
                {u"3"_s, 7, u"Que signifient les sigles \"VFR\" / \"IFR\" ?"_s,
                    {{u"Vol à vue / vol aux instruments."_s, 6}, {u"Vol \"rapide\" / vol lent."_s, -3},
                        {u"Aucune des deux réponses n'est juste."_s, 0}}},
                {u"1"_s, 2,
                    u"Par vent météo de nord-ouest, un pilote décolle d'un site orienté sud-est ; que "
                    "doit-il craindre en priorité en s'approchant du relief \"sous le vent\", à l'heure "
                    "la plus chaude d'un après-midi d'été ?"_s,
                    {{u"Des rabattants et des rotors."_s, 4}, {u"Rien de particulier."_s, -2}, {u"<null>"_s, none},
                        {u"Une brise de pente régulière, donc aucune turbulence à redouter "
                         "près du relief, même par vent fort."_s,
                            0},
                        {QString(), none}, {u"Des ascendances dynamiques \"propres\"."_s, 2}}},
                {u"2"_s, 15, u"Quelle est la charge alaire d'une voile de 25 m² pour un PTV de 100 kg ?"_s,
                    {{u"4 kg/m²."_s, 6}, {u"2,5 kg/m²."_s, -2}, {u"0,25 kg/m²."_s, -4},
                        {u"Il manque des données."_s, none}}},
                {u"1"_s, 1, u"Où s'installe l'ascendance \"thermique\" ?"_s,
                    {{u"Au-dessus d'un champ labouré."_s, 2}, {u"Au-dessus d'un village."_s, 2},
                        {u"Au-dessus d'une pente ensoleillée."_s, 2}, {u"Au-dessus d'un lac."_s, 0},
                        {u"Dans l'ombre d'un nuage."_s, -1}, {u"Sous la pluie."_s, -2}}},
                {u"4"_s, 9, u"Face à face près du relief : qui s'écarte ?"_s,
                    {{u"Celui qui n'a pas la pente à sa droite."_s, 6}, {u"Le plus rapide."_s, 0}}},
            });
        storeQuestionnaire(path, u"Révision météo"_s, u"01/02/2024"_s, QVariant(),
            {{u"1"_s, 4, u"Le foehn est un vent :"_s, {{u"chaud et sec."_s, 6}, {u"froid et humide."_s, -2}}},
                {u"1"_s, 5, u"Un front froid amène :"_s, {{u"des grains."_s, 6}, {u"du beau temps durable."_s, -3}}}},
            u"Qualification biplace parapente"_s);
        storeQuestionnaire(path, kExamName + u" bis"_s, u"15/06/2024"_s, u"Brevet B de Vol Libre - Delta"_s,
            {{u"5"_s, 1, u"Une question du QCM voisin ?"_s, {{u"Oui."_s, 6}, {u"Non."_s, 0}}}});
    }

    // n generated questions whose statements run from one line to several.
    static QList<StoredQuestion> generated(int n, int offset = 0)
    {
        QList<StoredQuestion> questions;
        for (int i = 1; i <= n; ++i) {
            StoredQuestion q{QString::number(1 + (i + offset) % 9), i + offset, {}, {}};
            q.statement = u"Question numéro %1 :"_s.arg(i);
            for (int w = 0; w < (i * 7 + offset) % 45; ++w)
                q.statement += u" mot%1"_s.arg(w);
            const int choices = 2 + (i + offset) % 5;
            for (int c = 0; c < choices; ++c)
                q.choices.append({u"Réponse %1 de la question %2"_s.arg(QChar(u'A' + c)).arg(i), c == 0 ? 6 : -c % 3});
            questions.append(q);
        }
        return questions;
    }

    QTemporaryDir dir;
    QString path;
};

inline ReportRequest pdfRequest(const WorkingCopy &copy, const QString &layout, const QString &formula)
{
    ReportRequest r;
    r.layoutPath = QStringLiteral(QCM_REPORT_LAYOUTS) + u'/' + layout + u".rpt"_s;
    r.formula = formula;
    r.destination = ReportDestination::Pdf;
    r.pdfPath = QDir(copy.dir.path()).filePath(layout + u".pdf"_s);
    r.title = u"QCM Questions"_s;
    r.workingCopyPath = copy.path;
    return r;
}

inline bool havePdfToText()
{
    return !QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty();
}

// The text of a PDF file as pdftotext lays it out, without trailing blanks,
// pages separated by a marker line.
inline QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    EXPECT_TRUE(p.waitForFinished(30000));
    const QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    QStringList out;
    for (int i = 0; i < pages.size(); ++i) {
        QStringList lines = pages.at(i).split(u'\n');
        for (QString &line : lines)
            while (!line.isEmpty() && line.back().isSpace())
                line.chop(1);
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        if (lines.isEmpty() && i == pages.size() - 1)
            break;
        if (i > 0)
            out.append(u"──────── page %1 ────────"_s.arg(i + 1));
        out.append(lines);
    }
    return out.join(u'\n') + u'\n';
}

} // namespace qcm::test
