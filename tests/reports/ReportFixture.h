#pragma once

#include "composer/ReportEngine.h"
#include "database/Schema.h"
#include "database/Sqlite.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qcm::test {

inline const QString kExamName = QStringLiteral("L'examen \"blanc\" 1/2 d'été");

// The selection formula the reports window builds for a name.
inline QString formulaFor(const QString &name)
{
    return QStringLiteral("{QCM.NomQCM} = \"") + name + u'"';
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
    QString columns = QStringLiteral("NomQCM, DateMAJ, Code, Numero, \"Libellé\", \"Spécialité\"");
    for (int c = 0; c < kChoiceCount; ++c)
        columns += QStringLiteral(", lib%1, val%1").arg(c);
    for (int s = 0; s < kSpecialityCount; ++s)
        columns += QStringLiteral(", \"Spé%1\"").arg(s);
    const QString marks = QStringList(6 + 2 * kChoiceCount + kSpecialityCount, QStringLiteral("?")).join(u',');
    SqliteStatement insert = db.prepare(QStringLiteral("INSERT INTO QCM (%1) VALUES (%2)").arg(columns, marks));
    ASSERT_TRUE(db.exec(QStringLiteral("BEGIN")));
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
    SqliteStatement spe = db.prepare(QStringLiteral("INSERT INTO \"Spécialité\" VALUES (?, ?)"));
    spe.bindAll({name, specialityRow.isEmpty() ? speciality : QVariant(specialityRow)});
    ASSERT_TRUE(spe.exec());
    ASSERT_TRUE(db.exec(QStringLiteral("COMMIT")));
}

// A working copy with the program's schema, filled with questionnaires.
class WorkingCopy {
public:
    WorkingCopy()
    {
        path = QDir(dir.path()).filePath(QStringLiteral("qcm.mdb"));
        QString error;
        EXPECT_TRUE(Schema::create(path, &error)) << error.toStdString();
    }

    // Rows are stored in the order given. A Null speciality leaves the title
    // to the table Spécialité.
    void add(const QString &name, const QString &date, const QVariant &speciality,
        const QList<StoredQuestion> &questions, const QString &specialityRow = {})
    {
        storeQuestionnaire(path, name, date, speciality, questions, specialityRow);
    }

