#include "BankModel.h"

#include <sqlite3.h>

#include <QHash>

namespace qcm {

namespace {

const QString kQuestions = QStringLiteral("Questions");
const QString kDomaines = QStringLiteral("Domaines");
const QString kQcm = QStringLiteral("QCM");
const QString kSpecialite = QStringLiteral("Spécialité");

QString flagField(int s)
{
    return QString::fromLatin1(specialityInfo(Speciality(s)).flagField);
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant pointsOrNull(const std::optional<qint64> &points)
{
    return points ? QVariant(*points) : QVariant();
}

// The real name of a field, quoted for SQL; empty when the table lacks it.
QString column(const TableInfo &table, const QString &field)
{
    const int i = table.column(field);
    return i < 0 ? QString() : quotedIdentifier(table.columns.at(i));
}

StoreError missingField(const TableInfo &table, const QString &field)
{
    return StoreErrors::make(StoreErrorKind::FieldNotFound,
        QStringLiteral("Le champ « %1 » est introuvable dans la table %2.").arg(field, table.name));
}

// The fields of a table that a statement selects or sets, in a fixed order:
// needed ones must exist, optional ones (speciality flags) may be absent.
struct FieldList {
    QStringList sql; // quoted real names, or empty for an absent optional field
    StoreError error;

    static FieldList of(const TableInfo &table, const QStringList &needed, const QStringList &optional)
    {
        FieldList list;
        for (const QString &f : needed) {
            const QString c = column(table, f);
            if (c.isEmpty() && !list.error)
                list.error = missingField(table, f);
            list.sql << c;
        }
        for (const QString &f : optional)
            list.sql << column(table, f);
        return list;
    }
    // For a SELECT: an absent field reads as 0.
    QString selectList() const
    {
        QStringList s;
        for (const QString &c : sql)
            s << (c.isEmpty() ? QStringLiteral("0") : c);
        return s.join(QStringLiteral(", "));
    }
};

QStringList questionFields()
{
    QStringList f{QStringLiteral("Code"), QStringLiteral("Numero"), QStringLiteral("Libellé")};
    for (int i = 0; i < kChoiceCount; ++i)
        f << QStringLiteral("lib%1").arg(i) << QStringLiteral("Val%1").arg(i);
    return f;
}

QStringList flagFields()
{
    QStringList f;
    for (int s = 0; s < kSpecialityCount; ++s)
        f << flagField(s);
    return f;
}

// Reads the columns laid out by questionFields() then flagFields().
Question questionAt(const SqliteStatement &st)
{
    Question q;
    q.code = st.column(0).toString();
    q.numero = st.columnInt64(1);
    q.libelle = st.column(2).toString();
    for (int i = 0; i < kChoiceCount; ++i) {
        q.lib[size_t(i)] = st.column(3 + 2 * i).toString();
        q.val[size_t(i)] = pointsValue(st.column(4 + 2 * i));
    }
    for (int s = 0; s < kSpecialityCount; ++s)
        q.flags[size_t(s)] = st.columnInt64(3 + 2 * kChoiceCount + s) == 1 ? 1 : 0;
    return q;
}

template <typename T> std::optional<T> failed(StoreError *out, const StoreError &error)
{
    setError(out, error);
    return std::nullopt;
}

} // namespace

BankModel::BankModel(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) { }

const TableInfo *BankModel::questionsTable(StoreError *error) const
{
    if (!m_connection) {
        setError(error, StoreErrors::noDatabase());
        return nullptr;
    }
    return m_connection->table(kQuestions, error);
}

std::optional<QList<Domain>> BankModel::domains(StoreError *error) const
{
    if (!m_connection)
        return failed<QList<Domain>>(error, StoreErrors::noDatabase());
    StoreError e;
    const TableInfo *t = m_connection->table(kDomaines, &e);
    if (!t)
        return failed<QList<Domain>>(error, e);
    const FieldList fields = FieldList::of(*t, {QStringLiteral("Code"), QStringLiteral("Libellé")}, {});
    if (fields.error)
        return failed<QList<Domain>>(error, fields.error);
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(fields.selectList(), quotedIdentifier(t->name)), &e);
    if (!st)
        return failed<QList<Domain>>(error, e);
    QList<Domain> list;
    while (st->step())
        list.append({st->column(0).toString(), st->column(1).toString()});
    if (!st->error().isEmpty())
        return failed<QList<Domain>>(error, m_connection->errorOf(*st));
    st->reset();
    return list;
}

std::optional<QList<Question>> BankModel::readQuestions(
    const QString &where, const QVariantList &values, StoreError *error) const
{
    StoreError e;
    const TableInfo *t = questionsTable(&e);
    if (!t)
        return failed<QList<Question>>(error, e);
    const FieldList fields = FieldList::of(*t, questionFields(), flagFields());
    if (fields.error)
        return failed<QList<Question>>(error, fields.error);
    const QString code = column(*t, QStringLiteral("Code")), numero = column(*t, QStringLiteral("Numero"));
    SqliteStatement *st = m_connection->statement(QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4, %5")
                                                      .arg(fields.selectList(), quotedIdentifier(t->name),
                                                          where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where,
                                                          code, numero),
        &e);
    if (!st)
        return failed<QList<Question>>(error, e);
    st->bindAll(values);
    QList<Question> list;
    while (st->step())
        list.append(questionAt(*st));
    if (!st->error().isEmpty())
        return failed<QList<Question>>(error, m_connection->errorOf(*st));
    st->reset();
    return list;
}

std::optional<QList<Question>> BankModel::questions(StoreError *error) const
{
    return readQuestions({}, {}, error);
}

std::optional<QList<Question>> BankModel::domainQuestions(const QString &code, StoreError *error) const
{
    StoreError e;
    const TableInfo *t = questionsTable(&e);
    if (!t)
        return failed<QList<Question>>(error, e);
    return readQuestions(column(*t, QStringLiteral("Code")) + QStringLiteral(" = ?"), {code}, error);
}

std::optional<Question> BankModel::question(const QString &code, qint64 numero, StoreError *error) const
{
    StoreError e;
    const TableInfo *t = questionsTable(&e);
    if (!t) {
        setError(error, e);
        return std::nullopt;
    }
    const auto found = readQuestions(
        column(*t, QStringLiteral("Code")) + QStringLiteral(" = ? AND ") + column(*t, QStringLiteral("Numero"))
            + QStringLiteral(" = ?"),
        {code, numero}, error);
    if (!found || found->isEmpty())
        return std::nullopt;
    return found->constFirst();
}

std::optional<qint64> BankModel::questionCount(const QString &code, StoreError *error) const
{
    StoreError e;
    const TableInfo *t = questionsTable(&e);
    if (!t)
        return failed<qint64>(error, e);
    const QString codeColumn = column(*t, QStringLiteral("Code"));
    if (codeColumn.isEmpty())
        return failed<qint64>(error, missingField(*t, QStringLiteral("Code")));
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(quotedIdentifier(t->name), codeColumn), &e);
    if (!st)
        return failed<qint64>(error, e);
    st->bind(1, code);
    if (!st->step())
        return failed<qint64>(error, m_connection->errorOf(*st));
    const qint64 n = st->columnInt64(0);
    st->reset();
    return n;
}

