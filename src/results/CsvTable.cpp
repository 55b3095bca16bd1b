#include "CsvTable.h"

#include "state/FileOps.h"

namespace qcm {

namespace {

QString field(const QString &text)
{
    // Leading blanks are quoted too: a spreadsheet would drop them.
    const bool quoted = text.contains(u';') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r')
        || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quoted)
        return text;
    QString s = text;
    s.replace(u'"', QStringLiteral("\"\""));
    return u'"' + s + u'"';
}

void appendLine(QString &out, const QStringList &fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            out += u';';
        out += field(fields.at(i));
    }
    out += QStringLiteral("\r\n");
}

} // namespace

QByteArray csvDocument(const QStringList &header, const QList<QStringList> &rows)
{
    QString text;
    appendLine(text, header);
    for (const QStringList &row : rows)
        appendLine(text, row);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool writeCsvFile(const QString &path, const QByteArray &document, QString *error)
{
    // The program's one atomic writer: a full disk said as such, and a
    // temporary left by a killed run known for what it is.
    QString why;
    if (writeFileAtomic(path, document, &why))
        return true;
    if (error)
        *error = QStringLiteral("Le fichier « %1 » n'a pas pu être écrit : %2").arg(path, why);
    return false;
}

} // namespace qcm
