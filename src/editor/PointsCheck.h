#pragma once

#include "database/Records.h"

#include <QString>

namespace qcm {

// The texts of the points check, built from one question and the count.
namespace PointsCheckText {
QString introduction();
QString answerWithoutPoints(const Question &q);
QString pointsWithoutAnswer(const Question &q);
QString wrongTotal(const Question &q, qint64 total);
QString finished(qint64 errors);
} // namespace PointsCheckText

} // namespace qcm
