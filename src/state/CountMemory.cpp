#include "CountMemory.h"

#include "IniFile.h"

#include <QStringList>
#include <QUrl>

namespace qcm {

namespace {

QString section()
{
    return QStringLiteral("Comptes");
}

QString bankKey()
{
    return QStringLiteral("Base");
}

QString countsKey()
{
    return QStringLiteral("Domaines");
}

// "stamp;code=count,code=count": codes are percent-encoded, so that any
// character of a code keeps the text readable and unambiguous.
QString written(const FileStamp &stamp, const QHash<QString, qint64> &counts)
{
    QStringList entries;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        entries << QString::fromLatin1(QUrl::toPercentEncoding(it.key())) + u'=' + QString::number(it.value());
    entries.sort();
    return stamp.toString() + u';' + entries.join(u',');
}

} // namespace

void CountMemory::recall(const QString &iniPath, const QString &bankPath, Connection &connection)
{
    forget();
    if (IniFile::readString(iniPath, section(), bankKey(), {}) != bankPath)
        return;
    m_kept = IniFile::readString(iniPath, section(), countsKey(), {});
    // The version first: a commit by another program after it moves the
    // version, and one before it changes the stamp read next.
    const DataVersion version = connection.version();
    const std::optional<FileStamp> stamp = connection.fileStamp();
    const qsizetype split = m_kept.indexOf(u';');
    if (!stamp || split < 0 || FileStamp::fromString(m_kept.left(split)) != stamp)
        return;
    for (const QString &entry : m_kept.mid(split + 1).split(u',', Qt::SkipEmptyParts)) {
        const qsizetype equal = entry.lastIndexOf(u'=');
        bool ok = false;
        const qint64 count = equal > 0 ? entry.mid(equal + 1).toLongLong(&ok) : 0;
        if (ok && count >= 0)
            m_counts.insert(QUrl::fromPercentEncoding(entry.left(equal).toLatin1()), {count, version});
    }
}

std::optional<qint64> CountMemory::count(const QString &code, const DataVersion &version) const
{
    const auto it = m_counts.constFind(code);
    if (it == m_counts.constEnd() || it->version != version)
        return std::nullopt;
    return it->count;
}

void CountMemory::note(const QString &code, qint64 count, const DataVersion &version)
{
    m_counts.insert(code, {count, version});
}

void CountMemory::keep(const QString &iniPath, const QString &bankPath, Connection &connection)
{
    // The stamp first: a commit after it moves the version read next, and
    // the counts of an older version are left out.
    const std::optional<FileStamp> stamp = connection.fileStamp();
    const DataVersion version = connection.version();
    if (!stamp)
        return;
    QHash<QString, qint64> current;
    for (auto it = m_counts.constBegin(); it != m_counts.constEnd(); ++it)
        if (it->version == version)
            current.insert(it.key(), it->count);
    if (current.isEmpty())
        return;
    // What was recalled was kept for this bank: the same text needs no writing.
    const QString text = written(*stamp, current);
    if (text == m_kept)
        return;
    // Only a help for the next start: a settings file that cannot be written costs nothing.
    if (IniFile::writeString(iniPath, section(), countsKey(), text)
        && IniFile::writeString(iniPath, section(), bankKey(), bankPath))
        m_kept = text;
}

void CountMemory::forget()
{
    m_counts.clear();
    m_kept.clear();
}

} // namespace qcm
