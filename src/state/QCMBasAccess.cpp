// The conversion of an Access bank chosen where a bank is chosen.
#include "QCMBas.h"

#include "FileOps.h"
#include "access/AccessFile.h"
#include "access/AccessProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace qcm {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kAccessTitle = QStringLiteral("Base Access");
const FileFilter kBankFilter{QStringLiteral("Bases de questions"), QStringLiteral("*.zov")};
// Notes shown in the box; the report file has them all.
constexpr int kNotesShown = 8;

QString counted(qint64 n, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(n).arg(n > 1 ? many : one);
}

QString summary(const ConversionReport &report, const QString &original, const QString &target,
    const QString &reportPath, const QString &reportError)
{
    QString text = QStringLiteral("La base Access « %1 » a été convertie en :").arg(QFileInfo(original).fileName())
        + kCrLf + QDir::toNativeSeparators(target) + kCrLf + QStringLiteral("L'originale n'a pas été modifiée.") + kCrLf
        + kCrLf
        + QStringLiteral("Repris : %1, %2, %3.")
              .arg(counted(report.domains, QStringLiteral("domaine"), QStringLiteral("domaines")),
                  counted(report.questions, QStringLiteral("question"), QStringLiteral("questions")),
                  counted(report.questionnaires, QStringLiteral("questionnaire"), QStringLiteral("questionnaires")));
    if (!report.notes.isEmpty()) {
        text += kCrLf + kCrLf + QStringLiteral("Remarques (%1) :").arg(report.notes.size());
        for (qsizetype i = 0; i < std::min<qsizetype>(report.notes.size(), kNotesShown); ++i)
            text += kCrLf + QStringLiteral("- %1 : %2").arg(report.notes.at(i).subject, report.notes.at(i).text);
        if (report.notes.size() > kNotesShown)
            text += kCrLf + QStringLiteral("… et %1 autres.").arg(report.notes.size() - kNotesShown);
    }
    text += kCrLf + kCrLf;
    if (reportError.isEmpty())
        text += QStringLiteral("Le rapport complet est enregistré dans :") + kCrLf
            + QDir::toNativeSeparators(reportPath);
    else
        text += QStringLiteral("Le rapport n'a pas pu être enregistré : %1").arg(reportError);
    return text;
}

} // namespace

bool QCMBas::offerAccessConversion(const QString &chosen)
{
    const AccessFormat format = accessFormat(chosen);
    if (format == AccessFormat::None)
        return false;
    const auto say = [this](const QString &text, int icon, const QString &title) {
        m_dialogs.MoxBox(text, icon, title, QStringLiteral("OK"));
    };
    const auto nothingChanged
        = [&] { say(QStringLiteral("Aucune modification"), Icon::Information, QStringLiteral("Opération annulée")); };
    if (format == AccessFormat::Newer) {
        say(QStringLiteral("Cette base est au format Access 2007 ou plus récent, que ce programme ne sait pas "
                           "convertir.")
                + kCrLf
                + QStringLiteral("Dans Access, enregistrez-en une copie au format Access 2000 (.mdb), puis "
                                 "choisissez cette copie."),
            Icon::Warning, kAccessTitle);
        return true;
    }
    // At start-up, when no bank could be opened, there is none to stay in use.
    const QString stillInUse = isBound() ? kCrLf + QStringLiteral("La base actuelle reste en service.") : QString();
    if (!accessReaderBuilt()) {
        say(QStringLiteral("Cette base est au format Access. Pour la convertir, ce programme a besoin de la "
                           "bibliothèque libmdb (mdbtools), qui manquait quand il a été construit.")
                + stillInUse,
            Icon::Warning, kAccessTitle);
        return true;
    }
    if (!accessReaderAvailable()) {
        say(QStringLiteral("Cette base est au format Access. Pour la convertir, ce programme a besoin de la "
                           "bibliothèque libmdb, absente de cet ordinateur : installez le paquet libmdb3.")
                + stillInUse,
            Icon::Warning, kAccessTitle);
        return true;
    }
    if (m_dialogs.MoxBox(QStringLiteral("Cette base est au format Access. La convertir en une base de ce programme ?"),
            Icon::Question, kAccessTitle, QStringLiteral("Oui"), QStringLiteral("Non"), {}, 2)
        != 0) {
        nothingChanged();
        return true;
    }

    // Beside the original, under its name: the original itself is never written.
    const QFileInfo original(chosen);
    const QString target = m_dialogs.saveFileName({QStringLiteral("Enregistrer la base convertie sous..."),
        {kBankFilter}, original.absoluteDir().filePath(original.completeBaseName() + QStringLiteral(".zov"))});
    if (target.isEmpty()) {
        nothingChanged();
        return true;
    }
    const QString canonicalTarget = QFileInfo(target).canonicalFilePath();
    if (!canonicalTarget.isEmpty() && canonicalTarget == original.canonicalFilePath()) {
        say(QStringLiteral("Attention ! La base convertie ne peut pas remplacer la base Access d'origine, qui reste "
                           "telle qu'elle est.")
                + kCrLf + QStringLiteral("Choisissez un autre nom."),
            Icon::Information, QStringLiteral("Annulation"));
        return true;
    }
    if (isWorkingCopyName(target)) {
        say(QStringLiteral("Attention ! Vous ne devez pas écraser la base QCM.MDB qui est utilisée ")
                + QStringLiteral("par le programme.") + kCrLf + QStringLiteral("Choisissez un autre nom."),
            Icon::Information, QStringLiteral("Annulation"));
        return true;
    }
    if (!mayWriteOver(target))
        return true;

    const QTemporaryDir scratch;
    if (!scratch.isValid()) {
        say(QStringLiteral("La conversion n'a pas pu commencer : aucun dossier temporaire n'a pu être créé (%1).")
                .arg(scratch.errorString()),
            Icon::Error, QStringLiteral("Conversion impossible"));
        return true;
    }
    const QString converted = scratch.filePath(QStringLiteral("conversion.zov"));
    const AccessReadOutcome outcome = readAccessInOwnProcess(m_dialogs, chosen, converted);
    if (outcome.result == AccessReadOutcome::Result::Canceled) {
        nothingChanged();
        return true;
    }
    if (outcome.result == AccessReadOutcome::Result::Failed) {
        say(QStringLiteral("La base Access « %1 » n'a pas été convertie : %2.").arg(original.fileName(), outcome.why)
                + kCrLf + kCrLf + QStringLiteral("Elle n'a pas été modifiée.") + stillInUse,
            Icon::Error, QStringLiteral("Conversion impossible"));
        return true;
    }
    if (!copyReported(converted, target))
        return true;

    const QString reportPath = conversionReportPath(target);
    QString reportError;
    writeFileAtomic(reportPath,
        conversionReportText(outcome.report, QDir::toNativeSeparators(original.absoluteFilePath()),
            QDir::toNativeSeparators(target), m_dialogs.now())
            .toUtf8(),
        &reportError);
    say(summary(outcome.report, chosen, target, reportPath, reportError),
        outcome.report.notes.isEmpty() ? Icon::Information : Icon::Warning, QStringLiteral("Conversion terminée"));
    openChosenBank(target);
    return true;
}

} // namespace qcm
