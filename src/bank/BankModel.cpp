#include "BankModel.h"

#include "database/DataBinding.h"

#include <sqlite3.h>

namespace qcm {

namespace {

const QString kQuestions = QStringLiteral("Questions");
const QString kDomaines = QStringLiteral("Domaines");
const QString kQcm = QStringLiteral("QCM");
const QString kSpecialite = QStringLiteral("Spécialité");
const QString kRowId = QStringLiteral("rowid");

QString flagField(int s)
{
    return QString::fromLatin1(specialityInfo(Speciality(s)).flagField);
}

// A text as the file holds it: a null text is Null.
QVariant storedText(const QString &text)
{
    return text.isNull() ? QVariant() : QVariant(text);
}

QVariant pointsOrNull(const std::optional<qint64> &points)
{
    return points ? QVariant(*points) : QVariant();
}

// The real name of a field, quoted for SQL; empty when the table lacks it.
QString column(const TableInfo &table, const QString &field)
{
    if (field == kRowId)
        return field;
    const int i = table.column(field);
    return i < 0 ? QString() : quotedIdentifier(table.columns.at(i));
}

StoreError missingField(const TableInfo &table, const QString &field)
{
    StoreError e = StoreErrors::make(StoreErrorKind::FieldNotFound,
        QStringLiteral("Le champ « %1 » est introuvable dans la table %2.").arg(field, table.name));
    e.field = field;
    return e;
}

// The fields of a table that a statement selects or sets, in a fixed order:
// needed ones must exist, optional ones (speciality flags) may be absent.
struct FieldList {
    QStringList sql; // quoted real names, or empty for an absent optional field
    StoreError error;

