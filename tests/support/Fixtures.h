#pragma once

#include "database/Schema.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

// Failed comparisons show texts as texts.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace qcm::test {

using namespace Qt::StringLiterals;

// A question with the given points; choices get texts where points are given.
Question makeQuestion(const QString &code, qint64 numero, const QString &statement, std::initializer_list<int> points);

// Writes a database into dir with the given content; returns its path.
QString makeBank(const QTemporaryDir &dir, const QString &name, const BankContent &bank);
// The shipped sample bank, built from its text form.
BankContent sampleBank();

// An SQLite file that is not a question bank, made by the given statements;
// returns its path.
QString makeSqliteFile(const QString &path, const QString &sql);
// Runs statements on a file through a connection of its own; returns its path.
QString execOn(const QString &path, const QString &sql);

// What the file holds, read through a connection of its own: one text per
// row, the columns joined by "|", a Null written NULL.
QStringList queryRows(const QString &path, const QString &sql);
// The first of them, "-" when there is none.
inline QString queryValue(const QString &path, const QString &sql)
{
    return queryRows(path, sql).value(0, u"-"_s);
}
// Every row of every table, as text: two copies of a database compare equal
// when they hold the same data, whatever their bytes.
QStringList databaseContent(const QString &path);

// The bank the next start in that program folder opens.
void rememberBank(const QString &programFolder, const QString &bank);

QByteArray fileBytes(const QString &path);
// Returns the path written.
QString writeFile(const QString &path, const QByteArray &bytes);

} // namespace qcm::test
