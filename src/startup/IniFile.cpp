#include "IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

namespace qcm {

namespace {

// Settings written by older Windows tools are in a single-byte code page:
// text that is not valid UTF-8 is read as Latin-1 rather than dropped.
bool readLines(const QString &path, QStringList &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0'))
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines = text.split(u'\n');
    return true;
}

bool isSectionLine(const QString &trimmed, QString *name = nullptr)
{
    if (!trimmed.startsWith(u'[') || !trimmed.endsWith(u']'))
        return false;
    if (name)
        *name = trimmed.mid(1, trimmed.size() - 2).trimmed();
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the key's line inside the section, or -1; *sectionEnd is the
// line after the section's last non-blank line, or -1 when there is no section.
int findKey(const QStringList &lines, const QString &section, const QString &key, int *sectionEnd = nullptr)
{
    bool inSection = false;
    int found = -1;
    if (sectionEnd)
        *sectionEnd = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString t = lines.at(i).trimmed();
        QString name;
        if (isSectionLine(t, &name)) {
            inSection = sameName(name, section);
            if (inSection && sectionEnd)
                *sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        if (!t.isEmpty() && sectionEnd)
            *sectionEnd = i + 1;
        const qsizetype eq = t.indexOf(u'=');
        if (found < 0 && eq > 0 && sameName(t.left(eq).trimmed(), key))
            found = i;
    }
    return found;
}

} // namespace

QString IniFile::readString(const QString &path, const QString &section, const QString &key, const QString &fallback)
{
    QStringList lines;
    if (!readLines(path, lines))
        return fallback;
    const int i = findKey(lines, section, key);
    if (i < 0)
        return fallback;
    const QString t = lines.at(i).trimmed();
    QString value = t.mid(t.indexOf(u'=') + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    return value;
}

int IniFile::readInt(const QString &path, const QString &section, const QString &key, int fallback)
{
    const QString text = readString(path, section, key, QString());
    if (text.isNull())
        return fallback;
    // Like the profile functions: leading digits count, anything else reads as 0.
    qsizetype end = 0;
    if (end < text.size() && (text.at(0) == u'-' || text.at(0) == u'+'))
        ++end;
    while (end < text.size() && text.at(end).isDigit())
        ++end;
    bool ok = false;
    const int value = text.left(end).toInt(&ok);
    return ok ? value : 0;
}

bool IniFile::writeString(
    const QString &path, const QString &section, const QString &key, const QString &value, QString *error)
{
    QStringList lines;
    if (QFile::exists(path) && !readLines(path, lines)) {
        if (error)
            *error = QStringLiteral("Le fichier de paramètres « %1 » ne peut pas être lu.").arg(path);
        return false;
    }
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    int sectionEnd = -1;
    const int i = findKey(lines, section, key, &sectionEnd);
    const QString entry = key + u'=' + value;
    if (i >= 0) {
        lines[i] = entry;
    } else if (sectionEnd >= 0) {
        lines.insert(sectionEnd, entry);
    } else {
        if (!lines.isEmpty())
            lines.append(QString());
        lines.append(u'[' + section + u']');
        lines.append(entry);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Le fichier de paramètres « %1 » ne peut pas être écrit : %2")
                         .arg(path, file.errorString());
        return false;
    }
    file.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Le fichier de paramètres « %1 » ne peut pas être écrit : %2")
                         .arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace qcm
