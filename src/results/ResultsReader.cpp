#include "ResultsReader.h"

#include "exam/ExamRecords.h"
#include "exam/ResultsStore.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <vector>

namespace qcm {

namespace {

// ?1 and ?2 the two states that never count, ?3 and ?4 the first and last
// days (null: open). Dates are stored ISO 8601, so their first ten
// characters are the day.
const QString kCounted = QStringLiteral(
    "e.mark IS NOT NULL AND e.state NOT IN (?1, ?2) AND (?3 IS NULL OR substr(e.started_at, 1, 10) >= ?3) "
    "AND (?4 IS NULL OR substr(e.started_at, 1, 10) <= ?4)");

QVariantList countedValues(const DateRange &range)
{
    auto day = [](const QDate &d) { return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant(); };
    return {stateWord(ExamState::InProgress), stateWord(ExamState::Abandoned), day(range.from), day(range.to)};
}

// Runs a statement to its end, handing each row over; false with the error
// when it fails.
template <typename Row>
bool eachRow(Connection &c, const QString &sql, const QVariantList &values, StoreError *error, Row row)
{
    SqliteStatement *st = c.statement(sql, error);
    if (!st)
        return false;
    st->bindAll(values);
    while (st->step())
        row(*st);
    if (!st->error().isEmpty()) {
        setError(error, c.errorOf(*st));
        return false;
    }
    st->reset();
    return true;
}

ExamLine examLine(const SqliteStatement &st)
{
    // Columns: id, uuid, name, paper, started, time used, state, mark, maximum, pass mark.
    ExamLine e;
    e.id = st.columnInt64(0);
    e.uuid = st.column(1).toString();
    e.candidate = st.column(2).toString();
    e.paper = st.column(3).toString();
    e.started = QDateTime::fromString(st.column(4).toString(), Qt::ISODate);
    e.secondsUsed = st.columnInt64(5);
    e.state = st.column(6).toString();
    if (!st.columnIsNull(7))
        e.mark = int(st.columnInt64(7));
    e.maximum = int(st.columnInt64(8));
    e.passMark = int(st.columnInt64(9));
    return e;
}

const QString kExamColumns = QStringLiteral(
    "e.id, e.uuid, c.name, e.paper_name, e.started_at, e.time_used_s, e.state, e.mark, e.maximum, e.pass_mark");

// The few domain codes of a file, found again from the text of a row
// without making a string of it.
class DomainCodes {
public:
    int indexOf(QByteArrayView utf8)
    {
        for (size_t i = 0; i < m_codes.size(); ++i)
            if (m_codes[i] == utf8)
                return int(i);
        m_codes.emplace_back(utf8.toByteArray());
        return int(m_codes.size() - 1);
    }
    QString code(int index) const { return QString::fromUtf8(m_codes[size_t(index)]); }
    int size() const { return int(m_codes.size()); }

private:
    std::vector<QByteArray> m_codes;
};

struct RowPlace {
    qint64 exam = 0;
    qint64 position = 0;
};

void sortWeakestFirst(QList<DomainRate> &domains)
{
    std::stable_sort(
        domains.begin(), domains.end(), [](const DomainRate &a, const DomainRate &b) { return a.rate() < b.rate(); });
}

} // namespace

std::optional<QStringList> ResultsReader::candidates(StoreError *error) const
{
    QStringList names;
    if (!eachRow(*m_connection, QStringLiteral("SELECT name FROM candidates"), {}, error,
            [&](const SqliteStatement &st) { names.append(st.column(0).toString()); }))
        return std::nullopt;
    std::sort(names.begin(), names.end(),
        [](const QString &a, const QString &b) { return QString::localeAwareCompare(a, b) < 0; });
    return names;
}

std::optional<CandidateRecord> ResultsReader::candidate(const QString &name, StoreError *error) const
{
    CandidateRecord record;
    record.name = name;
    if (!eachRow(*m_connection,
            QStringLiteral("SELECT %1, (SELECT count(*) FROM exam_questions q WHERE q.exam_id = e.id) FROM exams e "
                           "JOIN candidates c ON c.id = e.candidate_id WHERE c.name = ? "
                           "ORDER BY e.started_at, e.id")
                .arg(kExamColumns),
            {name}, error, [&](const SqliteStatement &st) {
                ExamLine e = examLine(st);
                e.questions = int(st.columnInt64(10));
                record.exams.append(e);
            }))
        return std::nullopt;

    QList<qint64> recent;
    for (auto it = record.exams.crbegin(); it != record.exams.crend() && recent.size() < kRecentDomainExams; ++it)
        if (it->counts())
            recent.append(it->id);
    if (!recent.isEmpty()) {
        QVariantList ids;
        for (qint64 id : recent)
            ids.append(id);
        if (!eachRow(*m_connection,
                QStringLiteral("SELECT domain_code, max(domain_name), count(*), sum(coalesce(score, 0)) "
                               "FROM exam_questions WHERE exam_id IN (%1) GROUP BY domain_code")
                    .arg(QStringList(recent.size(), QStringLiteral("?")).join(u',')),
                ids, error, [&](const SqliteStatement &st) {
                    record.domains.append(
                        {st.column(0).toString(), st.column(1).toString(), st.columnInt64(2), st.columnInt64(3)});
                }))
            return std::nullopt;
        sortWeakestFirst(record.domains);
    }

    // The statement of the latest sitting, through SQLite's rule that bare
    // columns come from the row where max() was found.
    QVariantList values = countedValues({});
    values.append(name);
    if (!eachRow(*m_connection,
            QStringLiteral("SELECT q.domain_code, q.numero, count(*), sum(coalesce(q.score, 0) < %1), "
                           "max(e.started_at), q.statement FROM exams e JOIN candidates c ON c.id = e.candidate_id "
                           "JOIN exam_questions q ON q.exam_id = e.id WHERE %2 AND c.name = ?5 "
                           "GROUP BY q.domain_code, q.numero HAVING sum(coalesce(q.score, 0) < %1) > 0")
                .arg(kPointsPerQuestion)
                .arg(kCounted),
            values, error, [&](const SqliteStatement &st) {
                record.missed.append({st.column(0).toString(), st.columnInt64(1), st.column(5).toString(),
                    int(st.columnInt64(2)), int(st.columnInt64(3))});
            }))
        return std::nullopt;
    std::stable_sort(record.missed.begin(), record.missed.end(), [](const MissedQuestion &a, const MissedQuestion &b) {
        if (a.missed != b.missed)
            return a.missed > b.missed;
        return a.missed * b.sat > b.missed * a.sat;
    });
    return record;
}

// The answers of the exams counted, compactly: each answer names its
// question by an index into `questions`.
struct ResultsReader::Answers {
    struct Exam {
        qint64 id = 0;
        QDate day;
        double percent = 0;
        std::vector<quint32> question; // per answer
        std::vector<qint16> position;
        std::vector<qint8> score;
        bool gone = false;
    };
    struct Question {
        int domain = 0;
        qint64 numero = 0;
    };
    DataVersion version;
    bool loaded = false;
    std::vector<Exam> exams;
    QHash<qint64, size_t> examById;
    DomainCodes codes;
    std::vector<Question> questions;
    QHash<qint64, quint32> questionByKey;

