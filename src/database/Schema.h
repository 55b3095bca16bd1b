#pragma once

#include "Records.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace qcm {

namespace Schema {

// The six tables every database file carries.
const QStringList &tableNames();

// Creates a new database file with every table; fails when the file exists.
bool create(const QString &path, QString *error);

// Opens the file read-only and checks that it is a database holding the six
// tables. Nothing is written to the file.
bool check(const QString &path, QString *error);

} // namespace Schema

struct BankContent {
    QList<Domain> domains;
    QList<Question> questions;
};

// Writes domains and questions into a new database file, in one transaction.
bool writeBank(const QString &path, const BankContent &bank, QString *error);

} // namespace qcm
