#pragma once

#include "bank/BankModel.h"
#include "database/Records.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace qcm {

// What the points check looks at in one question.
struct CheckedRow {
    QString code;
    qint64 numero = 0;
    std::array<bool, kChoiceCount> hasText{};
    std::array<std::optional<qint64>, kChoiceCount> val;

    QString reference() const { return code + u'.' + QString::number(numero); }
};

// The useless zeros of one question: the choices whose points are emptied.
struct UselessZeros {
    QString code;
    qint64 numero = 0;
    std::array<bool, kChoiceCount> choices{};
};

// Empties those points, every question in one transaction: all or nothing.
StoreError removeUselessZeros(const std::shared_ptr<Connection> &connection, const std::vector<UselessZeros> &zeros);

// The whole bank in the order Code then Numero, read in one pass without the
// texts: the check walks tens of thousands of questions and reads a row
// again only to show it. `expected` rows are made room for at once.
bool readCheckedRows(const BankModel &bank, std::vector<CheckedRow> &rows, StoreError *error, qint64 expected = 0);

// The texts of the points check.
namespace PointsCheckText {
QString introduction();
QString answerWithoutPoints(const QString &reference);
QString pointsWithoutAnswer(const QString &reference);
QString wrongTotal(const QString &reference, qint64 total);
QString finished(qint64 errors);
} // namespace PointsCheckText

} // namespace qcm
