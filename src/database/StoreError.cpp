#include "StoreError.h"

#include <sqlite3.h>

namespace qcm {

namespace {

int numberOf(StoreErrorKind kind)
{
    switch (kind) {
    case StoreErrorKind::None:
        return 0;
    case StoreErrorKind::FieldNotFound:
        return StoreErrors::kFieldNotFound;
    case StoreErrorKind::NoCurrentRecord:
        return StoreErrors::kNoCurrentRecord;
    case StoreErrorKind::Locked:
        return 3218;
    case StoreErrorKind::ReadOnly:
        return 3027;
    case StoreErrorKind::DiskFull:
        return 3026;
    case StoreErrorKind::Constraint:
        return 3022;
    case StoreErrorKind::NotADatabase:
        return 3343;
    case StoreErrorKind::Damaged:
        return 3049;
    case StoreErrorKind::BadQuery:
        return 3131;
    case StoreErrorKind::Other:
        return 3000;
    }
    return 3000;
}

QString usualDescription(StoreErrorKind kind)
{
    switch (kind) {
    case StoreErrorKind::None:
        return {};
    case StoreErrorKind::FieldNotFound:
        return QStringLiteral("Élément non trouvé dans cette collection.");
    case StoreErrorKind::NoCurrentRecord:
        return QStringLiteral("Aucun enregistrement en cours.");
    case StoreErrorKind::Locked:
        return QStringLiteral("La base de données est verrouillée par un autre programme.");
    case StoreErrorKind::ReadOnly:
        return QStringLiteral("La base de données est en lecture seule.");
    case StoreErrorKind::DiskFull:
        return QStringLiteral("Le disque est plein.");
    case StoreErrorKind::Constraint:
        return QStringLiteral("Une ligne de la table porte déjà ces valeurs.");
    case StoreErrorKind::NotADatabase:
        return QStringLiteral("Ce fichier n'est pas une base de données.");
    case StoreErrorKind::Damaged:
        return QStringLiteral("La base de données est endommagée.");
    case StoreErrorKind::BadQuery:
        return QStringLiteral("Requête non reconnue.");
    case StoreErrorKind::Other:
        return QStringLiteral("Erreur de la base de données.");
    }
    return {};
}

} // namespace

StoreError StoreErrors::make(StoreErrorKind kind, const QString &description)
{
    return {kind, numberOf(kind), description.isEmpty() ? usualDescription(kind) : description, {}};
}

StoreError StoreErrors::fromSqlite(int resultCode, const QString &sqliteText)
{
    switch (resultCode & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return {};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return make(StoreErrorKind::Locked);
    case SQLITE_READONLY:
        // Deleted or replaced by another program while open: the file is not read-only at all.
        if (resultCode == SQLITE_READONLY_DBMOVED)
            return make(StoreErrorKind::ReadOnly,
                QStringLiteral("Le fichier de la base de données a été supprimé ou remplacé par un autre programme "
                               "depuis son ouverture : rien n'y a été enregistré."));
        return make(StoreErrorKind::ReadOnly);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return make(StoreErrorKind::ReadOnly);
    case SQLITE_FULL:
        return make(StoreErrorKind::DiskFull);
    case SQLITE_CONSTRAINT:
        // A trigger's own words say more than the generic sentence.
        if (resultCode == SQLITE_CONSTRAINT_TRIGGER && !sqliteText.isEmpty())
            return make(StoreErrorKind::Constraint, sqliteText);
        return make(StoreErrorKind::Constraint);
    case SQLITE_NOTADB:
        return make(StoreErrorKind::NotADatabase);
    case SQLITE_CORRUPT:
        return make(StoreErrorKind::Damaged);
    case SQLITE_CANTOPEN:
        return make(StoreErrorKind::Other, QStringLiteral("Le fichier de la base de données ne peut pas être ouvert."));
    case SQLITE_IOERR:
        return make(
            StoreErrorKind::Other, QStringLiteral("Erreur de lecture ou d'écriture du fichier de la base de données."));
    default:
        return make(StoreErrorKind::Other, sqliteText.isEmpty() ? QString() : sqliteText);
    }
}

QString procedureErrorText(const StoreError &error, const QString &procedure)
{
    return QStringLiteral("Erreur %1 %2 dans la procédure '%3'.").arg(error.number).arg(error.description, procedure);
}

} // namespace qcm
