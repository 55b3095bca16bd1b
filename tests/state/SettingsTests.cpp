#include "state/IniFile.h"
#include "support/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

using namespace qcm;
using namespace qcm::test;

namespace {

class Settings : public ::testing::Test {
protected:
    QString base(const QString &fallback = {}) const
    {
        return IniFile::readString(ini, u"Dernière base"_s, u"Base"_s, fallback);
    }
    int repaint() const { return IniFile::readInt(ini, u"Options"_s, u"Repeindre"_s, -1); }
    bool writeRepaint(const QString &value) { return IniFile::writeString(ini, u"Options"_s, u"Repeindre"_s, value); }
    bool writeBase(const QString &value, QString *error = nullptr)
    {
        return IniFile::writeString(ini, u"Dernière base"_s, u"Base"_s, value, error);
    }

    QTemporaryDir dir;
    QString ini = QDir(dir.path()).filePath(u"QCM.ini"_s);
};

TEST_F(Settings, MissingOrGarbledFilesGiveTheDefaults)
{
    EXPECT_EQ(base(u"défaut"_s), u"défaut"_s);
    EXPECT_EQ(repaint(), -1);
    writeFile(ini, QByteArray("\x00\x01\x02garbage\xff\xfe", 12));
    EXPECT_EQ(repaint(), -1);
    writeFile(ini, "Base=ailleurs\n[Options\nRepeindre=0\n");
    EXPECT_EQ(base(u"d"_s), u"d"_s) << "a key outside its section does not count";
    EXPECT_EQ(repaint(), -1);
}

TEST_F(Settings, KeysAreWrittenOneByOneAndReadBackWhole)
{
    const QString longPath = u"/données/"_s + QString(300, u'x') + u"/Banque d'été.mdb"_s;
    ASSERT_TRUE(writeBase(longPath));
    ASSERT_TRUE(writeRepaint(u"0"_s));
    ASSERT_TRUE(IniFile::writeString(ini, u"Disposition"_s, u"fInBox.Left"_s, u"3000"_s));
    ASSERT_TRUE(IniFile::writeString(ini, u"dernière BASE"_s, u"base"_s, longPath + u'2'));

    EXPECT_EQ(base(), longPath + u'2') << "a value longer than 254 characters is kept whole";
    EXPECT_EQ(repaint(), 0);
    const QString text = QString::fromUtf8(fileBytes(ini));
    EXPECT_EQ(text.count(u"[Dernière base]"_s), 1) << text.toStdString();
    EXPECT_TRUE(text.contains(u"[Options]\r\nRepeindre=0\r\n"_s));
    EXPECT_EQ(text.count(u"base="_s, Qt::CaseInsensitive), 1);
}

TEST_F(Settings, OtherLinesAndTextFromOlderToolsSurvive)
{
    // A file written by a Windows tool: Latin-1, CR LF, comments and other keys.
    writeFile(
        ini, QByteArray("; r\xe9glages\r\n[Derni\xe8re base]\r\nBase=C:\\QCM\\VAR.zov\r\n\r\n[Autre]\r\nCl\xe9=1\r\n"));
    EXPECT_EQ(base(), u"C:\\QCM\\VAR.zov"_s);
    ASSERT_TRUE(writeRepaint(u"-1"_s));
    EXPECT_EQ(IniFile::readString(ini, u"Autre"_s, u"Clé"_s, {}), u"1"_s);
    EXPECT_TRUE(QString::fromUtf8(fileBytes(ini)).startsWith(u"; réglages"_s));
    EXPECT_EQ(IniFile::readInt(ini, u"Options"_s, u"Repeindre"_s, 5), -1);
}

TEST_F(Settings, EveryValueReadsBackExactlyAndOrdinaryOnesAreWrittenAsTheyAre)
{
    writeFile(ini, "[Options]\r\nRepeindre=0\r\n");
    const QString ordinary = u"/données/Banque d'été = 2024 ; [club].mdb"_s;
    ASSERT_TRUE(writeBase(ordinary));
    EXPECT_TRUE(QString::fromUtf8(fileBytes(ini)).contains(u"\r\nBase="_s + ordinary + u"\r\n"_s));
    for (const QString &value : {u"/banque.mdb "_s, u" /banque.mdb"_s, u"\t/b.mdb\t"_s, u"\"/b.mdb\""_s, u"\""_s,
             u"\"\""_s, u"   "_s, QString(), u"\" b \""_s}) {
        ASSERT_TRUE(writeBase(value)) << value.toStdString();
        EXPECT_EQ(base(u"absent"_s), value) << value.toStdString();
    }
    EXPECT_EQ(repaint(), 0);
}

TEST_F(Settings, ValuesWithLineBreaksAreRefusedAndInjectNothing)
{
    writeFile(ini, "[Dernière base]\r\nBase=/b.mdb\r\n[Options]\r\nRepeindre=-1\r\n");
    const QByteArray before = fileBytes(ini);
    for (const QString &value : {u"/tmp/b.mdb\n[Options]\nRepeindre=0"_s, u"a\rb"_s, u"a\u2028b"_s,
             u"a"_s + QChar(0) + u"b"_s, QString(QChar(0xD800))}) {
        QString error;
        EXPECT_FALSE(writeBase(value, &error));
        EXPECT_EQ(error,
            u"La valeur à enregistrer contient un saut de ligne ou un caractère de contrôle, que le "
            "fichier de paramètres ne peut pas conserver."_s);
        EXPECT_EQ(fileBytes(ini), before);
    }
    EXPECT_EQ(repaint(), -1);
}

TEST_F(Settings, NumbersOutOfRangeKeepTheirSign)
{
    const std::pair<const char *, int> cases[] = {{"99999999999", std::numeric_limits<int>::max()},
        {"-000000000000000000000099999999999999999999", std::numeric_limits<int>::min()},
        {"-2147483648", std::numeric_limits<int>::min()}};
    for (const auto &[stored, read] : cases) {
        writeFile(ini, QByteArray("[Options]\r\nRepeindre=") + stored + "\r\n");
        EXPECT_EQ(repaint(), read) << stored;
    }
}

TEST_F(Settings, Utf16FilesAreReadAndStayUtf16)
{
    const QString text = u"[Dernière base]\r\nBase=C:\\Club été\\VAR.zov\r\n"_s;
    for (const bool le : {true, false}) {
        const QByteArray bytes = QStringEncoder(
            le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE, QStringEncoder::Flag::WriteBom)(text);
        writeFile(ini, bytes);
        EXPECT_EQ(base(), u"C:\\Club été\\VAR.zov"_s);
        ASSERT_TRUE(writeRepaint(u"0"_s));
        EXPECT_TRUE(fileBytes(ini).startsWith(bytes.left(2)));
        EXPECT_EQ(base(), u"C:\\Club été\\VAR.zov"_s);
        EXPECT_EQ(repaint(), 0);
    }
}

// Read in a thread: a read that blocks fails the test instead of hanging it.
TEST_F(Settings, OnlyRegularFilesOfASensibleSizeAreRead)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    auto reading = std::async(std::launch::async, [this] { return base(u"défaut"_s); });
    const bool returned = reading.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!returned) {
        // Unblocks the reader so that the test can end.
        const int fd = ::open(QFile::encodeName(ini).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    EXPECT_TRUE(returned) << "reading a named pipe does not wait for a writer";
    EXPECT_EQ(reading.get(), u"défaut"_s);
    QString error;
    EXPECT_FALSE(writeBase(u"/b.mdb"_s, &error));
    EXPECT_EQ(error, u"« %1 » n'est pas un fichier ordinaire."_s.arg(ini));
    ASSERT_TRUE(QFile::remove(ini));

    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, ini));
    EXPECT_EQ(base(u"défaut"_s), u"défaut"_s);
    EXPECT_FALSE(writeBase(u"/b.mdb"_s));
    EXPECT_EQ(QFile::symLinkTarget(ini), u"/dev/zero"_s);
    ASSERT_TRUE(QFile::remove(ini));

    QByteArray huge("[Dernière base]\r\nBase=/b.mdb\r\n");
    huge.append(QByteArray(IniFile::kMaxFileSize, ';'));
    writeFile(ini, huge);
    EXPECT_EQ(base(u"défaut"_s), u"défaut"_s);
    EXPECT_FALSE(writeBase(u"/b.mdb"_s, &error));
    EXPECT_EQ(fileBytes(ini).size(), huge.size());
}

} // namespace
