#include "Retention.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace qcm {

namespace {

constexpr int kLatest = 10;
constexpr int kDays = 30;
constexpr int kMonths = 12;

} // namespace

QList<DatedFile> backupsToDelete(const QList<DatedFile> &files, const QDateTime &now, qint64 maxBytes)
{
    QList<DatedFile> newestFirst = files;
    std::stable_sort(newestFirst.begin(), newestFirst.end(),
        [](const DatedFile &a, const DatedFile &b) { return a.taken > b.taken; });

    const QDate today = now.date();
    const QDate firstDay = today.addDays(-(kDays - 1));
    const QDate firstMonth = QDate(today.year(), today.month(), 1).addMonths(-(kMonths - 1));
    QHash<QString, int> seen; // by bank
    QSet<QString> daysKept, monthsKept; // bank + day, bank + month
    QList<bool> kept;
    for (const DatedFile &f : std::as_const(newestFirst)) {
        const QDate day = f.taken.date();
        const QString dayKey = f.bank + u'\x1f' + day.toString(Qt::ISODate);
        const QString monthKey = f.bank + u'\x1f' + day.toString(QStringLiteral("yyyy-MM"));
        bool keep = seen[f.bank]++ < kLatest;
        // A date after today (a clock set back) counts as today.
        if (day >= firstDay && !daysKept.contains(dayKey)) {
            daysKept.insert(dayKey);
            keep = true;
        }
        if (day >= firstMonth && !monthsKept.contains(monthKey)) {
            monthsKept.insert(monthKey);
            keep = true;
        }
        kept.append(keep);
    }

    qint64 total = 0;
    for (qsizetype i = 0; i < newestFirst.size(); ++i)
        if (kept[i])
            total += newestFirst[i].size;
    for (qsizetype i = newestFirst.size() - 1; i >= 0 && total > maxBytes; --i) {
        if (kept[i]) {
            kept[i] = false;
            total -= newestFirst[i].size;
        }
    }

    QList<DatedFile> deleted;
    for (qsizetype i = newestFirst.size() - 1; i >= 0; --i)
        if (!kept[i])
            deleted.append(newestFirst[i]);
    return deleted;
}

} // namespace qcm
