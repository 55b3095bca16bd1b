#include "Schema.h"

#include "Sqlite.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QHash>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

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

namespace {

// Fields the program reads; a bank without a speciality flag stays usable
// (the composer offers to choose another one), so the flags are not needed.
QStringList neededFields(const QString &table)
{
    if (table == QStringLiteral("Domaines"))
        return {QStringLiteral("Code"), QStringLiteral("Libellé")};
    QStringList fields{QStringLiteral("Code"), QStringLiteral("Numero"), QStringLiteral("Libellé")};
    for (int i = 0; i < kChoiceCount; ++i)
        fields << QStringLiteral("lib%1").arg(i);
    for (int i = 0; i < kChoiceCount; ++i)
        fields << QStringLiteral("Val%1").arg(i);
    return fields;
}

// The integrity check stops after this long: a bank of a few hundred
// thousand questions is checked whole well within it.
constexpr std::chrono::milliseconds kCheckBudget{1000};

} // namespace

StoreError Schema::verify(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return StoreErrors::make(StoreErrorKind::Other, QStringLiteral("Le fichier « %1 » est introuvable.").arg(path));
    if (info.size() == 0)
        return StoreErrors::make(StoreErrorKind::NotADatabase,
            QStringLiteral("Le fichier « %1 » est vide : ce n'est pas une base de données.").arg(path));

    // Each failure in its own words: a good file that another program holds
    // or that sits in a read-only folder must not pass for a bad one.
    auto failure = [&path](int code, const QString &sqliteText) {
        StoreError e = StoreErrors::fromSqlite(code, sqliteText);
        switch (e.kind) {
        case StoreErrorKind::Locked:
            e.description = QStringLiteral("La base « %1 » est utilisée par un autre programme, "
                                           "qui en interdit la lecture pour le moment.")
                                .arg(path);
            break;
        case StoreErrorKind::ReadOnly:
            e.description = QStringLiteral(
                "La base « %1 » ne peut pas être lue là où elle est : son dossier est en lecture seule.")
                                .arg(path);
            break;
        case StoreErrorKind::NotADatabase:
            e.description = QStringLiteral("Le fichier « %1 » n'est pas une base de données.").arg(path);
            break;
        case StoreErrorKind::Damaged:
            e.description = QStringLiteral("La base « %1 » est endommagée.").arg(path);
            break;
        default:
            e.description = QStringLiteral("Le fichier « %1 » ne peut pas être lu : %2").arg(path, e.description);
            break;
        }
        return e;
    };

    SqliteDb db;
    QString why;
    int code = 0;
    if (!db.open(path, SqliteDb::Mode::ReadOnly, &why, &code))
        return failure(code, why);
    // A lock held for a moment by a writer is waited for; a lasting one is said.
    sqlite3_busy_timeout(db.handle(), 500);

    QHash<QString, QString> tables; // case-folded name -> name
    {
        SqliteStatement st = db.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
        while (st.step()) {
            const QString name = st.column(0).toString();
            tables.insert(name.toCaseFolded(), name);
        }
        if (!st.isValid() || !st.error().isEmpty())
            return failure(st.errorCode() ? st.errorCode() : db.lastErrorCode(), st.error());
    }
    QStringList missing;
    for (const QString &t : tableNames())
        if (!tables.contains(t.toCaseFolded()))
            missing.append(t);
    if (!missing.isEmpty())
        return StoreErrors::make(StoreErrorKind::FieldNotFound,
            QStringLiteral("La base « %1 » est incomplète : il lui manque %2 %3.")
                .arg(path, missing.size() > 1 ? QStringLiteral("les tables") : QStringLiteral("la table"),
                    missing.join(QStringLiteral(", "))));

    // The fields the program reads, then a row of them actually read.
    for (const QString &wanted : {QStringLiteral("Questions"), QStringLiteral("Domaines")}) {
        const QString table = tables.value(wanted.toCaseFolded());
        QHash<QString, QString> columns;
        SqliteStatement info = db.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
        info.bind(1, table);
        while (info.step()) {
            const QString column = info.column(0).toString();
            columns.insert(column.toCaseFolded(), column);
        }
        if (!info.isValid() || !info.error().isEmpty())
            return failure(info.errorCode(), info.error());
        QStringList absent, read;
        for (const QString &field : neededFields(wanted)) {
            const QString real = columns.value(field.toCaseFolded());
            real.isEmpty() ? absent.append(field) : read.append(quotedIdentifier(real));
        }
        if (!absent.isEmpty())
            return StoreErrors::make(StoreErrorKind::FieldNotFound,
                QStringLiteral("La base « %1 » est incomplète : il manque %2 %3 à la table %4.")
                    .arg(path, absent.size() > 1 ? QStringLiteral("les champs") : QStringLiteral("le champ"),
                        absent.join(QStringLiteral(", ")), table));
        SqliteStatement probe = db.prepare(
            QStringLiteral("SELECT %1 FROM %2 LIMIT 1").arg(read.join(QStringLiteral(", ")), quotedIdentifier(table)));
        while (probe.step()) { }
        if (!probe.isValid() || !probe.error().isEmpty())
            return failure(probe.errorCode(), probe.error());
    }

    // Interrupted from a watchdog: a progress handler is not called inside
    // the check of the pages, which is one step of the statement.
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!finished.wait_for(lock, kCheckBudget, [&] { return done; }))
            sqlite3_interrupt(db.handle());
    });
    SqliteStatement check = db.prepare(QStringLiteral("PRAGMA quick_check(1)"));
    const bool answered = check.step();
    const QString verdict = answered ? check.column(0).toString() : QString();
    const int checkCode = check.errorCode();
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_one();
    watchdog.join();
    if (answered && verdict != QStringLiteral("ok"))
        return failure(SQLITE_CORRUPT, verdict);
    // Interrupted: the pages checked within the time were sound.
    if (!answered && (checkCode & 0xff) != SQLITE_INTERRUPT && !check.error().isEmpty())
        return failure(checkCode, check.error());
    return {};
}

bool Schema::check(const QString &path, QString *error)
{
    const StoreError e = verify(path);
    if (error)
        *error = e.description;
    return !e.isError();
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