    static FieldList of(const TableInfo &table, const QStringList &needed, const QStringList &optional = {})
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
    // "a = ? AND b = ?" over the first n fields.
    QString equalTo(qsizetype n) const
    {
        QStringList terms;
        for (qsizetype i = 0; i < n; ++i)
            terms << sql.at(i) + QStringLiteral(" = ?");
        return terms.join(QStringLiteral(" AND "));
    }
};

// lib0, Val0, lib1, Val1 …: the choices with their points, as a row lays them out.
QStringList choiceFields(const QString &points)
{
    QStringList f;
    for (int i = 0; i < kChoiceCount; ++i)
        f << QStringLiteral("lib%1").arg(i) << points + QString::number(i);
    return f;
}

QStringList flagFields()
{
    QStringList f;
    for (int s = 0; s < kSpecialityCount; ++s)
        f << flagField(s);
    return f;
}

// The fields of QCM every row needs, in the order a missing one is reported.
QStringList qcmFields()
{
    return QStringList{QStringLiteral("NomQCM"), QStringLiteral("DateMAJ"), QStringLiteral("Code"),
               QStringLiteral("Numero"), QStringLiteral("Libellé"), kSpecialite}
    + choiceFields(QStringLiteral("val"));
}
constexpr int kQcmChoices = 6; // where the choices start in qcmFields()

QStringList boxFields()
{
    QStringList f;
    for (int s = 0; s < kSpecialityCount; ++s)
        f << QStringLiteral("Spé%1").arg(s);
    return f;
}

template <typename T> std::optional<T> failed(StoreError *out, const StoreError &error)
{
    setError(out, error);
    return std::nullopt;
}

// Runs a statement that changes rows; false with the error on failure.
bool run(
    Connection &connection, const QString &sql, const QVariantList &values, StoreError *error, int *changed = nullptr)
{
    SqliteStatement *st = connection.statement(sql, error);
    if (!st)
        return false;
    st->bindAll(values);
    const bool ok = st->exec();
    if (!ok)
        setError(error, connection.errorOf(*st));
    else if (changed)
        *changed = sqlite3_changes(connection.db().handle());
    st->reset();
    return ok;
}

// Steps a query to its end, handing each row over; false with the error on failure.
template <typename Row> bool readAll(Connection &connection, SqliteStatement &st, Row row, StoreError *error)
{
    while (st.step())
        row();
    const bool ok = st.error().isEmpty();
    if (!ok)
        setError(error, connection.errorOf(st));
    st.reset();
    return ok;
}

} // namespace

// ---- One row of a pass ----------------------------------------------------

QuestionRow::QuestionRow(const SqliteStatement &statement, unsigned parts) : m_st(statement)
{
    int next = 2; // after Code and Numero
    if (parts & QuestionParts::Statement)
        m_statement = next++;
    if (parts & QuestionParts::Choices) {
        m_choices = next;
        next += 2 * kChoiceCount;
    }
    if (parts & QuestionParts::Flags)
        m_flags = next;
}

QString QuestionRow::code() const
{
    return m_st.column(0).toString();
}

QByteArrayView QuestionRow::codeUtf8() const
{
    return m_st.columnUtf8(0);
}

qint64 QuestionRow::numero() const
{
    return m_st.columnInt64(1);
}

QVariant QuestionRow::storedNumero() const
{
    return m_st.column(1);
}

bool QuestionRow::numeroIsWhole() const
{
    return m_st.columnIsInteger(1);
}

QString QuestionRow::statement() const
{
    return m_statement < 0 ? QString() : m_st.column(m_statement).toString();
}

QByteArrayView QuestionRow::statementUtf8() const
{
    return m_statement < 0 ? QByteArrayView() : m_st.columnUtf8(m_statement);
}

bool QuestionRow::hasChoice(int i) const
{
    return m_choices >= 0 && m_st.columnBytes(m_choices + 2 * i) > 0;
}

QString QuestionRow::choice(int i) const
{
    return m_choices < 0 ? QString() : m_st.column(m_choices + 2 * i).toString();
}

QVariant QuestionRow::storedPoints(int i) const
{
    return m_choices < 0 ? QVariant() : m_st.column(m_choices + 2 * i + 1);
}

std::optional<qint64> QuestionRow::points(int i) const
{
    if (m_choices < 0)
        return std::nullopt;
    // Whole numbers, nearly all points, are read without a QVariant.
    const int column = m_choices + 2 * i + 1;
    if (m_st.columnIsInteger(column))
        return m_st.columnInt64(column);
    return pointsValue(m_st.column(column));
}

int QuestionRow::flag(int speciality) const
{
    return m_flags >= 0 && m_st.columnInt64(m_flags + speciality) == 1 ? 1 : 0;
}

unsigned QuestionRow::flagBits() const
{
    unsigned bits = 0;
    for (int s = 0; s < kSpecialityCount; ++s)
        bits |= unsigned(flag(s)) << s;
    return bits;
}

Question QuestionRow::question() const
{
    Question q;
    q.code = code();
    q.numero = numero();
    q.libelle = statement();
    for (int i = 0; i < kChoiceCount; ++i) {
        q.lib[size_t(i)] = choice(i);
        const QVariant points = storedPoints(i);
        q.val[size_t(i)] = pointsValue(points);
        if (!q.val[size_t(i)])
            q.oddVal[size_t(i)] = points;
    }
    for (int s = 0; s < kSpecialityCount; ++s)
        q.flags[size_t(s)] = flag(s);
    return q;
}

// ---- Reading ----------------------------------------------------------------

BankModel::BankModel(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) { }

const TableInfo *BankModel::table(const QString &name, StoreError *error) const
{
    if (!m_connection) {
        setError(error, StoreErrors::noDatabase());
        return nullptr;
    }
    return m_connection->table(name, error);
}

std::optional<QList<Domain>> BankModel::domains(StoreError *error) const
{
    StoreError e;
    const TableInfo *t = table(kDomaines, &e);
    if (!t)
        return failed<QList<Domain>>(error, e);
    const FieldList fields = FieldList::of(*t, {QStringLiteral("Code"), QStringLiteral("Libellé")});
    if (fields.error)
        return failed<QList<Domain>>(error, fields.error);
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(fields.selectList(), quotedIdentifier(t->name)), &e);
    if (!st)
        return failed<QList<Domain>>(error, e);
    QList<Domain> list;
    if (!readAll(
            *m_connection, *st,
            [&] {
                list.append({st->column(0).toString(), st->column(1).toString()});
            },
            error))
        return std::nullopt;
    return list;
}

