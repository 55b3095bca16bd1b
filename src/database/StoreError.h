#pragma once

#include <QString>

namespace qcm {

// What went wrong in the storage, so that a caller can tell a missing field
// (an incomplete bank) from a locked, read-only or damaged file.
enum class StoreErrorKind {
    None,
    FieldNotFound,
    NoCurrentRecord,
    Locked,
    ReadOnly,
    DiskFull,
    Constraint,
    NotADatabase,
    Damaged,
    BadQuery,
    Other,
};

struct StoreError {
    StoreErrorKind kind = StoreErrorKind::None;
    // The number the messages show: the numbers the original store gave to
    // the same failures, so that an instructor's notes keep matching.
    int number = 0;
    QString description;
    QString field; // a missing field: its name, when known

    bool isError() const { return kind != StoreErrorKind::None; }
    explicit operator bool() const { return isError(); }
};

namespace StoreErrors {
inline constexpr int kFieldNotFound = 3265;
inline constexpr int kNoCurrentRecord = 3021;

// An error of the given kind with its number and, unless given, its usual description.
StoreError make(StoreErrorKind kind, const QString &description = {});
// The error SQLite reported with this (extended) result code and text.
StoreError fromSqlite(int resultCode, const QString &sqliteText);
// What an operation on the bank meets when no database is bound.
inline StoreError noDatabase()
{
    return make(StoreErrorKind::Other, QStringLiteral("Aucune base de données n'est ouverte."));
}
} // namespace StoreErrors

// "Erreur " + number + " " + description + " dans la procédure '" + name + "'."
QString procedureErrorText(const StoreError &error, const QString &procedure);

// Hands an error to a caller that may not want it.
inline void setError(StoreError *out, const StoreError &error)
{
    if (out)
        *out = error;
}

} // namespace qcm
