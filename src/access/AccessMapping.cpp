#include "AccessMapping.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <cmath>

namespace qcm {

namespace {

const QString kQuestions = QStringLiteral("Questions");
const QString kDomaines = QStringLiteral("Domaines");
const QString kQcm = QStringLiteral("QCM");
const QString kSpecialite = QStringLiteral("Spécialité");
const QString kSessions = QStringLiteral("Sessions");
const QString kExamen = QStringLiteral("Examen");

using Kind = ConversionNote::Kind;

// Access matches texts without regard to letter case, accents' case
// included: rows it took for one question or one questionnaire stay one.
QString folded(const QString &text)
{
    return text.toCaseFolded();
}

QString quoted(const QString &name)
{
    return QStringLiteral("« %1 »").arg(name);
}

// "« A »", "« A » et « B »", "« A », « B » et « C »".
QString quotedList(const QStringList &names)
{
    QStringList q;
    for (const QString &n : names)
        q << quoted(n);
    const QString last = q.isEmpty() ? QString() : q.takeLast();
    return q.isEmpty() ? last : q.join(QStringLiteral(", ")) + QStringLiteral(" et ") + last;
}

// "le champ « A »" or "les champs « A », « B »".
QString fieldsPhrase(const QStringList &names)
{
    return (names.size() > 1 ? QStringLiteral("les champs ") : QStringLiteral("le champ ")) + quotedList(names);
}

// The columns of a table, found by name without regard to letter case.
class Fields {
public:
    explicit Fields(const QStringList &columns)
    {
        for (int i = 0; i < columns.size(); ++i)
            if (!m_index.contains(columns.at(i).toCaseFolded()))
                m_index.insert(columns.at(i).toCaseFolded(), i);
    }
    int at(const QString &name) const { return m_index.value(name.toCaseFolded(), -1); }
    QStringList missing(const QStringList &names) const
    {
        QStringList absent;
        for (const QString &n : names)
            if (at(n) < 0)
                absent << n;
        return absent;
    }

private:
    QHash<QString, int> m_index;
};

QVariant valueAt(const QVariantList &row, int column)
{
    return column >= 0 && column < row.size() ? row.at(column) : QVariant();
}

QString textOf(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::QByteArray:
        return {};
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return v.toString();
    }
}

// A whole number stored as a number, or as a text the way the editor reads
// its fields (blanks around and a sign allowed); nothing for anything else.
std::optional<qint64> wholeOf(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::SChar:
        return v.toLongLong();
    case QMetaType::ULongLong: {
        bool ok = false;
        const qint64 n = v.toLongLong(&ok);
        return ok ? std::optional<qint64>(n) : std::nullopt;
    }
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e15)
            return qint64(d);
        return std::nullopt;
    }
    case QMetaType::QString: {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok, 10);
        return ok ? std::optional<qint64>(n) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

bool isBlank(const QVariant &v)
{
    return !v.isValid() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty());
}

// How a stored value is shown in a note.
QString shown(const QVariant &v)
{
    if (v.typeId() == QMetaType::QString)
        return quoted(v.toString());
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("Oui") : QStringLiteral("Non");
    return textOf(v);
}

QString excerpt(const QString &text)
{
    const QString t = text.simplified();
    return t.size() > 50 ? t.left(49) + QChar(0x2026) : t;
}

QString questionSubject(const QString &code, const QString &numero, const QString &statement)
{
    QString s = QStringLiteral("Question %1/%2")
                    .arg(code.isEmpty() ? QStringLiteral("?") : code, numero.isEmpty() ? QStringLiteral("?") : numero);
    if (!statement.trimmed().isEmpty())
        s += u' ' + quoted(excerpt(statement));
    return s;
}

QChar choiceLetter(int k)
{
    return QChar(u'A' + k);
}

QString flagField(int s)
{
    return QString::fromLatin1(specialityInfo(Speciality(s)).flagField);
}

