// The Access reader on the shared Jet files, and on copies given a few more
// rows by libmdb's own writer (the way the file with accents was made).
#include "access/AccessFile.h"
#include "access/MdbTableSource.h"
#include "support/Fixtures.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <glib.h>
#include <mdbtools.h>

using namespace qcm;
using namespace qcm::test;

namespace {

const QVariant Null;

QString fixture(const QString &name)
{
    return QStringLiteral(QCM_ACCESS_DATA "/") + name;
}

struct Rows {
    QStringList columns;
    QList<QVariantList> rows;
};

Rows read(const QString &path, const QString &table)
{
    QString error;
    const std::unique_ptr<MdbTableSource> source = MdbTableSource::open(path, &error);
    EXPECT_TRUE(source) << error.toStdString();
    if (!source)
        return {};
    Rows r;
    r.columns = source->columns(table, &error).value_or(QStringList());
    EXPECT_TRUE(source->readRows(
        table, [&r](const QVariantList &row) { r.rows << row; }, &error))
        << error.toStdString();
    return r;
}

QString copyOf(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    EXPECT_TRUE(QFile::copy(fixture(name), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

// Appends a row through libmdb: texts as QString, Yes/No as bool, other
// values as their stored bytes, Null as an invalid value.
void appendRow(const QString &path, const QString &table, const QVariantList &values)
{
    MdbHandle *mdb = mdb_open(QFile::encodeName(path).constData(), MDB_WRITABLE);
    ASSERT_TRUE(mdb && mdb_read_catalog(mdb, MDB_TABLE));
    MdbTableDef *t = mdb_read_table_by_name(mdb, table.toUtf8().data(), MDB_TABLE);
    ASSERT_TRUE(t && mdb_read_columns(t));
    mdb_read_indices(t);
    ASSERT_EQ(t->num_cols, guint(values.size()));
    std::vector<MdbField> fields(values.size());
    std::vector<QByteArray> bytes(values.size());
    for (guint i = 0; i < t->num_cols; ++i) {
        const auto *column = static_cast<MdbColumn *>(g_ptr_array_index(t->columns, i));
        const QVariant &v = values.at(i);
        QByteArray &b = bytes[i];
        if (v.typeId() == QMetaType::QString) {
            b.resize(4096);
            const QByteArray utf8 = v.toString().toUtf8();
            b.resize(mdb_ascii2unicode(mdb, utf8.constData(), size_t(utf8.size()), b.data(), size_t(b.size())));
        } else if (v.typeId() == QMetaType::QByteArray) {
            b = v.toByteArray();
        }
        if (column->is_fixed)
            b.resize(column->col_size);
        fields[i].value = b.data();
        fields[i].siz = int(b.size());
        fields[i].is_fixed = column->is_fixed;
        fields[i].colnum = int(i);
        fields[i].is_null = v.typeId() == QMetaType::Bool ? !v.toBool() : !v.isValid();
    }
    EXPECT_EQ(mdb_insert_row(t, int(values.size()), fields.data()), 1);
    mdb_free_tabledef(t);
    mdb_close(mdb);
}

template <typename T> QByteArray stored(T value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}

TEST(AccessFiles, TheHeaderTellsJetFilesFromOthers)
{
    EXPECT_EQ(accessFormat(fixture(u"jet3-types.mdb"_s)), AccessFormat::Jet3);
    EXPECT_EQ(accessFormat(fixture(u"jet4-small.mdb"_s)), AccessFormat::Jet4);
    QByteArray header = fileBytes(fixture(u"jet4-small.mdb"_s)).left(kAccessHeaderSize);
    EXPECT_EQ(accessFormatOf(header), AccessFormat::Jet4);
    EXPECT_EQ(accessFormatOf(header.left(kAccessHeaderSize - 1)), AccessFormat::None);
    header.replace(4, 16, QByteArray("Standard ACE DB\0", 16));
    EXPECT_EQ(accessFormatOf(header), AccessFormat::Newer);
    header[5] = 'X';
    EXPECT_EQ(accessFormatOf(header), AccessFormat::None);
    QTemporaryDir dir;
    EXPECT_EQ(accessFormat(makeBank(dir, u"banque.zov"_s, sampleBank())), AccessFormat::None);
    EXPECT_EQ(accessFormat(dir.filePath(u"absent.mdb"_s)), AccessFormat::None);
}

TEST(MdbReader, Jet3ValuesOfEveryTypeAreReadAsStored)
{
    QString error;
    const auto source = MdbTableSource::open(fixture(u"jet3-types.mdb"_s), &error);
    ASSERT_TRUE(source) << error.toStdString();
    EXPECT_EQ(source->tableNames(), (QStringList{u"Table1"_s, u"Table2"_s, u"Table3"_s, u"Table4"_s}));

    const Rows t = read(fixture(u"jet3-types.mdb"_s), u"Table1"_s);
    EXPECT_EQ(t.columns, (QStringList{u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s, u"F"_s, u"G"_s, u"H"_s, u"I"_s}));
    const auto day = [](int y, int m, int d) { return QDateTime(QDate(y, m, d), QTime(0, 0), Qt::UTC); };
    ASSERT_EQ(t.rows.size(), 2);
    EXPECT_EQ(t.rows.at(0), (QVariantList{u"a"_s, u"b"_s, 0, 0, 0, 0.0, day(1981, 12, 12), 0.0, false}));
    EXPECT_EQ(t.rows.at(1),
        (QVariantList{u"abcdefg"_s, u"hijklmnop"_s, 2, 222, 333333333, 444.555, day(1974, 9, 21), 3.5, true}));
    EXPECT_EQ(read(fixture(u"jet3-types.mdb"_s), u"Table2"_s).columns.size(), 89);
}

TEST(MdbReader, Jet4TextsComeWholeWithEveryStoredRow)
{
    EXPECT_EQ(read(fixture(u"jet4-small.mdb"_s), u"Table1"_s).rows,
        (QList<QVariantList>{{1, u"One"_s}, {2, u"Two"_s}, {3, u"Three"_s}}));
    // The appended row is read although the count the file keeps says 3.
    const Rows accents = read(fixture(u"jet4-accents.mdb"_s), u"Table1"_s);
    ASSERT_EQ(accents.rows.size(), 4);
    EXPECT_EQ(accents.rows.at(3), (QVariantList{4, u"Élévation – ça marche ✓"_s}));
    QString error;
    EXPECT_EQ(MdbTableSource::open(fixture(u"jet4-accents.mdb"_s), &error)->declaredRowCount(u"Table1"_s), 3);
}

TEST(MdbReader, NullIsToldFromAnEmptyTextAndEarlyDatesKeepTheirDay)
{
    QTemporaryDir dir;
    const QString jet4 = copyOf(dir, u"jet4-small.mdb"_s);
    const QString longest = QString(255, QChar(0x2713));
    appendRow(jet4, u"Table1"_s, {stored<qint32>(5), Null});
    appendRow(jet4, u"Table1"_s, {stored<qint32>(6), u""_s});
    appendRow(jet4, u"Table1"_s, {stored<qint32>(7), longest});
    const Rows t = read(jet4, u"Table1"_s);
    ASSERT_EQ(t.rows.size(), 6);
    EXPECT_FALSE(t.rows.at(3).at(1).isValid());
    EXPECT_TRUE(t.rows.at(4).at(1).isValid());
    EXPECT_EQ(t.rows.at(4).at(1), u""_s);
    EXPECT_EQ(t.rows.at(5).at(1), longest);

    // -1.25: the day before 30 December 1899, a quarter past.
    const QString jet3 = copyOf(dir, u"jet3-types.mdb"_s);
    appendRow(jet3, u"Table1"_s, {u"été"_s, Null, Null, Null, Null, Null, stored(-1.25), Null, true});
    const Rows types = read(jet3, u"Table1"_s);
    ASSERT_EQ(types.rows.size(), 3);
    EXPECT_EQ(types.rows.at(2),
        (QVariantList{
            u"été"_s, Null, Null, Null, Null, Null, QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC), Null, true}));
}

TEST(MdbReader, ReadingLeavesTheFileAsItWas)
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, u"jet4-accents.mdb"_s);
    const QDateTime past(QDate(2004, 3, 1), QTime(10, 0), Qt::UTC);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.setFileTime(past, QFileDevice::FileModificationTime));
    }
    const QByteArray before = fileBytes(path);
    QString error;
    const auto source = MdbTableSource::open(path, &error);
    ASSERT_TRUE(source);
    for (const QString &table : source->tableNames())
        EXPECT_TRUE(source->readRows(
            table, [](const QVariantList &) {}, &error));
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), past);
}

} // namespace
