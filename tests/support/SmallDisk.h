#pragma once

#include "support/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace qcm::test {

// A disk of 256 KiB that really runs full: a tmpfs mounted for the test,
// which needs root; elsewhere the tests are skipped.
class SmallDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a tmpfs needs root";
        mountPoint = QDir(outside.path()).filePath(u"petit-disque"_s);
        ASSERT_TRUE(QDir().mkpath(mountPoint));
        if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k")
            != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        mounted = true;
    }
    void TearDown() override
    {
        if (mounted)
            ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH);
    }

    QString onDisk(const QString &name) const { return QDir(mountPoint).filePath(name); }
    qint64 freeBytes() const
    {
        struct statvfs st { };
        return ::statvfs(QFile::encodeName(mountPoint).constData(), &st) == 0
            ? qint64(st.f_bavail) * qint64(st.f_frsize)
            : -1;
    }
    // Leaves room bytes free, a multiple of the page size.
    void fillLeaving(qint64 room)
    {
        ASSERT_GE(freeBytes(), room);
        writeFile(onDisk(u"remplissage"_s), QByteArray(freeBytes() - room, 'x'));
        ASSERT_EQ(freeBytes(), room);
    }
    QStringList filesOnDisk() const
    {
        return QDir(mountPoint).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir outside;
    QString mountPoint;
    bool mounted = false;
};

} // namespace qcm::test