// keys: the fields (or rowid) that must equal values, in order.
bool BankModel::readQuestions(unsigned parts, const QStringList &keys, const QVariantList &values, bool bankOrder,
    const std::function<void(const QuestionRow &)> &visit, StoreError *error) const
{
    if (!m_connection)
        return setError(error, StoreErrors::noDatabase()), false;
    // Built once per connection: one question is read for each line of a
    // questionnaire and for each question shown.
    auto sql = [&](StoreError *e) -> QString {
        const TableInfo *t = table(kQuestions, e);
        if (!t)
            return {};
        QStringList needed = keys;
        needed << QStringLiteral("Code") << QStringLiteral("Numero");
        if (parts & QuestionParts::Statement)
            needed << QStringLiteral("Libellé");
        if (parts & QuestionParts::Choices)
            needed << choiceFields(QStringLiteral("Val"));
        FieldList fields = FieldList::of(*t, needed, parts & QuestionParts::Flags ? flagFields() : QStringList());
        if (fields.error)
            return setError(e, fields.error), QString();
        const QString where = keys.isEmpty() ? QString() : QStringLiteral(" WHERE ") + fields.equalTo(keys.size());
        fields.sql.remove(0, keys.size());
        const QString order
            = bankOrder ? QStringLiteral(" ORDER BY %1, %2").arg(fields.sql.at(0), fields.sql.at(1)) : QString();
        return QStringLiteral("SELECT %1 FROM %2%3%4")
            .arg(fields.selectList(), quotedIdentifier(t->name), where, order);
    };
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("questions %1 %2 %3").arg(parts).arg(keys.join(u',')).arg(bankOrder), sql, error);
    if (!st)
        return false;
    st->bindAll(values);
    const QuestionRow row(*st, parts);
    return readAll(
        *m_connection, *st, [&] { visit(row); }, error);
}

bool BankModel::forEachQuestion(
    unsigned parts, const std::function<void(const QuestionRow &)> &visit, StoreError *error) const
{
    return readQuestions(parts, {}, {}, true, visit, error);
}

bool BankModel::forEachStoredQuestion(
    unsigned parts, const std::function<void(const QuestionRow &)> &visit, StoreError *error) const
{
    return readQuestions(parts, {}, {}, false, visit, error);
}

std::optional<QList<Question>> BankModel::questionList(
    const QStringList &keys, const QVariantList &values, StoreError *error) const
{
    QList<Question> list;
    if (!readQuestions(
            QuestionParts::All, keys, values, true, [&](const QuestionRow &row) { list.append(row.question()); },
            error))
        return std::nullopt;
    return list;
}

std::optional<QList<QuestionFlags>> BankModel::questionFlags(StoreError *error) const
{
    QList<QuestionFlags> list;
    const bool read = forEachQuestion(
        QuestionParts::Flags,
        [&list](const QuestionRow &row) {
            QuestionFlags q;
            q.code = row.code();
            q.numero = row.numero();
            for (int s = 0; s < kSpecialityCount; ++s)
                q.flags[size_t(s)] = row.flag(s);
            list.append(q);
        },
        error);
    if (!read)
        return std::nullopt;
    return list;
}

std::optional<QList<Question>> BankModel::questions(StoreError *error) const
{
    return questionList({}, {}, error);
}

std::optional<QList<Question>> BankModel::domainQuestions(const QString &code, StoreError *error) const
{
    return questionList({QStringLiteral("Code")}, {code}, error);
}

namespace {

std::optional<Question> firstOf(std::optional<QList<Question>> &&found)
{
    if (!found || found->isEmpty())
        return std::nullopt;
    return found->takeFirst();
}

} // namespace

std::optional<Question> BankModel::question(const QString &code, qint64 numero, StoreError *error) const
{
    return firstOf(questionList({QStringLiteral("Code"), QStringLiteral("Numero")}, {code, numero}, error));
}

std::optional<Question> BankModel::questionWithStatement(
    const QString &code, qint64 numero, const QString &statement, StoreError *error) const
{
    return firstOf(questionList({QStringLiteral("Code"), QStringLiteral("Numero"), QStringLiteral("Libellé")},
        {code, numero, statement}, error));
}