class Converter {
public:
    explicit Converter(TableSource &source) : m_source(source) { m_bank.tables = source.tableNames(); }

    std::optional<ConvertedBank> run(QString *refusal);
    bool readFailed() const { return m_readFailed; }

private:
    // The table's name as the file spells it; empty when it has none.
    QString table(const QString &wanted) const
    {
        for (const QString &t : m_bank.tables)
            if (t.compare(wanted, Qt::CaseInsensitive) == 0)
                return t;
        return {};
    }
    std::optional<Fields> fields(const QString &table, QString *refusal)
    {
        QString why;
        const std::optional<QStringList> columns = m_source.columns(table, &why);
        if (!columns) {
            *refusal = why;
            m_readFailed = true;
            return std::nullopt;
        }
        return Fields(*columns);
    }
    bool rows(const QString &table, const TableSource::RowVisitor &visit, QString *refusal);
    void note(Kind kind, const QString &subject, const QString &text) { m_bank.notes.append({kind, subject, text}); }
    // Returns whether something was said about the value.
    bool points(const QVariant &stored, int choice, const QString &subject, std::optional<qint64> &out);
    int flag(const QVariant &stored, const QString &field, const QString &subject);

    bool readDomains(const QString &name, const Fields &f, QString *refusal);
    bool readQuestions(const QString &name, const Fields &f, QString *refusal);
    bool readQuestionnaires(QString *refusal);
    bool readTitles(QString *refusal);
    void noteUnusedTables();

    TableSource &m_source;
    ConvertedBank m_bank;
    bool m_readFailed = false;
};

bool Converter::rows(const QString &table, const TableSource::RowVisitor &visit, QString *refusal)
{
    qint64 count = 0;
    QString why;
    if (!m_source.readRows(
            table,
            [&](const QVariantList &row) {
                ++count;
                visit(row);
            },
            &why)) {
        *refusal = why;
        m_readFailed = true;
        return false;
    }
    // Rows the library could not read are skipped without a word: the count
    // the file keeps tells them.
    if (const std::optional<qint64> declared = m_source.declaredRowCount(table); declared && count < *declared)
        note(Kind::Refused, QStringLiteral("Table ") + quoted(table),
            QStringLiteral("elle annonce %1 lignes, mais %2 seulement ont pu être lues : les autres sont sans doute "
                           "abîmées.")
                .arg(*declared)
                .arg(count));
    return true;
}

// A points value as the editor reads its field: a whole number is kept
// whatever its size (the points check then shows what is out of range), an
// empty one means no points, anything else leaves the choice without points.
bool Converter::points(const QVariant &stored, int choice, const QString &subject, std::optional<qint64> &out)
{
    out.reset();
    if (isBlank(stored))
        return false;
    const std::optional<qint64> n = stored.typeId() == QMetaType::Bool ? std::nullopt : wholeOf(stored);
    if (!n) {
        note(Kind::Refused, subject,
            QStringLiteral("les points de la réponse %1 (%2) ne sont pas un nombre entier : la réponse est reprise "
                           "sans points.")
                .arg(choiceLetter(choice))
                .arg(shown(stored)));
        return true;
    }
    out = *n;
    if (*n >= -6 && *n <= 6)
        return false;
    note(Kind::ToCheck, subject,
        QStringLiteral("les points de la réponse %1 (%2) sortent de -6 à 6 : repris tels quels, à corriger dans la "
                       "saisie.")
            .arg(choiceLetter(choice))
            .arg(*n));
    return true;
}

// A speciality flag or box: 1 when ticked (Access's Yes is -1), Null and
// empty read as 0.
int Converter::flag(const QVariant &stored, const QString &field, const QString &subject)
{
    if (isBlank(stored))
        return 0;
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool() ? 1 : 0;
    if (const std::optional<qint64> n = wholeOf(stored))
        return *n != 0 ? 1 : 0;
    note(Kind::Defaulted, subject,
        QStringLiteral("la valeur %1 du champ %2 n'est pas un nombre : lue comme 0 (non cochée).")
            .arg(shown(stored), quoted(field)));
    return 0;
}

