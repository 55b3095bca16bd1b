#include "startup/IniFile.h"
#include "support/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <limits>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace qcm;
using namespace qcm::test;

namespace {

class Settings : public ::testing::Test {
protected:
    QString base(const QString &fallback = {}) const
    {
        return IniFile::readString(ini, QStringLiteral("Dernière base"), QStringLiteral("Base"), fallback);
    }
    int repaint() const { return IniFile::readInt(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), -1); }
    bool writeRepaint(const QString &value)
    {
        return IniFile::writeString(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), value);
    }
    bool writeBase(const QString &value, QString *error = nullptr)
    {
        return IniFile::writeString(ini, QStringLiteral("Dernière base"), QStringLiteral("Base"), value, error);
    }

    QTemporaryDir dir;
    QString ini = QDir(dir.path()).filePath(QStringLiteral("QCM.ini"));
};

TEST_F(Settings, MissingOrGarbledFilesGiveTheDefaults)
{
    EXPECT_EQ(base(QStringLiteral("défaut")), QStringLiteral("défaut"));
    EXPECT_EQ(repaint(), -1);
    writeFile(ini, QByteArray("\x00\x01\x02garbage\xff\xfe", 12));
    EXPECT_EQ(repaint(), -1);
    writeFile(ini, "Base=ailleurs\n[Options\nRepeindre=0\n");
    EXPECT_EQ(base(QStringLiteral("d")), QStringLiteral("d")) << "a key outside its section does not count";
    EXPECT_EQ(repaint(), -1);
}

TEST_F(Settings, KeysAreWrittenOneByOneAndReadBackWhole)
{
    const QString longPath = QStringLiteral("/données/") + QString(300, u'x') + QStringLiteral("/Banque d'été.mdb");
    ASSERT_TRUE(writeBase(longPath));
    ASSERT_TRUE(writeRepaint(QStringLiteral("0")));
    ASSERT_TRUE(IniFile::writeString(
        ini, QStringLiteral("Disposition"), QStringLiteral("fInBox.Left"), QStringLiteral("3000")));
    ASSERT_TRUE(IniFile::writeString(ini, QStringLiteral("dernière BASE"), QStringLiteral("base"), longPath + u'2'));

    EXPECT_EQ(base(), longPath + u'2') << "a value longer than 254 characters is kept whole";
    EXPECT_EQ(repaint(), 0);
    const QString text = QString::fromUtf8(fileBytes(ini));
    EXPECT_EQ(text.count(QStringLiteral("[Dernière base]")), 1) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("[Options]\r\nRepeindre=0\r\n")));
    EXPECT_EQ(text.count(QStringLiteral("base="), Qt::CaseInsensitive), 1);
}

TEST_F(Settings, OtherLinesAndTextFromOlderToolsSurvive)
{
    // A file written by a Windows tool: Latin-1, CR LF, comments and other keys.
    writeFile(
        ini, QByteArray("; r\xe9glages\r\n[Derni\xe8re base]\r\nBase=C:\\QCM\\VAR.zov\r\n\r\n[Autre]\r\nCl\xe9=1\r\n"));
    EXPECT_EQ(base(), QStringLiteral("C:\\QCM\\VAR.zov"));
    ASSERT_TRUE(writeRepaint(QStringLiteral("-1")));
    EXPECT_EQ(IniFile::readString(ini, QStringLiteral("Autre"), QStringLiteral("Clé"), {}), QStringLiteral("1"));
    EXPECT_TRUE(QString::fromUtf8(fileBytes(ini)).startsWith(QStringLiteral("; réglages")));
    EXPECT_EQ(IniFile::readInt(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), 5), -1);
}

