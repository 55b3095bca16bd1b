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

// The shapes that the program sends, named after the texts they stand for.
namespace Queries {
StoreQuery allQuestions(); // select * from Questions order by Code, Numero
StoreQuery allQuestionsForComposer(); // Select * from Questions order by code, numero
StoreQuery allQuestionsForCheck(); // Select * from Questions order by Code, Numero;
StoreQuery domainQuestions(const QString &code); // Select * from Questions where code = '…' order by code, numero
StoreQuery domainQuestionsForNumbering(const QString &code); // … where Code = "…" order by code, Numero
StoreQuery domainQuestionsForEditorClose(const QString &code); // … where code = "…" order by code, numero;
StoreQuery domainQuestionsForMarking(const QString &code); // … where Code = '…';
StoreQuery domainQuestionsForDeletion(const QString &code); // … where Code = "…"
StoreQuery questionnaireRows(const QString &name); // Select * from QCM where NomQCM = "…"
StoreQuery questionnaireRowsOrdered(const QString &name); // … order by code, numero
StoreQuery questionnaireNames(); // Select Distinct NomQCM from QCM order by NomQCM;
} // namespace Queries

namespace Criteria {
StoreQuery question(const QString &code, qint64 numero); // Code = "…" and Numero = n
StoreQuery questionForEditor(const QString &code, qint64 numero); // Code = "…" and numero = n
StoreQuery domain(const QString &code); // Code = "…"
StoreQuery questionWithStatement(const QString &code, qint64 numero, const QString &statement);
StoreQuery questionForSave(const QString &code, qint64 numero); // code = '…' and Numero = n
StoreQuery questionnaire(const QString &name); // NomQCM = "…"
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
