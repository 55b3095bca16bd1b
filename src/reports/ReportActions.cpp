#include "ReportActions.h"

#include "database/Records.h"
#include "state/FileOps.h"

#include <QDir>
#include <QFileInfo>

namespace qcm {

const std::array<ReportKind, kReportKindCount> &reportKinds()
{
    static const std::array<ReportKind, kReportKindCount> kinds{{
        {QStringLiteral("QCM Complet"), QStringLiteral("QCM Complet"), QStringLiteral("QCM Complet.rpt"), false},
        {QStringLiteral("QCM Questions"), QStringLiteral("QCM Questions élève"),
            QStringLiteral("QCM Questions élève.rpt"), true},
        // The trailing blank tells this caption from the instructor's grid.
        {QStringLiteral("QCM Grille réponses "), QStringLiteral("QCM Grille réponses élève"),
            QStringLiteral("QCM Grille réponses élève.rpt"), true},
        {QStringLiteral("QCM Grille réponses"), QStringLiteral("QCM Grille réponses moniteur"),
            QStringLiteral("QCM Grille réponses moniteur.rpt"), true},
        {QStringLiteral("QCM Questions"), QStringLiteral("QCM Questions moniteur"),
            QStringLiteral("QCM Questions moniteur.rpt"), true},
    }};
    return kinds;
}

ReportSubject::ReportSubject(const QString &composerChoice)
    : isNew(composerChoice == newQuestionnaireEntry()), name(isNew ? QString() : composerChoice)
{
}

QString selectionFormula(const QString &name)
{
    return QStringLiteral("{QCM.NomQCM} = \"") + name + u'"';
}

QString pdfName(const QString &questionnaire, const QString &documentName)
{
    if (questionnaire.isEmpty())
        return documentName;
    QString name = questionnaire;
    name.replace(u'\\', u'_').replace(u'/', u'_');
    // A name the file system refuses would leave the save dialog greyed out without a word.
    return fittingFileName(name, QStringLiteral(" - ") + documentName + QStringLiteral(".pdf"));
}

QString pdfName(const ReportSubject &subject, const ReportKind &kind)
{
    // The complete listing holds every questionnaire: it is named after none.
    return pdfName(kind.filtered ? subject.name : QString(), kind.documentName);
}

namespace {

bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo x(a), y(b);
    if (x.exists() && y.exists())
        return x.canonicalFilePath() == y.canonicalFilePath();
    return QDir::cleanPath(x.absoluteFilePath()) == QDir::cleanPath(y.absoluteFilePath());
}

} // namespace

WorkingCopyNeed workingCopyNeed(const QString &database, const QString &workingCopy)
{
    // A database that is itself the working copy is always current.
    if (sameFile(database, workingCopy))
        return WorkingCopyNeed::None;
    const QFileInfo copy(workingCopy);
    if (!copy.exists())
        return WorkingCopyNeed::Create;
    const QFileInfo source(database);
    if (!source.exists())
        return WorkingCopyNeed::None;
    return source.lastModified() >= copy.lastModified() ? WorkingCopyNeed::Refresh : WorkingCopyNeed::None;
}

} // namespace qcm