bool Converter::readDomains(const QString &name, const Fields &f, QString *refusal)
{
    const int code = f.at(QStringLiteral("Code")), title = f.at(QStringLiteral("Libellé"));
    return rows(
        name,
        [&](const QVariantList &row) {
            const Domain d{textOf(valueAt(row, code)), textOf(valueAt(row, title))};
            const QString subject = QStringLiteral("Domaine %1").arg(d.code.isEmpty() ? QStringLiteral("?") : d.code)
                + (d.libelle.trimmed().isEmpty() ? QString() : u' ' + quoted(excerpt(d.libelle)));
            if (d.code.isEmpty()) {
                note(Kind::Refused, subject, QStringLiteral("sans code : non repris."));
                return;
            }
            if (const int first = domainPosition(m_bank.domains, d.code); first >= 0) {
                note(Kind::Refused, subject,
                    QStringLiteral("ce code est déjà celui du domaine %1 : seul le premier est repris.")
                        .arg(quoted(m_bank.domains.at(first).libelle)));
                return;
            }
            if (d.libelle.isEmpty())
                note(Kind::Defaulted, subject, QStringLiteral("sans titre : repris avec un titre vide."));
            m_bank.domains.append(d);
        },
        refusal);
}

bool Converter::readQuestions(const QString &name, const Fields &f, QString *refusal)
{
    const int code = f.at(QStringLiteral("Code")), numero = f.at(QStringLiteral("Numero")),
              statement = f.at(QStringLiteral("Libellé"));
    std::array<int, kChoiceCount> text{}, value{};
    for (int k = 0; k < kChoiceCount; ++k) {
        text[size_t(k)] = f.at(QStringLiteral("lib%1").arg(k));
        value[size_t(k)] = f.at(QStringLiteral("Val%1").arg(k));
    }
    std::array<int, kSpecialityCount> flags{};
    QStringList absentFlags, absentCaptions;
    for (int s = 0; s < kSpecialityCount; ++s) {
        flags[size_t(s)] = f.at(flagField(s));
        if (flags[size_t(s)] < 0) {
            absentFlags << flagField(s);
            absentCaptions << quoted(specialityInfo(Speciality(s)).caption);
        }
    }
    if (!absentFlags.isEmpty())
        note(Kind::Defaulted, QStringLiteral("Table ") + quoted(name),
            QStringLiteral("il lui manque %1 : aucune question n'y est marquée %2.")
                .arg(fieldsPhrase(absentFlags), absentCaptions.join(QStringLiteral(", "))));

    QSet<QString> keys;
    return rows(
        name,
        [&](const QVariantList &row) {
            Question q;
            q.code = textOf(valueAt(row, code));
            q.libelle = textOf(valueAt(row, statement));
            const QVariant storedNumber = valueAt(row, numero);
            const std::optional<qint64> n = wholeOf(storedNumber);
            const QString subject = questionSubject(q.code, n ? QString::number(*n) : textOf(storedNumber), q.libelle);
            if (q.code.isEmpty()) {
                note(Kind::Refused, subject, QStringLiteral("sans code de domaine : non reprise."));
                return;
            }
            if (!n) {
                note(Kind::Refused, subject,
                    isBlank(storedNumber) ? QStringLiteral("sans numéro : non reprise.")
                                          : QStringLiteral("son numéro %1 n'est pas un nombre entier : non reprise.")
                                                .arg(shown(storedNumber)));
                return;
            }
            q.numero = *n;
            const QString key = folded(q.code) + QChar(0x1f) + QString::number(q.numero);
            if (keys.contains(key)) {
                note(Kind::Refused, subject,
                    QStringLiteral("même domaine et même numéro qu'une question déjà reprise : seule la première "
                                   "l'est."));
                return;
            }
            keys.insert(key);
            if (q.libelle.isEmpty())
                note(Kind::Defaulted, subject,
                    QStringLiteral("sans énoncé : reprise avec un énoncé vide, à compléter dans la saisie."));
            bool pointsSaid = false;
            for (int k = 0; k < kChoiceCount; ++k) {
                q.lib[size_t(k)] = textOf(valueAt(row, text[size_t(k)]));
                pointsSaid |= points(valueAt(row, value[size_t(k)]), k, subject, q.val[size_t(k)]);
            }
            for (int s = 0; s < kSpecialityCount; ++s)
                q.flags[size_t(s)] = flag(valueAt(row, flags[size_t(s)]), flagField(s), subject);
            // The rules of the points are said once, unless a value already was.
            if (QString why = pointsRuleViolation(q); !why.isEmpty() && !pointsSaid) {
                why[0] = why[0].toLower();
                note(Kind::ToCheck, subject, QStringLiteral("points à vérifier : %1").arg(why));
            }
            m_bank.questions.append(q);
        },
        refusal);
}

