#include "startup/IniFile.h"
#include "support/Fixtures.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qcm;
using namespace qcm::test;

namespace {

class Settings : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString ini = QDir(dir.path()).filePath(QStringLiteral("QCM.ini"));
};

TEST_F(Settings, MissingOrGarbledFilesGiveTheDefaults)
{
    EXPECT_EQ(
        IniFile::readString(ini, QStringLiteral("Dernière base"), QStringLiteral("Base"), QStringLiteral("défaut")),
        QStringLiteral("défaut"));
    EXPECT_EQ(IniFile::readInt(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), -1), -1);

    writeFile(ini, QByteArray("\x00\x01\x02garbage\xff\xfe", 12));
    EXPECT_EQ(IniFile::readInt(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), -1), -1);
    writeFile(ini, "Base=ailleurs\n[Options\nRepeindre=0\n");
    EXPECT_EQ(IniFile::readString(ini, QStringLiteral("Dernière base"), QStringLiteral("Base"), QStringLiteral("d")),
        QStringLiteral("d"))
        << "a key outside its section does not count";
    EXPECT_EQ(IniFile::readInt(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), -1), -1);
}

TEST_F(Settings, KeysAreWrittenOneByOneAndReadBackWhole)
{
    const QString longPath = QStringLiteral("/données/") + QString(300, u'x') + QStringLiteral("/Banque d'été.mdb");
    ASSERT_TRUE(IniFile::writeString(ini, QStringLiteral("Dernière base"), QStringLiteral("Base"), longPath));
    ASSERT_TRUE(IniFile::writeString(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), QStringLiteral("0")));
    ASSERT_TRUE(IniFile::writeString(
        ini, QStringLiteral("Disposition"), QStringLiteral("fInBox.Left"), QStringLiteral("3000")));
    ASSERT_TRUE(IniFile::writeString(ini, QStringLiteral("dernière BASE"), QStringLiteral("base"), longPath + u'2'));

    EXPECT_EQ(IniFile::readString(ini, QStringLiteral("Dernière base"), QStringLiteral("Base"), {}), longPath + u'2')
        << "a value longer than 254 characters is kept whole";
    EXPECT_EQ(IniFile::readInt(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), -1), 0);
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
    EXPECT_EQ(IniFile::readString(ini, QStringLiteral("Dernière base"), QStringLiteral("Base"), {}),
        QStringLiteral("C:\\QCM\\VAR.zov"));
    ASSERT_TRUE(
        IniFile::writeString(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), QStringLiteral("-1")));
    EXPECT_EQ(IniFile::readString(ini, QStringLiteral("Autre"), QStringLiteral("Clé"), {}), QStringLiteral("1"));
    EXPECT_TRUE(QString::fromUtf8(fileBytes(ini)).startsWith(QStringLiteral("; réglages")));
    EXPECT_EQ(IniFile::readInt(ini, QStringLiteral("Options"), QStringLiteral("Repeindre"), 5), -1);
}

TEST_F(Settings, AFailedWriteLeavesTheFileAsItWas)
{
    writeFile(ini, "[Options]\r\nRepeindre=0\r\n");
    const QString locked = QDir(dir.path()).filePath(QStringLiteral("verrou"));
    ASSERT_TRUE(QDir().mkpath(locked));
    const QString inside = QDir(locked).filePath(QStringLiteral("QCM.ini"));
    ASSERT_TRUE(QDir().mkpath(inside)) << "a folder standing where the file should be";
    QString error;
    EXPECT_FALSE(IniFile::writeString(
        inside, QStringLiteral("Options"), QStringLiteral("Repeindre"), QStringLiteral("1"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(ini), QByteArray("[Options]\r\nRepeindre=0\r\n"));
}

} // namespace