std::optional<QStringList> BankModel::questionnaireNames(StoreError *error) const
{
    if (!m_connection)
        return failed<QStringList>(error, StoreErrors::noDatabase());
    StoreError e;
    const TableInfo *t = m_connection->table(kQcm, &e);
    if (!t)
        return failed<QStringList>(error, e);
    const QString name = column(*t, QStringLiteral("NomQCM"));
    if (name.isEmpty())
        return failed<QStringList>(error, missingField(*t, QStringLiteral("NomQCM")));
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL ORDER BY %1").arg(name, quotedIdentifier(t->name)),
        &e);
    if (!st)
        return failed<QStringList>(error, e);
    QStringList names;
    while (st->step())
        names << st->column(0).toString();
    if (!st->error().isEmpty())
        return failed<QStringList>(error, m_connection->errorOf(*st));
    st->reset();
    return names;
}

std::optional<QList<StoredQuestionnaire>> BankModel::readQuestionnaires(
    const std::optional<QString> &name, StoreError *error) const
{
    using Result = QList<StoredQuestionnaire>;
    if (!m_connection)
        return failed<Result>(error, StoreErrors::noDatabase());
    StoreError e;
    const TableInfo *t = m_connection->table(kQcm, &e);
    if (!t)
        return failed<Result>(error, e);
    QStringList needed{QStringLiteral("NomQCM"), QStringLiteral("DateMAJ"), QStringLiteral("Code"),
        QStringLiteral("Numero"), QStringLiteral("Libellé")};
    for (int i = 0; i < kChoiceCount; ++i)
        needed << QStringLiteral("lib%1").arg(i) << QStringLiteral("val%1").arg(i);
    needed << kSpecialite;
    QStringList optional;
    for (int s = 0; s < kSpecialityCount; ++s)
        optional << QStringLiteral("Spé%1").arg(s);
    const FieldList fields = FieldList::of(*t, needed, optional);
    if (fields.error)
        return failed<Result>(error, fields.error);
    const QString nameColumn = fields.sql.at(0);
    SqliteStatement *st = m_connection->statement(name ? QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY rowid")
                                                             .arg(fields.selectList(), quotedIdentifier(t->name), nameColumn)
                                                       : QStringLiteral("SELECT %1 FROM %2 WHERE %3 IS NOT NULL "
                                                                        "ORDER BY %3, rowid")
                                                             .arg(fields.selectList(), quotedIdentifier(t->name), nameColumn),
        &e);
    if (!st)
        return failed<Result>(error, e);
    if (name)
        st->bind(1, *name);
    Result result;
    const int speColumn = 5 + 2 * kChoiceCount;
    while (st->step()) {
        QcmRow row;
        row.nomQcm = st->column(0).toString();
        row.dateMaj = st->column(1).toString();
        row.code = st->column(2).toString();
        row.numero = st->columnInt64(3);
        row.libelle = st->column(4).toString();
        for (int i = 0; i < kChoiceCount; ++i) {
            row.lib[size_t(i)] = st->column(5 + 2 * i).toString();
            row.val[size_t(i)] = pointsValue(st->column(6 + 2 * i));
        }
        const QVariant title = st->column(speColumn);
        row.specialite = title.toString();
        for (int s = 0; s < kSpecialityCount; ++s)
            row.spe[size_t(s)] = st->columnInt64(speColumn + 1 + s) != 0 ? 1 : 0;
        // The file decides which names are one: a filtered read is one
        // questionnaire whatever the case its rows spell the name in.
        if (result.isEmpty() || (!name && result.last().name.compare(row.nomQcm, Qt::CaseInsensitive) != 0))
            result.append({row.nomQcm, {}, {}, false, {}, {}});
        StoredQuestionnaire &q = result.last();
        // What every row repeats is taken from the last one, as the composer always did.
        q.date = row.dateMaj;
        if (!title.isNull()) {
            q.speciality = row.specialite;
            q.hasSpeciality = true;
        }
        q.boxes = row.spe;
        q.rows.append(row);
    }
    if (!st->error().isEmpty())
        return failed<Result>(error, m_connection->errorOf(*st));
    st->reset();

    // Rows written before a title was known take it from the table
    // Spécialité; an older file without that table simply has none.
    const TableInfo *spe = m_connection->table(kSpecialite, nullptr);
    const QString speName = spe ? column(*spe, QStringLiteral("NomQCM")) : QString();
    const QString speTitle = spe ? column(*spe, kSpecialite) : QString();
    if (!speName.isEmpty() && !speTitle.isEmpty()) {
        SqliteStatement *find = m_connection->statement(
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(speTitle, quotedIdentifier(spe->name), speName),
            nullptr);
        for (StoredQuestionnaire &q : result) {
            if (!find || !q.speciality.isEmpty())
                continue;
            find->reset();
            find->bind(1, q.name);
            if (find->step() && !find->column(0).isNull())
                q.speciality = find->column(0).toString();
        }
        if (find)
            find->reset();
    }
    return result;
}

