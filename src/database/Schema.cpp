#include "Schema.h"

#include "Sqlite.h"

#include <QFileInfo>

namespace qcm {

namespace {

QString choiceColumns(const char *points)
{
    QString s;
    for (int i = 0; i < kChoiceCount; ++i)
        s += QStringLiteral(", lib%1 TEXT").arg(i);
    for (int i = 0; i < kChoiceCount; ++i)
        s += QStringLiteral(", %1%2 INTEGER").arg(QLatin1String(points)).arg(i);
    return s;
}

QString ddl()
{
    QString flags;
    for (int s = 0; s < kSpecialityCount; ++s)
        flags += QStringLiteral(", %1 INTEGER").arg(QLatin1String(specialityInfo(Speciality(s)).flagField));
    QString spe;
    for (int s = 0; s < kSpecialityCount; ++s)
        spe += QStringLiteral(", \"Spé%1\" INTEGER").arg(s);
    // Text compares and sorts ignore letter case, as the bank always did.
    return QStringLiteral("CREATE TABLE Questions (Code TEXT COLLATE NOCASE, Numero INTEGER, "
                          "\"Libellé\" TEXT%1%2, UNIQUE (Code, Numero));\n")
               .arg(choiceColumns("Val"), flags)
        + QStringLiteral("CREATE TABLE Domaines (Code TEXT COLLATE NOCASE, \"Libellé\" TEXT);\n")
        + QStringLiteral("CREATE TABLE QCM (NomQCM TEXT COLLATE NOCASE, DateMAJ TEXT, Code TEXT COLLATE NOCASE, "
                         "Numero INTEGER, \"Libellé\" TEXT%1, \"Spécialité\" TEXT%2);\n")
              .arg(choiceColumns("val"), spe)
        + QStringLiteral("CREATE INDEX QCM_Nom ON QCM (NomQCM);\n")
        + QStringLiteral("CREATE TABLE \"Spécialité\" (NomQCM TEXT COLLATE NOCASE, \"Spécialité\" TEXT);\n")
        + QStringLiteral("CREATE TABLE Sessions (NomSession TEXT, DateSession TEXT);\n")
        + QStringLiteral("CREATE TABLE Examen (NomSession TEXT, NomQCM TEXT);\n");
}

} // namespace

const QStringList &Schema::tableNames()
{
    static const QStringList names{QStringLiteral("Questions"), QStringLiteral("Domaines"), QStringLiteral("QCM"),
        QStringLiteral("Spécialité"), QStringLiteral("Sessions"), QStringLiteral("Examen")};
    return names;
}

bool Schema::create(const QString &path, QString *error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("Le fichier « %1 » existe déjà.").arg(path);
        return false;
    }
    SqliteDb db;
    QString why;
    // A rollback journal, not a write-ahead log: the whole database stays in
    // its one file, so copying the file copies the database.
    if (!db.open(path, SqliteDb::Mode::Create, &why) || !db.exec(QStringLiteral("PRAGMA journal_mode=DELETE"), &why)
        || !db.exec(ddl(), &why)) {
        if (error)
            *error = QStringLiteral("Impossible de créer la base « %1 » : %2").arg(path, why);
        return false;
    }
    return true;
}

bool Schema::check(const QString &path, QString *error)
{
    auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("Le fichier « %1 » est introuvable.").arg(path));
    SqliteDb db;
    QString why;
    if (!db.open(path, SqliteDb::Mode::ReadOnly, &why))
        return fail(QStringLiteral("Le fichier « %1 » ne peut pas être ouvert : %2").arg(path, why));
    SqliteStatement st = db.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    QStringList found;
    while (st.step())
        found.append(st.column(0).toString().toCaseFolded());
    if (!st.isValid() || !st.error().isEmpty())
        return fail(QStringLiteral("Le fichier « %1 » n'est pas une base de données de questions.").arg(path));
    QStringList missing;
    for (const QString &t : tableNames())
        if (!found.contains(t.toCaseFolded()))
            missing.append(t);
    if (!missing.isEmpty())
        return fail(QStringLiteral("La base « %1 » est incomplète : il lui manque %2 %3.")
                        .arg(path, missing.size() > 1 ? QStringLiteral("les tables") : QStringLiteral("la table"),
                            missing.join(QStringLiteral(", "))));
    return true;
}

bool writeBank(const QString &path, const BankContent &bank, QString *error)
{
    if (!Schema::create(path, error))
        return false;
    SqliteDb db;
    QString why;
    auto fail = [&](const QString &message) {
        if (error)
            *error = QStringLiteral("Écriture de la base « %1 » impossible : %2").arg(path, message);
        return false;
    };
    if (!db.open(path, SqliteDb::Mode::ReadWrite, &why) || !db.exec(QStringLiteral("BEGIN"), &why))
        return fail(why);
    SqliteStatement dom = db.prepare(QStringLiteral("INSERT INTO Domaines (Code, \"Libellé\") VALUES (?, ?)"));
    for (const Domain &d : bank.domains) {
        dom.reset();
        dom.bindAll({d.code, d.libelle});
        if (!dom.exec())
            return fail(dom.error());
    }
    QString columns = QStringLiteral("Code, Numero, \"Libellé\"");
    for (int i = 0; i < kChoiceCount; ++i)
        columns += QStringLiteral(", lib%1, Val%1").arg(i);
    for (int s = 0; s < kSpecialityCount; ++s)
        columns += QStringLiteral(", ") + QLatin1String(specialityInfo(Speciality(s)).flagField);
    const QString marks = QStringList(3 + 2 * kChoiceCount + kSpecialityCount, QStringLiteral("?")).join(u',');
    SqliteStatement que = db.prepare(QStringLiteral("INSERT INTO Questions (%1) VALUES (%2)").arg(columns, marks));
    for (const Question &q : bank.questions) {
        QVariantList values{q.code, q.numero, q.libelle};
        for (int i = 0; i < kChoiceCount; ++i) {
            values.append(q.lib[size_t(i)].isEmpty() ? QVariant() : QVariant(q.lib[size_t(i)]));
            values.append(q.val[size_t(i)] ? QVariant(*q.val[size_t(i)]) : QVariant());
        }
        for (int f : q.flags)
            values.append(f);
        que.reset();
        que.bindAll(values);
        if (!que.exec())
            return fail(que.error());
    }
    if (!db.exec(QStringLiteral("COMMIT"), &why))
        return fail(why);
    return true;
}

} // namespace qcm