    // The questionnaires of the golden files: names and texts with quotes,
    // apostrophes, slashes and accents, stored out of bank order, choices
    // missing here and there.
    void addSamples()
    {
        const std::optional<int> none;
        add(kExamName, QStringLiteral("14/06/2024"), QStringLiteral("Brevet B de Vol Libre - Parapente"),
            {
                {QStringLiteral("3"), 7, QStringLiteral("Que signifient les sigles \"VFR\" / \"IFR\" ?"),
                    {{QStringLiteral("Vol à vue / vol aux instruments."), 6},
                        {QStringLiteral("Vol \"rapide\" / vol lent."), -3},
                        {QStringLiteral("Aucune des deux réponses n'est juste."), 0}}},
                {QStringLiteral("1"), 2,
                    QStringLiteral("Par vent météo de nord-ouest, un pilote décolle d'un site orienté sud-est ; que "
                                   "doit-il craindre en priorité en s'approchant du relief \"sous le vent\", à l'heure "
                                   "la plus chaude d'un après-midi d'été ?"),
                    {{QStringLiteral("Des rabattants et des rotors."), 4}, {QStringLiteral("Rien de particulier."), -2},
                        {QStringLiteral("<null>"), none},
                        {QStringLiteral("Une brise de pente régulière, donc aucune turbulence à redouter "
                                        "près du relief, même par vent fort."),
                            0},
                        {QString(), none}, {QStringLiteral("Des ascendances dynamiques \"propres\"."), 2}}},
                {QStringLiteral("2"), 15,
                    QStringLiteral("Quelle est la charge alaire d'une voile de 25 m² pour un PTV de 100 kg ?"),
                    {{QStringLiteral("4 kg/m²."), 6}, {QStringLiteral("2,5 kg/m²."), -2},
                        {QStringLiteral("0,25 kg/m²."), -4}, {QStringLiteral("Il manque des données."), none}}},
                {QStringLiteral("1"), 1, QStringLiteral("Où s'installe l'ascendance \"thermique\" ?"),
                    {{QStringLiteral("Au-dessus d'un champ labouré."), 2},
                        {QStringLiteral("Au-dessus d'un village."), 2},
                        {QStringLiteral("Au-dessus d'une pente ensoleillée."), 2},
                        {QStringLiteral("Au-dessus d'un lac."), 0}, {QStringLiteral("Dans l'ombre d'un nuage."), -1},
                        {QStringLiteral("Sous la pluie."), -2}}},
                {QStringLiteral("4"), 9, QStringLiteral("Face à face près du relief : qui s'écarte ?"),
                    {{QStringLiteral("Celui qui n'a pas la pente à sa droite."), 6},
                        {QStringLiteral("Le plus rapide."), 0}}},
            });
        add(QStringLiteral("Révision météo"), QStringLiteral("01/02/2024"), QVariant(),
            {{QStringLiteral("1"), 4, QStringLiteral("Le foehn est un vent :"),
                 {{QStringLiteral("chaud et sec."), 6}, {QStringLiteral("froid et humide."), -2}}},
                {QStringLiteral("1"), 5, QStringLiteral("Un front froid amène :"),
                    {{QStringLiteral("des grains."), 6}, {QStringLiteral("du beau temps durable."), -3}}}},
            QStringLiteral("Qualification biplace parapente"));
        add(kExamName + QStringLiteral(" bis"), QStringLiteral("15/06/2024"),
            QStringLiteral("Brevet B de Vol Libre - Delta"),
            {{QStringLiteral("5"), 1, QStringLiteral("Une question du QCM voisin ?"),
                {{QStringLiteral("Oui."), 6}, {QStringLiteral("Non."), 0}}}});
    }

    // n generated questions whose statements run from one line to several.
    static QList<StoredQuestion> generated(int n, int offset = 0)
    {
        QList<StoredQuestion> questions;
        for (int i = 1; i <= n; ++i) {
            StoredQuestion q{QString::number(1 + (i + offset) % 9), i + offset, {}, {}};
            q.statement = QStringLiteral("Question numéro %1 :").arg(i);
            for (int w = 0; w < (i * 7 + offset) % 45; ++w)
                q.statement += QStringLiteral(" mot%1").arg(w);
            const int choices = 2 + (i + offset) % 5;
            for (int c = 0; c < choices; ++c)
                q.choices.append(
                    {QStringLiteral("Réponse %1 de la question %2").arg(QChar(u'A' + c)).arg(i), c == 0 ? 6 : -c % 3});
            questions.append(q);
        }
        return questions;
    }

    QTemporaryDir dir;
    QString path;
};

inline QString layoutPath(const QString &name)
{
    return QStringLiteral(QCM_REPORT_LAYOUTS) + u'/' + name + QStringLiteral(".rpt");
}

inline ReportRequest pdfRequest(const WorkingCopy &copy, const QString &layout, const QString &formula)
{
    ReportRequest r;
    r.layoutPath = layoutPath(layout);
    r.formula = formula;
    r.destination = ReportDestination::Pdf;
    r.pdfPath = QDir(copy.dir.path()).filePath(layout + QStringLiteral(".pdf"));
    r.title = QStringLiteral("QCM Questions");
    r.workingCopyPath = copy.path;
    return r;
}

inline bool havePdfToText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// The text of a PDF file as pdftotext lays it out, without trailing blanks,
// pages separated by a marker line.
inline QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
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
            out.append(QStringLiteral("──────── page %1 ────────").arg(i + 1));
        out.append(lines);
    }
    return out.join(u'\n') + u'\n';
}

} // namespace qcm::test