TEST_F(Settings, EveryValueReadsBackExactlyAndOrdinaryOnesAreWrittenAsTheyAre)
{
    writeFile(ini, "[Options]\r\nRepeindre=0\r\n");
    const QString ordinary = QStringLiteral("/données/Banque d'été = 2024 ; [club].mdb");
    ASSERT_TRUE(writeBase(ordinary));
    EXPECT_TRUE(
        QString::fromUtf8(fileBytes(ini)).contains(QStringLiteral("\r\nBase=") + ordinary + QStringLiteral("\r\n")));
    for (const QString &value : {QStringLiteral("/banque.mdb "), QStringLiteral(" /banque.mdb"),
             QStringLiteral("\t/b.mdb\t"), QStringLiteral("\"/b.mdb\""), QStringLiteral("\""), QStringLiteral("\"\""),
             QStringLiteral("   "), QString(), QStringLiteral("\" b \"")}) {
        ASSERT_TRUE(writeBase(value)) << value.toStdString();
        EXPECT_EQ(base(QStringLiteral("absent")), value) << value.toStdString();
    }
    EXPECT_EQ(repaint(), 0);
}

TEST_F(Settings, ValuesWithLineBreaksAreRefusedAndInjectNothing)
{
    writeFile(ini, "[Dernière base]\r\nBase=/b.mdb\r\n[Options]\r\nRepeindre=-1\r\n");
    const QByteArray before = fileBytes(ini);
    for (const QString &value :
        {QStringLiteral("/tmp/b.mdb\n[Options]\nRepeindre=0"), QStringLiteral("a\rb"), QStringLiteral("a\u2028b"),
            QStringLiteral("a") + QChar(0) + QStringLiteral("b"), QString(QChar(0xD800))}) {
        QString error;
        EXPECT_FALSE(writeBase(value, &error));
        EXPECT_EQ(error,
            QStringLiteral("La valeur à enregistrer contient un saut de ligne ou un caractère de contrôle, que le "
                           "fichier de paramètres ne peut pas conserver."));
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
    const QString text = QStringLiteral("[Dernière base]\r\nBase=C:\\Club été\\VAR.zov\r\n");
    for (const bool le : {true, false}) {
        QByteArray bytes = le ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
        for (const QChar c : text) {
            const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
            bytes.append(le ? lo : hi).append(le ? hi : lo);
        }
        writeFile(ini, bytes);
        EXPECT_EQ(base(), QStringLiteral("C:\\Club été\\VAR.zov"));
        ASSERT_TRUE(writeRepaint(QStringLiteral("0")));
        EXPECT_TRUE(fileBytes(ini).startsWith(bytes.left(2)));
        EXPECT_EQ(base(), QStringLiteral("C:\\Club été\\VAR.zov"));
        EXPECT_EQ(repaint(), 0);
    }
}

// Read in a thread: a read that blocks fails the test instead of hanging it.
TEST_F(Settings, OnlyRegularFilesOfASensibleSizeAreRead)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    auto reading = std::async(std::launch::async, [this] { return base(QStringLiteral("défaut")); });
    const bool returned = reading.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!returned) {
        // Unblocks the reader so that the test can end.
        const int fd = ::open(QFile::encodeName(ini).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    EXPECT_TRUE(returned) << "reading a named pipe does not wait for a writer";
    EXPECT_EQ(reading.get(), QStringLiteral("défaut"));
    QString error;
    EXPECT_FALSE(writeBase(QStringLiteral("/b.mdb"), &error));
    EXPECT_EQ(error, QStringLiteral("« %1 » n'est pas un fichier ordinaire.").arg(ini));
    ASSERT_TRUE(QFile::remove(ini));

    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), ini));
    EXPECT_EQ(base(QStringLiteral("défaut")), QStringLiteral("défaut"));
    EXPECT_FALSE(writeBase(QStringLiteral("/b.mdb")));
    EXPECT_EQ(QFile::symLinkTarget(ini), QStringLiteral("/dev/zero"));
    ASSERT_TRUE(QFile::remove(ini));

    QByteArray huge("[Dernière base]\r\nBase=/b.mdb\r\n");
    huge.append(QByteArray(IniFile::kMaxFileSize, ';'));
    writeFile(ini, huge);
    EXPECT_EQ(base(QStringLiteral("défaut")), QStringLiteral("défaut"));
    EXPECT_FALSE(writeBase(QStringLiteral("/b.mdb"), &error));
    EXPECT_EQ(fileBytes(ini).size(), huge.size());
}

} // namespace