std::optional<StoredQuestionnaire> BankModel::questionnaire(const QString &name, StoreError *error) const
{
    const auto found = readQuestionnaires(name, error);
    if (!found || found->isEmpty())
        return std::nullopt;
    return found->constFirst();
}

std::optional<QList<StoredQuestionnaire>> BankModel::questionnaires(StoreError *error) const
{
    return readQuestionnaires(std::nullopt, error);
}

// The statements a batch of questions is written with, made once per batch:
// a big import spent most of its time making them again for every row.
struct BankModel::Columns {
    FieldList fields;
    QString select, update, insert;
    QList<int> set, inserted; // the values each statement takes, by their index

    explicit Columns(const TableInfo &t) : fields(FieldList::of(t, questionFields(), flagFields()))
    {
        if (fields.error)
            return;
        const QString table = quotedIdentifier(t.name);
        const QString key = fields.sql.at(0) + QStringLiteral(" = ? AND ") + fields.sql.at(1) + QStringLiteral(" = ?");
        select = QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(table, key);
        QStringList sets, names;
        for (int i = 0; i < fields.sql.size(); ++i) {
            if (fields.sql.at(i).isEmpty())
                continue;
            names << fields.sql.at(i);
            inserted << i;
            if (i >= 2) {
                sets << fields.sql.at(i) + QStringLiteral(" = ?");
                set << i;
            }
        }
        update = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, sets.join(QStringLiteral(", ")), key);
        insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                     .arg(table, names.join(QStringLiteral(", ")),
                         QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    }
};

