#pragma once

#include <QList>
#include <QString>

#include <random>

namespace qcm::soak {

// Every choice of a soak run comes from here, so that a seed replays the run.
class SoakRandom {
public:
    explicit SoakRandom(quint64 seed) : m_engine(seed) { }

    int below(int n) { return n <= 1 ? 0 : int(m_engine() % quint64(n)); }
    double unit() { return double(m_engine() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    template <typename T> const T &pick(const QList<T> &list) { return list.at(below(int(list.size()))); }

    // A text as users type or paste them: words with quotes and accents,
    // numbers and dates in and out of range, line breaks, markup, an SQL
    // injection, and now and then a very long one.
    QString text();

private:
    std::mt19937_64 m_engine;
};

} // namespace qcm::soak
