#include "Fixtures.h"

#include "database/BankText.h"
#include "database/Sqlite.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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

void makeSqliteFile(const QString &path, const QString &sql)
{
    SqliteDb db;
    QString error;
    ASSERT_TRUE(db.open(path, SqliteDb::Mode::Create, &error)) << error.toStdString();
    ASSERT_TRUE(db.exec(sql, &error)) << error.toStdString();
}

QStringList databaseContent(const QString &path)
{
    SqliteDb db;
    QString error;
    EXPECT_TRUE(db.open(path, SqliteDb::Mode::ReadOnly, &error)) << error.toStdString();
    QStringList rows;
    SqliteStatement tables = db.prepare(u"SELECT name, sql FROM sqlite_master WHERE type = 'table' ORDER BY name"_s);
    while (tables.step()) {
        const QString table = tables.column(0).toString();
        rows.append(u"schema|"_s + tables.column(1).toString());
        SqliteStatement st = db.prepare(u"SELECT * FROM \"%1\" ORDER BY rowid"_s.arg(table));
        while (st.step()) {
            QStringList values{table};
            for (int i = 0; i < st.columnCount(); ++i)
                values.append(st.column(i).toString());
            rows.append(values.join(u'|'));
        }
        EXPECT_EQ(st.error(), QString()) << table.toStdString();
    }
    EXPECT_EQ(tables.error(), QString());
    return rows;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace qcm::test
