#include "Fixtures.h"

#include "database/BankText.h"
#include "database/Sqlite.h"
#include "state/IniFile.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace qcm::test {

Question makeQuestion(const QString &code, qint64 numero, const QString &statement, std::initializer_list<int> points)
{
    Question q;
    q.code = code;
    q.numero = numero;
    q.libelle = statement;
    int i = 0;
    for (int p : points) {
        q.lib[size_t(i)] = u"Réponse %1"_s.arg(QChar(u'A' + i));
        q.val[size_t(i)] = p;
        ++i;
    }
    q.flags[0] = 1;
    return q;
}

QString makeBank(const QTemporaryDir &dir, const QString &name, const BankContent &bank)
{
    const QString path = QDir(dir.path()).filePath(name);
    QString error;
    EXPECT_TRUE(writeBank(path, bank, &error)) << error.toStdString();
    return path;
}

BankContent sampleBank()
{
    QFile file(QStringLiteral(QCM_SAMPLE_BANK_TEXT));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    BankContent bank;
    QString error;
    EXPECT_TRUE(parseBankText(QString::fromUtf8(file.readAll()), bank, &error)) << error.toStdString();
    return bank;
}

QString makeSqliteFile(const QString &path, const QString &sql)
{
    SqliteDb db;
    QString error;
    EXPECT_TRUE(db.open(path, SqliteDb::Mode::Create, &error) && db.exec(sql, &error)) << error.toStdString();
    return path;
}

QString execOn(const QString &path, const QString &sql)
{
    SqliteDb db;
    QString error;
    EXPECT_TRUE(db.open(path, SqliteDb::Mode::ReadWrite, &error) && db.exec(sql, &error)) << error.toStdString();
    return path;
}

QStringList queryRows(const QString &path, const QString &sql)
{
    SqliteDb db;
    EXPECT_TRUE(db.open(path, SqliteDb::Mode::ReadOnly)) << path.toStdString();
    SqliteStatement st = db.prepare(sql);
    QStringList rows;
    while (st.step()) {
        QStringList values;
        for (int i = 0; i < st.columnCount(); ++i)
            values.append(st.column(i).isNull() ? u"NULL"_s : st.column(i).toString());
        rows.append(values.join(u'|'));
    }
    EXPECT_EQ(st.error(), QString()) << sql.toStdString();
    return rows;
}

QStringList databaseContent(const QString &path)
{
    QStringList rows;
    for (const QString &table :
        queryRows(path, u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s)) {
        rows += queryRows(path, u"SELECT 'schema', sql FROM sqlite_master WHERE name = '%1'"_s.arg(table));
        rows += queryRows(path, u"SELECT '%1', * FROM \"%1\" ORDER BY rowid"_s.arg(table));
    }
    return rows;
}

void rememberBank(const QString &programFolder, const QString &bank)
{
    IniFile::writeString(QDir(programFolder).filePath(u"QCM.ini"_s), u"Dernière base"_s, u"Base"_s, bank);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << path.toStdString();
    return path;
}

} // namespace qcm::test
