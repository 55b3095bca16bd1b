#include "IniFile.h"

#include "FileOps.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <limits>

namespace qcm {

namespace {

enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE };

struct IniText {
    QStringList lines;
    Encoding encoding = Encoding::Utf8;
};

enum class ReadStatus { Ok, Missing, Unusable };

bool decode(const QByteArray &bytes, IniText &out)
{
    QString text;
    const bool le = bytes.startsWith("\xFF\xFE");
    if (le || bytes.startsWith("\xFE\xFF")) {
        if (bytes.size() % 2 != 0)
            return false;
        QStringDecoder utf16(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
        text = utf16.decode(bytes);
        if (utf16.hasError())
            return false;
        out.encoding = le ? Encoding::Utf16LE : Encoding::Utf16BE;
    } else {
        // Settings written by older Windows tools are in a single-byte code
        // page: text that is not valid UTF-8 is read as Latin-1 rather than dropped.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(bytes);
        if (utf8.hasError())
            text = QString::fromLatin1(bytes);
        out.encoding = bytes.startsWith("\xEF\xBB\xBF") ? Encoding::Utf8Bom : Encoding::Utf8;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (text.contains(QChar(0)))
        return false;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.lines = text.split(u'\n');
    return true;
}

QByteArray encode(const IniText &ini)
{
    const QString text = ini.lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    switch (ini.encoding) {
    case Encoding::Utf8:
        return text.toUtf8();
    case Encoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const bool le = ini.encoding == Encoding::Utf16LE;
        QStringEncoder utf16(le ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
        return QByteArray(le ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(utf16.encode(text));
    }
    }
    return {};
}

// Only a regular file of a sensible size is read: a pipe would block the
// start, and a link to a device would be read without end.
ReadStatus readText(const QString &path, IniText &out, QString *why)
{
    const QFileInfo info(path);
    if (!info.exists())
        return ReadStatus::Missing;
    auto unusable = [&](const QString &reason) {
        if (why)
            *why = reason;
        return ReadStatus::Unusable;
    };
    if (!info.isFile())
        return unusable(QStringLiteral("« %1 » n'est pas un fichier ordinaire.").arg(path));
    const QString tooLarge = QStringLiteral("Le fichier de paramètres « %1 » dépasse %2 Kio : ce n'est pas un "
                                            "fichier de paramètres.")
                                 .arg(path)
                                 .arg(IniFile::kMaxFileSize / 1024);
    if (info.size() > IniFile::kMaxFileSize)
        return unusable(tooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return unusable(
            QStringLiteral("Le fichier de paramètres « %1 » ne peut pas être lu (%2).").arg(path, file.errorString()));
    const QByteArray bytes = file.read(std::min(info.size(), IniFile::kMaxFileSize) + 1);
    if (file.error() != QFileDevice::NoError)
        return unusable(
            QStringLiteral("Le fichier de paramètres « %1 » ne peut pas être lu (%2).").arg(path, file.errorString()));
    if (bytes.size() > IniFile::kMaxFileSize)
        return unusable(tooLarge);
    if (!decode(bytes, out))
        return unusable(QStringLiteral("Le fichier de paramètres « %1 » n'est pas un fichier texte.").arg(path));
    return ReadStatus::Ok;
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

// Whether the text fits on one line of the file and comes back unchanged:
// no line break nor other control character (a tab is kept), and no broken
// UTF-16 that no encoding could carry.
bool fitsOnALine(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || u == 0x7F || u == 0x85 || u == 0x2028 || u == 0x2029)
            return false;
    }
    return QStringView(text).isValidUtf16();
}

bool usableName(const QString &name)
{
    return !name.isEmpty() && name == name.trimmed() && fitsOnALine(name) && !name.startsWith(u'[');
}

// The reader trims blanks around a value and removes one pair of outer
// quotes: only a value that would lose something that way is quoted.
QString valueText(const QString &value)
{
    const bool quote
        = value != value.trimmed() || (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'));
    return quote ? u'"' + value + u'"' : value;
}

} // namespace

QString IniFile::readString(const QString &path, const QString &section, const QString &key, const QString &fallback)
{
    IniText ini;
    if (readText(path, ini, nullptr) != ReadStatus::Ok)
        return fallback;
    const int i = findKey(ini.lines, section, key);
    if (i < 0)
        return fallback;
    const QString t = ini.lines.at(i).trimmed();
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
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(0) == u'-' || text.at(0) == u'+'))
        negative = text.at(i++) == u'-';
    // Stops growing past the bounds, however many digits follow.
    const qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 magnitude = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i)
        magnitude = std::min(limit, magnitude * 10 + (text.at(i).unicode() - u'0'));
    if (negative)
        return int(-magnitude);
    return int(std::min(magnitude, limit - 1));
}

bool IniFile::writeString(
    const QString &path, const QString &section, const QString &key, const QString &value, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!usableName(section) || !usableName(key) || key.contains(u'='))
        return fail(QStringLiteral("« [%1] %2 » n'est pas un nom de paramètre valable.").arg(section, key));
    if (!fitsOnALine(value))
        return fail(QStringLiteral("La valeur à enregistrer contient un saut de ligne ou un caractère de contrôle, "
                                   "que le fichier de paramètres ne peut pas conserver."));
    IniText ini;
    QString why;
    if (readText(path, ini, &why) == ReadStatus::Unusable)
        return fail(why);
    QStringList &lines = ini.lines;
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    int sectionEnd = -1;
    const int i = findKey(lines, section, key, &sectionEnd);
    const QString entry = key + u'=' + valueText(value);
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
    const QByteArray bytes = encode(ini);
    if (bytes.size() > kMaxFileSize)
        return fail(QStringLiteral("Le fichier de paramètres dépasserait %1 Kio.").arg(kMaxFileSize / 1024));
    if (!writeFileAtomic(path, bytes, &why))
        return fail(QStringLiteral("Le fichier de paramètres « %1 » ne peut pas être écrit : %2").arg(path, why));
    return true;
}

} // namespace qcm