bool Converter::readQuestionnaires(QString *refusal)
{
    const QString name = table(kQcm);
    if (name.isEmpty())
        return true;
    const std::optional<Fields> f = fields(name, refusal);
    if (!f)
        return false;
    const QString subjectOfTable = QStringLiteral("Table ") + quoted(name);
    if (const QStringList absent
        = f->missing({QStringLiteral("NomQCM"), QStringLiteral("Code"), QStringLiteral("Numero")});
        !absent.isEmpty()) {
        note(Kind::LeftOut, subjectOfTable,
            QStringLiteral("il lui manque %1 : ses questionnaires ne sont pas repris.").arg(fieldsPhrase(absent)));
        return true;
    }
    QStringList optional{QStringLiteral("DateMAJ"), QStringLiteral("Libellé")};
    for (int k = 0; k < kChoiceCount; ++k)
        optional << QStringLiteral("lib%1").arg(k) << QStringLiteral("val%1").arg(k);
    optional << kSpecialite;
    for (int s = 0; s < kSpecialityCount; ++s)
        optional << QStringLiteral("Spé%1").arg(s);
    if (const QStringList absent = f->missing(optional); !absent.isEmpty())
        note(Kind::Defaulted, subjectOfTable,
            QStringLiteral("il lui manque %1 : laissés vides dans les questionnaires repris.")
                .arg(fieldsPhrase(absent)));

    QHash<QString, qsizetype> byName;
    return rows(
        name,
        [&](const QVariantList &row) {
            const auto at = [&](const QString &field) { return valueAt(row, f->at(field)); };
            QcmRow r;
            r.nomQcm = textOf(at(QStringLiteral("NomQCM")));
            r.code = textOf(at(QStringLiteral("Code")));
            r.libelle = textOf(at(QStringLiteral("Libellé")));
            const QVariant storedNumber = at(QStringLiteral("Numero"));
            const std::optional<qint64> n = wholeOf(storedNumber);
            const QString numberText = n ? QString::number(*n) : textOf(storedNumber);
            if (r.nomQcm.isEmpty()) {
                note(Kind::Refused, questionSubject(r.code, numberText, r.libelle),
                    QStringLiteral("ligne de la table %1 sans nom de questionnaire : non reprise.").arg(quoted(name)));
                return;
            }
            const QString subject = QStringLiteral("Questionnaire %1, question %2/%3")
                                        .arg(quoted(r.nomQcm), r.code.isEmpty() ? QStringLiteral("?") : r.code,
                                            numberText.isEmpty() ? QStringLiteral("?") : numberText);
            if (!n) {
                note(Kind::Refused, subject, QStringLiteral("numéro de question illisible : ligne non reprise."));
                return;
            }
            r.numero = *n;
            const QVariant date = at(QStringLiteral("DateMAJ"));
            r.dateMaj = date.typeId() == QMetaType::QDateTime ? date.toDateTime().toString(QStringLiteral("dd/MM/yyyy"))
                                                              : textOf(date);
            for (int k = 0; k < kChoiceCount; ++k) {
                r.lib[size_t(k)] = textOf(at(QStringLiteral("lib%1").arg(k)));
                points(at(QStringLiteral("val%1").arg(k)), k, subject, r.val[size_t(k)]);
            }
            const QVariant title = at(kSpecialite);
            r.specialite = textOf(title);
            for (int s = 0; s < kSpecialityCount; ++s)
                r.spe[size_t(s)] = flag(at(QStringLiteral("Spé%1").arg(s)), QStringLiteral("Spé%1").arg(s), subject);

            const QString key = folded(r.nomQcm);
            qsizetype index = byName.value(key, -1);
            if (index < 0) {
                index = m_bank.questionnaires.size();
                byName.insert(key, index);
                m_bank.questionnaires.append({r.nomQcm, {}, {}, false, {}, {}});
            }
            // What every row repeats is taken from the last one, as the bank reads it.
            StoredQuestionnaire &q = m_bank.questionnaires[index];
            q.date = r.dateMaj;
            if (title.isValid()) {
                q.speciality = r.specialite;
                q.hasSpeciality = true;
            }
            q.boxes = r.spe;
            q.rows.append(r);
        },
        refusal);
}

