#include "ProgramFolder.h"

#include "FileOps.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace qcm {

QString resolveProgramFolder(const QString &executableFolder, QString *error)
{
    const QDir exe(executableFolder);
    if (exe.exists(QString::fromLatin1(kDefaultBankName)) || exe.exists(QStringLiteral("QCM.ini")))
        return exe.absolutePath();

    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QStringList failures;
    if (!QDir().mkpath(data) || !QFileInfo(data).isDir())
        failures.append(QStringLiteral("le dossier ne peut pas être créé."));
    for (const QString &shipped :
        {exe.filePath(QStringLiteral("../share/qcm")), exe.filePath(QStringLiteral("share/qcm"))}) {
        const QDir from(shipped);
        if (!failures.isEmpty() || !from.exists())
            continue;
        for (const QFileInfo &file : from.entryInfoList(QDir::Files)) {
            const QString target = QDir(data).filePath(file.fileName());
            QString why;
            if (!QFileInfo::exists(target) && !copyFileAtomic(file.absoluteFilePath(), target, &why))
                failures.append(why);
        }
        break;
    }
    if (!failures.isEmpty() && error)
        *error = QStringLiteral("Le dossier de travail du programme") + QStringLiteral("\r\n") + data
            + QStringLiteral("\r\n") + QStringLiteral("n'a pas pu être préparé :") + QStringLiteral("\r\n")
            + failures.join(QStringLiteral("\r\n"));
    return data;
}

} // namespace qcm
