#include "FileOps.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace qcm {

bool copyFileAtomic(const QString &source, const QString &target, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("La copie de « %1 » vers « %2 » a échoué :\r\n%3").arg(source, target, why);
        return false;
    };
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("le fichier à copier est introuvable ou illisible."));
    if (QFileInfo(target).isDir())
        return fail(QStringLiteral("un dossier porte déjà ce nom."));
    QSaveFile out(target);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("impossible d'écrire dans ce dossier (%1).").arg(out.errorString()));
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return fail(QStringLiteral("l'écriture a été interrompue (disque plein ?)."));
        }
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        return fail(QStringLiteral("la lecture a été interrompue."));
    }
    if (!out.commit())
        return fail(QStringLiteral("l'écriture n'a pas pu être terminée (%1).").arg(out.errorString()));
    return true;
}

} // namespace qcm