    quint32 questionOf(QByteArrayView code, qint64 numero)
    {
        const int d = codes.indexOf(code);
        const qint64 key = (qint64(d) << 40) ^ numero;
        auto it = questionByKey.constFind(key);
        if (it != questionByKey.constEnd())
            return *it;
        questions.push_back({d, numero});
        return questionByKey.insert(key, quint32(questions.size() - 1)).value();
    }
};

ResultsReader::ResultsReader(std::shared_ptr<Connection> connection)
    : m_connection(std::move(connection)), m_answers(std::make_unique<Answers>())
{
}

ResultsReader::~ResultsReader() = default;

bool ResultsReader::syncAnswers(StoreError *error) const
{
    Answers &a = *m_answers;
    const DataVersion now = m_connection->version();
    if (a.loaded && now == a.version)
        return true;
    struct Counted {
        qint64 id;
        QDate day;
        double percent;
    };
    std::vector<Counted> counted;
    if (!eachRow(*m_connection,
            QStringLiteral("SELECT e.id, substr(e.started_at, 1, 10), e.mark * 100.0 / max(e.maximum, 1) FROM exams e "
                           "WHERE %1")
                .arg(kCounted),
            countedValues({}), error, [&](const SqliteStatement &st) {
                counted.push_back({st.columnInt64(0), QDate::fromString(st.column(1).toString(), Qt::ISODate),
                    st.column(2).toDouble()});
            }))
        return false;
    QSet<qint64> present;
    for (const Counted &c : counted)
        present.insert(c.id);
    for (Answers::Exam &e : a.exams)
        e.gone = !present.contains(e.id);
    for (const Counted &c : counted) {
        if (a.examById.contains(c.id))
            continue;
        Answers::Exam exam{c.id, c.day, c.percent, {}, {}, {}, false};
        if (!eachRow(*m_connection,
                QStringLiteral("SELECT domain_code, numero, coalesce(score, 0), position FROM exam_questions "
                               "WHERE exam_id = ?"),
                {c.id}, error, [&](const SqliteStatement &st) {
                    exam.question.push_back(a.questionOf(st.columnUtf8(0), st.columnInt64(1)));
                    exam.score.push_back(qint8(std::clamp<qint64>(st.columnInt64(2), -128, 127)));
                    exam.position.push_back(qint16(st.columnInt64(3)));
                }))
            return false;
        a.examById.insert(c.id, a.exams.size());
        a.exams.push_back(std::move(exam));
    }
    a.version = now;
    a.loaded = true;
    return true;
}

std::optional<ClassView> ResultsReader::classView(const DateRange &range, StoreError *error) const
{
    const std::optional<QStringList> names = candidates(error);
    if (!names)
        return std::nullopt;
    QHash<QString, QList<ExamLine>> exams;
    if (!eachRow(*m_connection,
            QStringLiteral("SELECT %1 FROM exams e JOIN candidates c ON c.id = e.candidate_id WHERE %2 "
                           "ORDER BY e.candidate_id, e.started_at, e.id")
                .arg(kExamColumns, kCounted),
            countedValues(range), error, [&](const SqliteStatement &st) {
                ExamLine e = examLine(st);
                exams[e.candidate].append(e);
            }))
        return std::nullopt;
    ClassView view;
    for (const QString &name : *names)
        view.candidates.append(classLine(name, exams.value(name)));

    if (!syncAnswers(error))
        return std::nullopt;
    const Answers &a = *m_answers;
    std::vector<DomainRate> sums(size_t(a.codes.size()));
    std::vector<RowPlace> named(sums.size());
    for (const Answers::Exam &e : a.exams) {
        if (e.gone || !range.contains(e.day))
            continue;
        for (size_t i = 0; i < e.question.size(); ++i) {
            const size_t d = size_t(a.questions[e.question[i]].domain);
            if (!sums[d].answers)
                named[d] = {e.id, e.position[i]};
            ++sums[d].answers;
            sums[d].points += e.score[i];
        }
    }
    for (size_t d = 0; d < sums.size(); ++d) {
        if (!sums[d].answers)
            continue;
        sums[d].code = a.codes.code(int(d));
        if (!eachRow(*m_connection,
                QStringLiteral("SELECT domain_name FROM exam_questions WHERE exam_id = ? AND position = ?"),
                {named[d].exam, named[d].position}, error,
                [&](const SqliteStatement &st) { sums[d].name = st.column(0).toString(); }))
            return std::nullopt;
        view.domains.append(sums[d]);
    }
    sortWeakestFirst(view.domains);
    return view;
}

std::optional<QList<ItemLine>> ResultsReader::items(const DateRange &range, StoreError *error) const
{
    if (!syncAnswers(error))
        return std::nullopt;
    const Answers &a = *m_answers;
    std::vector<std::vector<Sitting>> sittings(a.questions.size());
    std::vector<RowPlace> last(a.questions.size());
    std::vector<qsizetype> counts(a.questions.size());
    for (const Answers::Exam &e : a.exams)
        if (!e.gone && range.contains(e.day))
            for (quint32 q : e.question)
                ++counts[q];
    for (size_t q = 0; q < counts.size(); ++q)
        if (counts[q] >= kMinimumSittings)
            sittings[q].reserve(size_t(counts[q]));
    // The exams from the best percent down: every question's sittings then
    // come ranked, with nothing left to sort.
    std::vector<const Answers::Exam *> ranked;
    ranked.reserve(a.exams.size());
    for (const Answers::Exam &e : a.exams)
        if (!e.gone && range.contains(e.day))
            ranked.push_back(&e);
    std::stable_sort(ranked.begin(), ranked.end(),
        [](const Answers::Exam *x, const Answers::Exam *y) { return x->percent > y->percent; });
    for (const Answers::Exam *exam : ranked) {
        const Answers::Exam &e = *exam;
        for (size_t i = 0; i < e.question.size(); ++i) {
            const quint32 q = e.question[i];
            if (counts[q] < kMinimumSittings)
                continue;
            sittings[q].push_back({e.percent, e.score[i]});
            if (e.id >= last[q].exam)
                last[q] = {e.id, e.position[i]};
        }
    }
    // Each line with its sorting key, made once.
    std::vector<std::pair<QString, ItemLine>> found;
    for (size_t q = 0; q < a.questions.size(); ++q) {
        if (counts[q] < kMinimumSittings)
            continue;
        ItemLine line;
        line.code = a.codes.code(a.questions[q].domain);
        line.numero = a.questions[q].numero;
        line.sat = int(sittings[q].size());
        line.stats = itemStats(std::move(sittings[q]));
        if (!eachRow(*m_connection,
                QStringLiteral("SELECT statement FROM exam_questions WHERE exam_id = ? AND position = ?"),
                {last[q].exam, last[q].position}, error,
                [&](const SqliteStatement &st) { line.statement = st.column(0).toString(); }))
            return std::nullopt;
        found.emplace_back(referenceKey(line.code, line.numero), std::move(line));
    }
    std::sort(found.begin(), found.end(), [](const auto &x, const auto &y) { return x.first < y.first; });
    QList<ItemLine> lines;
    lines.reserve(qsizetype(found.size()));
    for (auto &[key, line] : found)
        lines.append(std::move(line));
    return lines;
}

} // namespace qcm
