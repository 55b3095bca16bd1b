#include "backup/Retention.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace qcm;

namespace {

const QDateTime kNow(QDate(2026, 12, 6), QTime(12, 0));

// One backup of a bank at that time, of that size, named after its time.
DatedFile at(const QDateTime &taken, const QString &bank = QStringLiteral("A"), qint64 size = 1)
{
    return {bank + u' ' + taken.toString(Qt::ISODate), bank, taken, size};
}

// In a fixed order, whatever the order they come in.
QStringList names(const QList<DatedFile> &files)
{
    QStringList list;
    for (const DatedFile &f : files)
        list << f.path;
    list.sort();
    return list;
}

TEST(Retention, KeepsTheLastTenOnePerDayForAMonthAndOnePerMonthForAYear)
{
    const qint64 plenty = qint64(1) << 40;
    QList<DatedFile> sameDay;
    for (int i = 0; i < 15; ++i)
        sameDay << at(kNow.addSecs(-60 * i));
    EXPECT_EQ(names(backupsToDelete(sameDay, kNow, plenty)), names(sameDay.mid(10))) << "the last ten of a day";

    // One a day for 60 days: the 30 last days, and October's last day for its month.
    QList<DatedFile> daily;
    for (int i = 0; i < 60; ++i)
        daily << at(kNow.addDays(-i).addSecs(-7200));
    const QList<DatedFile> dailyDeleted = backupsToDelete(daily, kNow, plenty);
    EXPECT_EQ(dailyDeleted.size(), 29);
    EXPECT_FALSE(names(dailyDeleted).contains(at(QDateTime(QDate(2026, 10, 31), QTime(10, 0))).path));
    EXPECT_TRUE(names(dailyDeleted).contains(at(QDateTime(QDate(2026, 11, 6), QTime(10, 0))).path));

    // One a month for 18 months: the twelve months up to this one.
    QList<DatedFile> monthly;
    for (int i = 1; i <= 18; ++i)
        monthly << at(QDateTime(QDate(2026, 12, 15).addMonths(-i), QTime(9, 0)));
    EXPECT_EQ(names(backupsToDelete(monthly, kNow, plenty)), names(monthly.mid(11)));

    // The rules hold bank by bank.
    QList<DatedFile> twoBanks;
    for (int i = 0; i < 12; ++i)
        twoBanks << at(kNow.addSecs(-60 * i), QStringLiteral("A"));
    for (int i = 0; i < 3; ++i)
        twoBanks << at(kNow.addSecs(-60 * i - 30), QStringLiteral("B"));
    EXPECT_EQ(names(backupsToDelete(twoBanks, kNow, plenty)), names(twoBanks.mid(10, 2)));
}

TEST(Retention, NeverMoreThanTheSpaceAllowedOldestFirst)
{
    const qint64 mo = 1'000'000;
    QList<DatedFile> big;
    for (int i = 0; i < 5; ++i)
        big << at(kNow.addSecs(-3600 * i), QStringLiteral("A"), 200 * mo);
    EXPECT_EQ(names(backupsToDelete(big, kNow, 500 * mo)), names(big.mid(2)));

    // Over every bank together: another bank's older copy goes first.
    const QList<DatedFile> two{at(kNow, QStringLiteral("A"), 300 * mo),
        at(kNow.addDays(-1), QStringLiteral("B"), 300 * mo), at(kNow.addDays(-2), QStringLiteral("A"), 100 * mo)};
    EXPECT_EQ(names(backupsToDelete(two, kNow, 500 * mo)), names(two.mid(1)));
    EXPECT_TRUE(backupsToDelete(two, kNow, 700 * mo).isEmpty());
}

} // namespace
