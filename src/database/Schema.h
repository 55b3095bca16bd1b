#pragma once

#include "Records.h"
#include "StoreError.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace qcm {

namespace Schema {

// The six tables every database file carries.
const QStringList &tableNames();

// Creates a new database file with every table; fails when the file exists.
bool create(const QString &path, QString *error);

// Opens the file read-only and checks that the program can use it: a
// database with the six tables and the fields the program reads, whose rows
// can be read and whose pages pass an integrity check (stopped after a second
// on very big files). Nothing is written to the file. The error's kind tells
// a locked or read-only file from one that is no database or is damaged.
StoreError verify(const QString &path);
// The same, with the error's description.
bool check(const QString &path, QString *error);

} // namespace Schema

struct BankContent {
    QList<Domain> domains;
    QList<Question> questions;
};

// Writes domains and questions into a new database file, in one transaction.
bool writeBank(const QString &path, const BankContent &bank, QString *error);

} // namespace qcm