// Questionnaires written before their title was known take it from the table Spécialité.
bool Converter::readTitles(QString *refusal)
{
    const QString name = table(kSpecialite);
    if (name.isEmpty())
        return true;
    const std::optional<Fields> f = fields(name, refusal);
    if (!f)
        return false;
    if (const QStringList absent = f->missing({QStringLiteral("NomQCM"), kSpecialite}); !absent.isEmpty()) {
        note(Kind::LeftOut, QStringLiteral("Table ") + quoted(name),
            QStringLiteral("il lui manque %1 : les titres qu'elle seule donne ne sont pas repris.")
                .arg(fieldsPhrase(absent)));
        return true;
    }
    const int nameColumn = f->at(QStringLiteral("NomQCM")), titleColumn = f->at(kSpecialite);
    QHash<QString, QString> titles;
    QStringList order;
    if (!rows(
            name,
            [&](const QVariantList &row) {
                const QString key = folded(textOf(valueAt(row, nameColumn)));
                const QVariant title = valueAt(row, titleColumn);
                if (key.isEmpty() || !title.isValid() || titles.contains(key))
                    return;
                titles.insert(key, textOf(title));
                order << textOf(valueAt(row, nameColumn));
            },
            refusal))
        return false;
    QSet<QString> known;
    for (StoredQuestionnaire &q : m_bank.questionnaires) {
        const QString key = folded(q.name);
        known.insert(key);
        if (q.speciality.isEmpty() && titles.contains(key)) {
            q.speciality = titles.value(key);
            q.hasSpeciality = true;
        }
    }
    for (const QString &orphan : order)
        if (!known.contains(folded(orphan)))
            note(Kind::LeftOut, QStringLiteral("Questionnaire ") + quoted(orphan),
                QStringLiteral("son titre (%1) est noté dans la table %2, mais il n'a aucune question : non repris.")
                    .arg(quoted(titles.value(folded(orphan))), quoted(name)));
    return true;
}

void Converter::noteUnusedTables()
{
    const QStringList known{kQuestions, kDomaines, kQcm, kSpecialite};
    for (const QString &t : m_bank.tables) {
        const QString subject = QStringLiteral("Table ") + quoted(t);
        if (t.compare(kSessions, Qt::CaseInsensitive) == 0 || t.compare(kExamen, Qt::CaseInsensitive) == 0) {
            std::optional<qint64> count = m_source.declaredRowCount(t);
            if (!count) {
                qint64 n = 0;
                QString ignored;
                if (m_source.readRows(
                        t, [&n](const QVariantList &) { ++n; }, &ignored))
                    count = n;
            }
            if (count && *count > 0)
                note(Kind::LeftOut, subject,
                    QStringLiteral("ses lignes (%1) ne sont pas reprises : le programme ne s'en sert pas.")
                        .arg(*count));
            continue;
        }
        if (std::none_of(
                known.begin(), known.end(), [&t](const QString &k) { return t.compare(k, Qt::CaseInsensitive) == 0; }))
            note(Kind::LeftOut, subject, QStringLiteral("inconnue d'une banque de questions : non reprise."));
    }
}

