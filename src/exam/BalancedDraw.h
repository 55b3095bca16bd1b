#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace qcm {

// How many questions each domain gets out of n, sizes holding each domain's
// eligible count: the whole part of its proportional share, and the seats
// left over drawn among the domains with chances equal to their remainders.
// Every quota is within one question of the share, the quotas add up to n,
// and over many draws every question of the bank is equally likely: a small
// domain whose share is below one still gets a question now and then, which
// a fixed largest-remainder rule would never give it.
QList<int> domainQuotas(const QList<int> &sizes, int n, const std::function<double()> &rnd);

// Draws n distinct questions balanced by domain. domainOf gives the domain of
// each eligible question, in bank order; the result holds positions in that
// list, grouped by domain in the order the domains first appear, in bank
// order inside a domain. Inside a domain every question is equally likely.
// Fewer than n eligible questions: all of them. rnd gives numbers in [0, 1).
QList<int> balancedDraw(const QStringList &domainOf, int n, const std::function<double()> &rnd);
// The same with the domains already numbered: cheaper on a bank of any size.
QList<int> balancedDraw(const QList<int> &domainOf, int n, const std::function<double()> &rnd);

} // namespace qcm
