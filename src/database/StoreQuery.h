#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace qcm {

// A record source or a FindFirst criteria: the text of its shape, where "?"
// stands for each value, and the values themselves, which always travel as
// bound parameters. A quote inside a statement or a name therefore never
// reaches the SQL text.
struct StoreQuery {
    StoreQuery() = default;
    StoreQuery(const char *shape) : text(QString::fromUtf8(shape)) { }
    StoreQuery(QString shape, QVariantList bound = {}) : text(std::move(shape)), values(std::move(bound)) { }

    QString text;
    QVariantList values;

    bool operator==(const StoreQuery &) const = default;
};

// The shapes that the program sends, named after what they select; each
// keeps the query text it stands for, with "?" where the value goes.
namespace Queries {
// select * from Questions order by Code, Numero
StoreQuery wholeBank();
// Select * from Questions where code = '…' order by code, numero
StoreQuery domainInOrder(const QString &code);
// Select * from Questions where Code = "…"
StoreQuery domainRows(const QString &code);
// Select * from QCM where NomQCM = "…"
StoreQuery questionnaireRows(const QString &name);
// Select * from QCM where NomQCM = "…" order by code, numero
StoreQuery questionnaireInOrder(const QString &name);
// Select Distinct NomQCM from QCM order by NomQCM;
StoreQuery questionnaireNames();
} // namespace Queries

namespace Criteria {
// Code = "…" and Numero = n
StoreQuery questionKey(const QString &code, qint64 numero);
// Code = "…"
StoreQuery domainCode(const QString &code);
// code = "…" and Numero = n and libellé = "…"
StoreQuery questionWithStatement(const QString &code, qint64 numero, const QString &statement);
// NomQCM = "…"
StoreQuery questionnaireName(const QString &name);
} // namespace Criteria

// What a shape means once read: the storage understands these forms only.
struct Comparison {
    QString field;
    QVariant value;
};

struct ParsedSelect {
    QString table;
    QString distinctField; // empty for "select *"
    QList<Comparison> where;
    QStringList orderBy;
};

// Reads a record source: a bare table name, or "select * from T [where …]
// [order by …][;]", or "select distinct F from T order by …". Literal values
// in quotes are accepted as well as "?" placeholders.
bool parseSource(const StoreQuery &query, ParsedSelect &out, QString *error);
// Reads "field = value [and field = value …]".
bool parseCriteria(const StoreQuery &query, QList<Comparison> &out, QString *error);

} // namespace qcm
