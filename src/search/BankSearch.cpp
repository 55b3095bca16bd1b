#include "BankSearch.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace qcm {

namespace {

const QString kSuffix = QStringLiteral(".qcm-recherche");

} // namespace

BankSearch::BankSearch(QCMBas &state) : QObject(&state), m_state(state) { }

BankSearch &BankSearch::of(QCMBas &state)
{
    if (auto *search = state.findChild<BankSearch *>(QString(), Qt::FindDirectChildrenOnly))
        return *search;
    return *new BankSearch(state);
}

QString BankSearch::besideBank(const QString &bankPath)
{
    const QFileInfo bank(bankPath);
    return bank.absoluteDir().filePath(bank.fileName() + kSuffix);
}

QString BankSearch::inProgramFolder(const QString &programFolder, const QString &bankPath)
{
    const QFileInfo bank(bankPath);
    const QByteArray where = QFile::encodeName(bank.absoluteFilePath());
    const QString key = QString::fromLatin1(QCryptographicHash::hash(where, QCryptographicHash::Sha1).toHex().left(8));
    return QDir(programFolder).filePath(QStringLiteral("Recherche/") + bank.fileName() + u'-' + key + kSuffix);
}

bool BankSearch::openIndex(const QString &bankPath, QString *why)
{
    m_index.reset();
    m_current = false;
    QString besideError;
    m_index = SearchIndex::open(besideBank(bankPath), &besideError);
    if (!m_index) {
        // A bank in a folder that cannot be written still gets its index.
        const QString fallback = inProgramFolder(m_state.AppFolder(), bankPath);
        QDir().mkpath(QFileInfo(fallback).absolutePath());
        QString fallbackError;
        m_index = SearchIndex::open(fallback, &fallbackError);
        if (!m_index) {
            if (why)
                *why = besideError + QStringLiteral("\r\n") + fallbackError;
            return false;
        }
    }
    m_bankPath = bankPath;
    return true;
}

bool BankSearch::ensureIndex(QString *why)
{
    const std::shared_ptr<Connection> &connection = m_state.connection();
    if (!connection) {
        if (why)
            *why = QStringLiteral("Aucune base de données n'est ouverte.");
        return false;
    }
    // Read first: a change made while the index is updated is seen next time.
    const DataVersion version = connection->version();
    if (m_index && m_current && m_connection == connection.get() && m_version == version)
        return true;
    if ((!m_index || m_bankPath != connection->path()) && !openIndex(connection->path(), why))
        return false;
    m_connection = connection.get();
    m_current = false;
    const QString stamp = bankStamp(connection->path());
    if (stamp.isEmpty() || stamp != m_index->stamp()) {
        const std::optional<qint64> total = SearchIndex::bankQuestionCount(*connection);
        std::unique_ptr<Progress> progress = m_state.dialogs().progress({QStringLiteral("Recherche"),
            QStringLiteral("Préparation de la recherche dans les questions de la base…"), total.value_or(0), true});
        QString error;
        const SearchIndex::Update result = m_index->update(
            *connection, stamp, [&progress](qint64 done, qint64) { return progress->advance(done); }, &error);
        if (result == SearchIndex::Update::Canceled) {
            if (why)
                *why = QStringLiteral("La préparation de la recherche a été interrompue : rien n'a été cherché.");
            return false;
        }
        if (result == SearchIndex::Update::Failed) {
            if (why)
                *why = QStringLiteral("La recherche n'a pas pu être préparée : ") + error;
            return false;
        }
    }
    m_version = version;
    m_current = true;
    return true;
}

bool BankSearch::withIndex(const std::function<bool(QString *)> &query, QString *why)
{
    if (!ensureIndex(why))
        return false;
    QString error;
    if (query(&error))
        return true;
    // The index is only a copy of the bank's words: a damaged one is made again.
    const QString path = m_index->path();
    m_index.reset();
    for (const QString &suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal")})
        QFile::remove(path + suffix);
    if (ensureIndex(why) && query(&error))
        return true;
    if (why && !error.isEmpty())
        *why = QStringLiteral("La recherche a échoué : ") + error;
    return false;
}

std::optional<QList<SearchHit>> BankSearch::find(const QString &typed, int limit, QString *why)
{
    std::vector<IndexHit> found;
    if (!withIndex(
            [&](QString *error) {
                auto hits = m_index->search(typed, limit, error);
                if (hits)
                    found = std::move(*hits);
                return hits.has_value();
            },
            why))
        return std::nullopt;
    QHash<QString, QString> titles;
    if (const auto domains = m_state.bank().domains())
        for (const Domain &d : *domains)
            titles.insert(d.code.toCaseFolded(), d.libelle);
    QList<SearchHit> hits;
    hits.reserve(qsizetype(found.size()));
    for (IndexHit &hit : found) {
        const QString title = titles.value(hit.question.code.toCaseFolded());
        hits.append({std::move(hit.question), title, hit.inStatement});
    }
    return hits;
}

std::optional<QuestionSet> BankSearch::matching(const QString &typed, QString *why)
{
    std::optional<QuestionSet> found;
    if (!withIndex(
            [&](QString *error) {
                found = m_index->matching(typed, error);
                return found.has_value();
            },
            why))
        return std::nullopt;
    return found;
}

} // namespace qcm
