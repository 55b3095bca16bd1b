#include "BankReader.h"

#include <charconv>

namespace qcm {

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
    m_entries.clear();
}

bool CandidateCache::lines(const std::shared_ptr<Connection> &connection, const SpecialityTicks &ticked,
    std::vector<QString> &out, StoreError *error)
{
    out.clear();
    if (!isCurrent(connection)) {
        clear();
        if (!connection || !read(BankModel(connection), error))
            return false;
        confirm(connection);
    }
    unsigned wanted = 0;
    for (int k = 0; k < kSpecialityCount; ++k)
        wanted |= ticked[size_t(k)] ? 1u << k : 0u;
    if (wanted == 0)
        return true;
    for (const Entry &e : m_entries)
        if (e.flags & wanted)
            out.push_back(e.line);
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
    // One conversion per line: the parts are joined as UTF-8 first.
    QByteArray buffer;
    const bool read = bank.forEachQuestion(
        QuestionParts::Statement | QuestionParts::Flags,
        [&](const QuestionRow &question) {
            const QVariant numero = question.storedNumero();
            buffer.clear();
            buffer.append(question.codeUtf8());
            buffer.append('/');
            if (numero.typeId() == QMetaType::LongLong) {
                char digits[24];
                const auto end = std::to_chars(digits, digits + sizeof digits, numero.toLongLong()).ptr;
                buffer.append(digits, end - digits);
            } else {
                buffer.append(numeroText(numero).toUtf8());
            }
            buffer.append("- ", 2);
            buffer.append(question.statementUtf8());
            m_entries.push_back({QString::fromUtf8(buffer), question.flagBits()});
        },
        error);
    if (!read)
        m_entries.clear();
    return read;
}

} // namespace qcm