bool BankModel::writeQuestion(
    const Columns &columns, const Question &q, ExistingQuestions existing, bool *added, StoreError *error)
{
    // Values in the order of the fields, the key first.
    QVariantList values{q.code, q.numero, q.libelle};
    for (int i = 0; i < kChoiceCount; ++i)
        values << textOrNull(q.lib[size_t(i)]) << pointsOrNull(q.val[size_t(i)]);
    for (int s = 0; s < kSpecialityCount; ++s)
        values << q.flags[size_t(s)];
    auto valuesAt = [&values](const QList<int> &indexes) {
        QVariantList list;
        list.reserve(indexes.size() + 2);
        for (int i : indexes)
            list << values.at(i);
        return list;
    };

    SqliteStatement *st = nullptr;
    StoreError e;
    if (existing == ExistingQuestions::Keep) {
        st = m_connection->statement(columns.select, &e);
        if (!st) {
            setError(error, e);
            return false;
        }
        st->bindAll({q.code, q.numero});
        const bool present = st->step();
        const StoreError readError = st->error().isEmpty() ? StoreError{} : m_connection->errorOf(*st);
        st->reset();
        if (readError) {
            setError(error, readError);
            return false;
        }
        *added = false;
        if (present)
            return true;
    } else {
        st = m_connection->statement(columns.update, &e);
        if (!st) {
            setError(error, e);
            return false;
        }
        st->bindAll(valuesAt(columns.set) + QVariantList{q.code, q.numero});
        const bool done = st->exec();
        const StoreError writeError = done ? StoreError{} : m_connection->errorOf(*st);
        st->reset();
        if (!done) {
            setError(error, writeError);
            return false;
        }
        if (sqlite3_changes(m_connection->db().handle()) > 0) {
            *added = false;
            return true;
        }
    }
    st = m_connection->statement(columns.insert, &e);
    if (!st) {
        setError(error, e);
        return false;
    }
    st->bindAll(valuesAt(columns.inserted));
    const bool done = st->exec();
    const StoreError writeError = done ? StoreError{} : m_connection->errorOf(*st);
    st->reset();
    if (!done) {
        setError(error, writeError);
        return false;
    }
    *added = true;
    return true;
}

StoreError BankModel::saveQuestion(const Question &question)
{
    return saveBatch({}, {question}, ExistingQuestions::Replace);
}

StoreError BankModel::saveBatch(const QList<Domain> &domains, const QList<Question> &questions,
    ExistingQuestions existing, BankWriteSummary *summary)
{
    BankWriteSummary done;
    Transaction transaction(m_connection);
    if (!transaction.isActive())
        return transaction.error();
    StoreError e;
    if (!domains.isEmpty()) {
        const TableInfo *t = m_connection->table(kDomaines, &e);
        if (!t)
            return e;
        const FieldList fields = FieldList::of(*t, {QStringLiteral("Code"), QStringLiteral("Libellé")}, {});
        if (fields.error)
            return fields.error;
        const QString table = quotedIdentifier(t->name);
        for (const Domain &d : domains) {
            SqliteStatement *find = m_connection->statement(
                QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(table, fields.sql.at(0)), &e);
            if (!find)
                return e;
            find->bind(1, d.code);
            const bool present = find->step();
            const StoreError readError = find->error().isEmpty() ? StoreError{} : m_connection->errorOf(*find);
            find->reset();
            if (readError)
                return readError;
            if (present)
                continue;
            SqliteStatement *add = m_connection->statement(
                QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)").arg(table, fields.sql.at(0), fields.sql.at(1)),
                &e);
            if (!add)
                return e;
            add->bindAll({d.code, d.libelle});
            const bool ok = add->exec();
            const StoreError writeError = ok ? StoreError{} : m_connection->errorOf(*add);
            add->reset();
            if (!ok)
                return writeError;
            ++done.domainsAdded;
        }
    }
    std::optional<Columns> columns;
    if (!questions.isEmpty()) {
        const TableInfo *t = questionsTable(&e);
        if (!t)
            return e;
        columns.emplace(*t);
        if (columns->fields.error)
            return columns->fields.error;
    }
    for (const Question &q : questions) {
        bool added = false;
        if (!writeQuestion(*columns, q, existing, &added, &e))
            return e;
        if (added)
            ++done.questionsAdded;
        else if (existing == ExistingQuestions::Replace)
            ++done.questionsReplaced;
        else
            ++done.questionsKept;
    }
    if (!transaction.commit())
        return transaction.error();
    if (summary)
        *summary = done;
    return {};
}

