#include "BalancedDraw.h"

#include <QHash>

#include <algorithm>
#include <numeric>

namespace qcm {

namespace {

// A position in [0, count), safe from a generator that returns 1.0.
int below(int count, const std::function<double()> &rnd)
{
    return std::clamp(int(rnd() * count), 0, count - 1);
}

} // namespace

QList<int> domainQuotas(const QList<int> &sizes, int n, const std::function<double()> &rnd)
{
    const qint64 total = std::accumulate(sizes.begin(), sizes.end(), qint64(0));
    QList<int> quotas(sizes.size(), 0);
    if (total <= 0 || n <= 0)
        return quotas;
    if (n >= total)
        return sizes;
    // Systematic sampling over the domains taken in random order, in exact
    // whole numbers (shares scaled by the total): seats n at u, u + 1, u + 2…
    // along the shares laid end to end. A domain holding a share s gets the
    // whole part of s, plus one with a chance equal to the fraction of s.
    QList<qsizetype> order(sizes.size());
    std::iota(order.begin(), order.end(), 0);
    for (qsizetype i = order.size() - 1; i > 0; --i)
        std::swap(order[i], order[below(int(i + 1), rnd)]);
    const qint64 offset = std::clamp<qint64>(qint64(rnd() * double(total)), 0, total - 1);
    const auto seatsBefore = [&](qint64 scaled) {
        // Seats at offset + k * total below scaled: floor((scaled - offset) / total) + 1, for scaled > offset.
        return scaled > offset ? (scaled - offset - 1) / total + 1 : 0;
    };
    qint64 prefix = 0;
    for (qsizetype d : order) {
        const qint64 from = qint64(n) * prefix;
        prefix += sizes.at(d);
        const qint64 to = qint64(n) * prefix;
        quotas[d] = int(seatsBefore(to) - seatsBefore(from));
    }
    return quotas;
}

QList<int> balancedDraw(const QStringList &domainOf, int n, const std::function<double()> &rnd)
{
    QList<int> numbers;
    numbers.reserve(domainOf.size());
    QHash<QString, int> numberOf;
    for (const QString &code : domainOf) {
        const QString key = code.toCaseFolded();
        auto it = numberOf.constFind(key);
        if (it == numberOf.cend())
            it = numberOf.insert(key, int(numberOf.size()));
        numbers.append(*it);
    }
    return balancedDraw(numbers, n, rnd);
}

QList<int> balancedDraw(const QList<int> &domainOf, int n, const std::function<double()> &rnd)
{
    QList<QList<int>> members;
    QHash<int, qsizetype> groupOf;
    for (int i = 0; i < domainOf.size(); ++i) {
        auto it = groupOf.find(domainOf.at(i));
        if (it == groupOf.end()) {
            it = groupOf.insert(domainOf.at(i), members.size());
            members.append(QList<int>());
        }
        members[*it].append(i);
    }
    QList<int> sizes;
    for (const QList<int> &m : members)
        sizes.append(int(m.size()));
    const QList<int> quotas = domainQuotas(sizes, n, rnd);

    QList<int> picked;
    for (qsizetype g = 0; g < members.size(); ++g) {
        QList<int> &pool = members[g];
        const int k = quotas.at(g);
        // The first k places of a partial Fisher-Yates shuffle: a uniform sample.
        for (int j = 0; j < k; ++j)
            std::swap(pool[j], pool[j + below(int(pool.size()) - j, rnd)]);
        QList<int> chosen = pool.mid(0, k);
        std::sort(chosen.begin(), chosen.end());
        picked.append(chosen);
    }
    return picked;
}

} // namespace qcm