std::optional<ConvertedBank> Converter::run(QString *refusal)
{
    const QString questions = table(kQuestions), domains = table(kDomaines);
    QStringList absent;
    for (const auto &[name, wanted] : {std::pair{questions, kQuestions}, std::pair{domains, kDomaines}})
        if (name.isEmpty())
            absent << wanted;
    if (!absent.isEmpty()) {
        *refusal = QStringLiteral("ce n'est pas une banque de questions : il lui manque %1 %2")
                       .arg(absent.size() > 1 ? QStringLiteral("les tables") : QStringLiteral("la table"),
                           quotedList(absent));
        return std::nullopt;
    }
    for (const QString &t : {kQcm, kSpecialite, kSessions, kExamen})
        if (table(t).isEmpty())
            m_bank.missingTables << t;

    const std::optional<Fields> domainFields = fields(domains, refusal);
    const std::optional<Fields> questionFields = domainFields ? fields(questions, refusal) : std::nullopt;
    if (!questionFields)
        return std::nullopt;
    QStringList needed{QStringLiteral("Code"), QStringLiteral("Numero"), QStringLiteral("Libellé")};
    for (int k = 0; k < kChoiceCount; ++k)
        needed << QStringLiteral("lib%1").arg(k);
    for (int k = 0; k < kChoiceCount; ++k)
        needed << QStringLiteral("Val%1").arg(k);
    for (const auto &[name, f, wanted] :
        {std::tuple{domains, &*domainFields, QStringList{QStringLiteral("Code"), QStringLiteral("Libellé")}},
            std::tuple{questions, &*questionFields, needed}}) {
        if (const QStringList missing = f->missing(wanted); !missing.isEmpty()) {
            *refusal = QStringLiteral("ce n'est pas une banque de questions : il manque à la table %1 %2")
                           .arg(quoted(name), fieldsPhrase(missing));
            return std::nullopt;
        }
    }

    if (!readDomains(domains, *domainFields, refusal) || !readQuestions(questions, *questionFields, refusal))
        return std::nullopt;
    // Questions whose domain the table lacks are kept, and said.
    QList<std::pair<QString, qint64>> orphans;
    for (const Question &q : std::as_const(m_bank.questions)) {
        if (domainPosition(m_bank.domains, q.code) >= 0)
            continue;
        auto it = std::find_if(orphans.begin(), orphans.end(),
            [&q](const auto &o) { return o.first.compare(q.code, Qt::CaseInsensitive) == 0; });
        if (it == orphans.end())
            orphans.append({q.code, 1});
        else
            ++it->second;
    }
    for (const auto &[code, count] : orphans)
        note(Kind::ToCheck, QStringLiteral("Domaine %1").arg(code),
            QStringLiteral("absent de la table %1, alors que %2 question(s) en sont : elles ne paraissent dans aucune "
                           "liste de domaines tant qu'il n'est pas créé dans la saisie.")
                .arg(quoted(domains))
                .arg(count));

    if (!readQuestionnaires(refusal) || !readTitles(refusal))
        return std::nullopt;
    noteUnusedTables();
    return std::move(m_bank);
}

} // namespace

std::optional<ConvertedBank> convertTables(TableSource &source, QString *refusal, bool *unreadable)
{
    QString why;
    Converter converter(source);
    std::optional<ConvertedBank> bank = converter.run(&why);
    if (!bank && refusal)
        *refusal = why;
    if (unreadable)
        *unreadable = !bank && converter.readFailed();
    return bank;
}

} // namespace qcm