std::optional<Question> BankModel::currentQuestion(const DataBinding &binding, StoreError *error) const
{
    // The binding's key names a row of its own file and table only.
    const std::optional<qint64> rowId = binding.currentRowId();
    if (!rowId || !m_connection || binding.connection() != m_connection
        || binding.tableName().compare(kQuestions, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return firstOf(questionList({kRowId}, {*rowId}, error));
}

std::optional<bool> BankModel::hasSpecialityFlags(StoreError *error) const
{
    StoreError e;
    const TableInfo *t = table(kQuestions, &e);
    if (!t)
        return failed<bool>(error, e);
    return !FieldList::of(*t, flagFields()).error;
}

std::optional<qint64> BankModel::questionCount(const QString &code, StoreError *error) const
{
    StoreError e;
    const TableInfo *t = table(kQuestions, &e);
    if (!t)
        return failed<qint64>(error, e);
    const FieldList fields = FieldList::of(*t, {QStringLiteral("Code")});
    if (fields.error)
        return failed<qint64>(error, fields.error);
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(quotedIdentifier(t->name), fields.equalTo(1)), &e);
    if (!st)
        return failed<qint64>(error, e);
    st->bind(1, code);
    qint64 n = 0;
    if (!readAll(
            *m_connection, *st, [&] { n = st->columnInt64(0); }, error))
        return std::nullopt;
    return n;
}

std::optional<std::optional<QVariant>> BankModel::lastNumero(const QString &code, StoreError *error) const
{
    StoreError e;
    const TableInfo *t = table(kQuestions, &e);
    if (!t)
        return failed<std::optional<QVariant>>(error, e);
    const FieldList fields = FieldList::of(*t, {QStringLiteral("Code"), QStringLiteral("Numero")});
    if (fields.error)
        return failed<std::optional<QVariant>>(error, fields.error);
    // Descending puts Nulls last, where the domain's ascending order puts
    // them first: the same row either way.
    SqliteStatement *st
        = m_connection->statement(QStringLiteral("SELECT %3 FROM %1 WHERE %2 ORDER BY %3 DESC LIMIT 1")
                                      .arg(quotedIdentifier(t->name), fields.equalTo(1), fields.sql.at(1)),
            &e);
    if (!st)
        return failed<std::optional<QVariant>>(error, e);
    st->bind(1, code);
    std::optional<QVariant> last;
    if (!readAll(
            *m_connection, *st, [&] { last = st->column(0); }, error))
        return std::nullopt;
    return last;
}

std::optional<QStringList> BankModel::questionnaireNames(StoreError *error) const
{
    StoreError e;
    const TableInfo *t = table(kQcm, &e);
    if (!t)
        return failed<QStringList>(error, e);
    const FieldList fields = FieldList::of(*t, {QStringLiteral("NomQCM")});
    if (fields.error)
        return failed<QStringList>(error, fields.error);
    SqliteStatement *st
        = m_connection->statement(QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL ORDER BY %1")
                                      .arg(fields.sql.at(0), quotedIdentifier(t->name)),
            &e);
    if (!st)
        return failed<QStringList>(error, e);
    QStringList names;
    if (!readAll(
            *m_connection, *st, [&] { names << st->column(0).toString(); }, error))
        return std::nullopt;
    return names;
}

std::optional<QList<StoredQuestionnaire>> BankModel::readQuestionnaires(
    const std::optional<QString> &name, StoreError *error) const
{
    using Result = QList<StoredQuestionnaire>;
    StoreError e;
    const TableInfo *t = table(kQcm, &e);
    if (!t)
        return failed<Result>(error, e);
    const FieldList fields = FieldList::of(*t, qcmFields(), boxFields());
    if (fields.error)
        return failed<Result>(error, fields.error);
    const QString nameColumn = fields.sql.at(0), qcm = quotedIdentifier(t->name);
    // Which names are one is the file's own rule (its collation): rows sorted
    // by name are one questionnaire while the file finds the name equal to
    // the previous row's.
    SqliteStatement *st = m_connection->statement(name
            ? QStringLiteral("SELECT %1, 1 FROM %2 WHERE %3 = ? ORDER BY rowid")
                  .arg(fields.selectList(), qcm, nameColumn)
            : QStringLiteral("SELECT %1, %3 IS lag(%3) OVER (ORDER BY %3, rowid) FROM %2 WHERE %3 IS NOT NULL "
                             "ORDER BY %3, rowid")
                  .arg(fields.selectList(), qcm, nameColumn),
        &e);
    if (!st)
        return failed<Result>(error, e);
    if (name)
        st->bind(1, *name);
    Result result;
    const int boxes = int(qcmFields().size()), sameName = boxes + kSpecialityCount;
    const bool read = readAll(
        *m_connection, *st,
        [&] {
            QcmRow row;
            row.nomQcm = st->column(0).toString();
            row.dateMaj = st->column(1).toString();
            row.code = st->column(2).toString();
            row.numero = st->columnInt64(3);
            row.libelle = st->column(4).toString();
            const QVariant title = st->column(5);
            row.specialite = title.toString();
            for (int i = 0; i < kChoiceCount; ++i) {
                row.lib[size_t(i)] = st->column(kQcmChoices + 2 * i).toString();
                row.val[size_t(i)] = pointsValue(st->column(kQcmChoices + 2 * i + 1));
            }
            for (int s = 0; s < kSpecialityCount; ++s)
                row.spe[size_t(s)] = st->columnInt64(boxes + s) != 0 ? 1 : 0;
            if (result.isEmpty() || st->columnInt64(sameName) == 0) {
                StoredQuestionnaire q;
                q.name = row.nomQcm;
                q.boxes = row.spe;
                result.append(q);
            }
            // What every row repeats is taken from the first row that holds it.
            StoredQuestionnaire &q = result.last();
            if (q.date.isEmpty())
                q.date = row.dateMaj;
            if (q.speciality.isEmpty())
                q.speciality = row.specialite;
            q.hasSpeciality = q.hasSpeciality || !title.isNull();
            q.rows.append(row);
        },
        error);
    if (!read)
        return std::nullopt;

    // Rows written before a title was known take it from the table
    // Spécialité; an older file without that table simply has none.
    const TableInfo *spe = m_connection->table(kSpecialite, nullptr);
    if (!spe)
        return result;
    const FieldList speFields = FieldList::of(*spe, {kSpecialite, QStringLiteral("NomQCM")});
    if (speFields.error)
        return result;
    SqliteStatement *find
        = m_connection->statement(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                      .arg(speFields.sql.at(0), quotedIdentifier(spe->name), speFields.sql.at(1)),
            nullptr);
    for (StoredQuestionnaire &q : result) {
        if (!find || !q.speciality.isEmpty())
            continue;
        find->reset();
        find->bind(1, q.name);
        if (find->step() && !find->columnIsNull(0)) {
            q.speciality = find->column(0).toString();
            q.hasSpeciality = true;
        }
    }
    if (find)
        find->reset();
    return result;
}

std::optional<StoredQuestionnaire> BankModel::questionnaire(const QString &name, StoreError *error) const
{
    auto found = readQuestionnaires(name, error);
    if (!found || found->isEmpty())
        return std::nullopt;
    return found->takeFirst();
}

std::optional<QList<StoredQuestionnaire>> BankModel::questionnaires(StoreError *error) const
{
    return readQuestionnaires(std::nullopt, error);
}

// ---- Writing ----------------------------------------------------------------

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
        const TableInfo *t = table(kDomaines, &e);
        if (!t)
            return e;
        const FieldList fields = FieldList::of(*t, {QStringLiteral("Code"), QStringLiteral("Libellé")});
        if (fields.error)
            return fields.error;
        const QString domaines = quotedIdentifier(t->name);
        for (const Domain &d : domains) {
            SqliteStatement *find = m_connection->statement(
                QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(domaines, fields.equalTo(1)), &e);
            if (!find)
                return e;
            find->bind(1, d.code);
            bool present = false;
            if (!readAll(
                    *m_connection, *find, [&] { present = true; }, &e))
                return e;
            if (present)
                continue;
            if (!run(*m_connection,
                    QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                        .arg(domaines, fields.sql.at(0), fields.sql.at(1)),
                    {d.code, d.libelle}, &e))
                return e;
            ++done.domainsAdded;
        }
    }
    if (!questions.isEmpty()) {
        // The statements are built once for the whole batch: an import writes
        // tens of thousands of questions.
        const TableInfo *t = table(kQuestions, &e);
        if (!t)
            return e;
        const FieldList fields = FieldList::of(*t,
            QStringList{QStringLiteral("Code"), QStringLiteral("Numero"), QStringLiteral("Libellé")}
                + choiceFields(QStringLiteral("Val")),
            flagFields());
        if (fields.error)
            return fields.error;
        const QString table = quotedIdentifier(t->name);
        const QString key = fields.equalTo(2);
        QStringList sets, names;
        QList<qsizetype> present; // the fields the table has, by their place in the values
        for (qsizetype i = 0; i < fields.sql.size(); ++i)
            if (!fields.sql.at(i).isEmpty()) {
                present << i;
                names << fields.sql.at(i);
                if (i >= 2)
                    sets << fields.sql.at(i) + QStringLiteral(" = ?");
            }
        const QString find = QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(table, key);
        const QString update
            = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, sets.join(QStringLiteral(", ")), key);
        const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(table, names.join(QStringLiteral(", ")),
                                       QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
        for (const Question &q : questions) {
            // Values in the order of the fields, the key first.
            QVariantList values{q.code, q.numero, storedText(q.libelle)};
            for (int i = 0; i < kChoiceCount; ++i)
                values << storedText(q.lib[size_t(i)]) << q.storedVal(i);
            for (int k = 0; k < kSpecialityCount; ++k)
                values << q.flags[size_t(k)];
            if (existing == ExistingQuestions::Keep) {
                SqliteStatement *st = m_connection->statement(find, &e);
                if (!st)
                    return e;
                st->bindAll({q.code, q.numero});
                bool stored = false;
                if (!readAll(
                        *m_connection, *st, [&] { stored = true; }, &e))
                    return e;
                if (stored) {
                    ++done.questionsKept;
                    continue;
                }
            } else {
                QVariantList setValues;
                for (qsizetype i : std::as_const(present))
                    if (i >= 2)
                        setValues << values.at(i);
                int changed = 0;
                if (!run(*m_connection, update, setValues + QVariantList{q.code, q.numero}, &e, &changed))
                    return e;
                if (changed > 0) {
                    ++done.questionsReplaced;
                    continue;
                }
            }
            QVariantList insertValues;
            for (qsizetype i : std::as_const(present))
                insertValues << values.at(i);
            if (!run(*m_connection, insert, insertValues, &e))
                return e;
            ++done.questionsAdded;
        }
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
    const TableInfo *t = table(kQcm, &e);
    if (!t)
        return e;
    const QStringList needed = qcmFields();
    const FieldList fields = FieldList::of(*t, needed, boxFields());
    if (fields.error)
        return fields.error;
    const QString qcm = quotedIdentifier(t->name);

    if (!run(*m_connection, QStringLiteral("DELETE FROM %1 WHERE %2").arg(qcm, fields.equalTo(1)), {questionnaire.name},
            &e))
        return e;
    QStringList names;
    for (const QString &c : fields.sql)
        if (!c.isEmpty())
            names << c;
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(qcm, names.join(QStringLiteral(", ")),
                                   QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    const QVariant title = questionnaire.hasSpeciality ? QVariant(questionnaire.speciality) : QVariant();
    for (const QcmRow &row : questionnaire.rows) {
        QVariantList values{
            questionnaire.name, questionnaire.date, row.code, row.numero, storedText(row.libelle), title};
        for (int i = 0; i < kChoiceCount; ++i)
            values << storedText(row.lib[size_t(i)]) << pointsOrNull(row.val[size_t(i)]);
        for (int s = 0; s < kSpecialityCount; ++s)
            if (!fields.sql.at(needed.size() + s).isEmpty())
                values << questionnaire.boxes[size_t(s)];
        if (!run(*m_connection, insert, values, &e))
            return e;
    }
    const TableInfo *spe = table(kSpecialite, &e);
    if (!spe)
        return e;
    const FieldList speFields = FieldList::of(*spe, {QStringLiteral("NomQCM"), kSpecialite});
    if (speFields.error)
        return speFields.error;
    const QString speTable = quotedIdentifier(spe->name);
    if (!run(*m_connection, QStringLiteral("DELETE FROM %1 WHERE %2").arg(speTable, speFields.equalTo(1)),
            {questionnaire.name}, &e))
        return e;
    if (questionnaire.hasSpeciality
        && !run(*m_connection,
            QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                .arg(speTable, speFields.sql.at(0), speFields.sql.at(1)),
            {questionnaire.name, questionnaire.speciality}, &e))
        return e;
    if (!transaction.commit())
        return transaction.error();
    return {};
}

StoreError BankModel::removeQuestion(const QString &code, qint64 numero, bool *removed)
{
    if (removed)
        *removed = false;
    StoreError e;
    const TableInfo *t = table(kQuestions, &e);
    if (!t)
        return e;
    const FieldList fields = FieldList::of(*t, {QStringLiteral("Code"), QStringLiteral("Numero")});
    if (fields.error)
        return fields.error;
    int changed = 0;
    if (!run(*m_connection, QStringLiteral("DELETE FROM %1 WHERE %2").arg(quotedIdentifier(t->name), fields.equalTo(2)),
            {code, numero}, &e, &changed))
        return e;
    if (removed)
        *removed = changed > 0;
    return {};
}

} // namespace qcm