StoreError BankModel::saveQuestionnaire(const StoredQuestionnaire &questionnaire)
{
    Transaction transaction(m_connection);
    if (!transaction.isActive())
        return transaction.error();
    StoreError e;
    const TableInfo *t = m_connection->table(kQcm, &e);
    if (!t)
        return e;
    QStringList needed{QStringLiteral("NomQCM"), QStringLiteral("DateMAJ"), QStringLiteral("Code"),
        QStringLiteral("Numero"), QStringLiteral("Libellé")};
    for (int i = 0; i < kChoiceCount; ++i)
        needed << QStringLiteral("lib%1").arg(i) << QStringLiteral("val%1").arg(i);
    needed << kSpecialite;
    QStringList optional;
    for (int s = 0; s < kSpecialityCount; ++s)
        optional << QStringLiteral("Spé%1").arg(s);
    const FieldList fields = FieldList::of(*t, needed, optional);
    if (fields.error)
        return fields.error;
    const QString table = quotedIdentifier(t->name);

    auto run = [&](const QString &sql, const QVariantList &values) {
        SqliteStatement *st = m_connection->statement(sql, &e);
        if (!st)
            return false;
        st->bindAll(values);
        const bool ok = st->exec();
        if (!ok)
            e = m_connection->errorOf(*st);
        st->reset();
        return ok;
    };
    if (!run(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, fields.sql.at(0)), {questionnaire.name}))
        return e;
    QStringList names;
    for (const QString &c : fields.sql)
        if (!c.isEmpty())
            names << c;
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table, names.join(QStringLiteral(", ")),
                                   QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    for (const QcmRow &row : questionnaire.rows) {
        QVariantList values{questionnaire.name, questionnaire.date, row.code, row.numero, row.libelle};
        for (int i = 0; i < kChoiceCount; ++i)
            values << textOrNull(row.lib[size_t(i)]) << pointsOrNull(row.val[size_t(i)]);
        values << (questionnaire.hasSpeciality ? QVariant(questionnaire.speciality) : QVariant());
        for (int s = 0; s < kSpecialityCount; ++s)
            if (!fields.sql.at(needed.size() + s).isEmpty())
                values << questionnaire.boxes[size_t(s)];
        if (!run(insert, values))
            return e;
    }
    if (const TableInfo *spe = m_connection->table(kSpecialite, &e)) {
        const QString speName = column(*spe, QStringLiteral("NomQCM")), speTitle = column(*spe, kSpecialite);
        if (speName.isEmpty() || speTitle.isEmpty())
            return missingField(*spe, speName.isEmpty() ? QStringLiteral("NomQCM") : kSpecialite);
        const QString speTable = quotedIdentifier(spe->name);
        if (!run(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(speTable, speName), {questionnaire.name}))
            return e;
        if (questionnaire.hasSpeciality
            && !run(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)").arg(speTable, speName, speTitle),
                {questionnaire.name, questionnaire.speciality}))
            return e;
    } else {
        return e;
    }
    if (!transaction.commit())
        return transaction.error();
    return {};
}

StoreError BankModel::removeQuestion(const QString &code, qint64 numero)
{
    StoreError e;
    const TableInfo *t = questionsTable(&e);
    if (!t)
        return e;
    const QString codeColumn = column(*t, QStringLiteral("Code")), numeroColumn = column(*t, QStringLiteral("Numero"));
    SqliteStatement *st = m_connection->statement(QStringLiteral("DELETE FROM %1 WHERE %2 = ? AND %3 = ?")
                                                      .arg(quotedIdentifier(t->name), codeColumn, numeroColumn),
        &e);
    if (!st)
        return e;
    st->bindAll({code, numero});
    const bool ok = st->exec();
    if (!ok)
        e = m_connection->errorOf(*st);
    st->reset();
    return e;
}

} // namespace qcm
