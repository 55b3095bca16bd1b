#include "BankReader.h"

namespace qcm {

QString CandidateTable::prefix(const Entry &e) const
{
    return e.code + u'/' + (e.wholeNumber ? QString::number(e.numero) : e.numeroText) + QStringLiteral("- ");
}

QString CandidateTable::line(int i) const
{
    const Entry &e = m_entries[size_t(i)];
    return prefix(e) + QString::fromUtf8(m_text.constData() + e.at, e.size);
}

QString CandidateTable::key(int i) const
{
    // The prefix ends with "- ", so the line's first one lies within it.
    QString k = prefix(m_entries[size_t(i)]);
    k.truncate(k.indexOf(QLatin1String("- ")));
    return k;
}

bool CandidateTable::plainKey(int i) const
{
    const Entry &e = m_entries[size_t(i)];
    return e.wholeNumber && !e.code.contains(QLatin1String("- "));
}

bool CandidateCache::isCurrent(const std::shared_ptr<Connection> &connection) const
{
    return connection && m_connection.lock() == connection && m_version == connection->version();
}

void CandidateCache::confirm(const std::shared_ptr<Connection> &connection)
{
    if (!connection)
        return clear();
    m_connection = connection;
    m_version = connection->version();
}

void CandidateCache::clear()
{
    m_connection.reset();
    if (m_table->size() > 0)
        m_table = std::make_shared<CandidateTable>();
}

bool CandidateCache::lines(const std::shared_ptr<Connection> &connection, const SpecialityTicks &ticked,
    std::vector<int> &out, StoreError *error)
{
    out.clear();
    if (!isCurrent(connection)) {
        m_connection.reset();
        if (!connection || !read(BankModel(connection), error)) {
            clear();
            return false;
        }
        confirm(connection);
    }
    unsigned wanted = 0;
    for (int k = 0; k < kSpecialityCount; ++k)
        wanted |= ticked[size_t(k)] ? 1u << k : 0u;
    if (wanted == 0)
        return true;
    const CandidateTable &table = *m_table;
    out.reserve(size_t(table.size()));
    for (int i = 0; i < table.size(); ++i)
        if (table.flags(i) & wanted)
            out.push_back(i);
    return true;
}

bool CandidateCache::read(const BankModel &bank, StoreError *error)
{
    // A bank without one of the flags cannot be listed by speciality at all.
    const std::optional<bool> flags = bank.hasSpecialityFlags(error);
    if (!flags)
        return false;
    if (!*flags) {
        setError(error, StoreErrors::make(StoreErrorKind::FieldNotFound));
        return false;
    }
    auto table = std::make_shared<CandidateTable>();
    // Read again, a bank has about the same statements as before.
    table->m_text.reserve(m_table->m_text.size() + m_table->m_text.size() / 8);
    table->m_entries.reserve(m_table->m_entries.size());
    QByteArray lastCode;
    QString lastCodeText;
    const bool read = bank.forEachQuestion(
        QuestionParts::Statement | QuestionParts::Flags,
        [&](const QuestionRow &question) {
            CandidateTable::Entry e;
            // The questions come grouped by domain: one text per code.
            if (const QByteArrayView code = question.codeUtf8(); lastCodeText.isNull() || code != lastCode) {
                lastCode = code.toByteArray();
                lastCodeText = QString::fromUtf8(code);
            }
            e.code = lastCodeText;
            if (question.numeroIsWhole()) {
                e.numero = question.numero();
            } else {
                e.wholeNumber = false;
                e.numeroText = numeroText(question.storedNumero());
                e.numero = e.numeroText.toLongLong();
            }
            const QByteArrayView statement = question.statementUtf8();
            e.at = table->m_text.size();
            e.size = statement.size();
            table->m_text.append(statement);
            e.flags = question.flagBits();
            table->m_entries.push_back(std::move(e));
        },
        error);
    if (!read)
        return false;
    m_table = std::move(table);
    return true;
}

} // namespace qcm
